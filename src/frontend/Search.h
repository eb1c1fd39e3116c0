// Finding games by description, set name, clone-of name or manufacturer: the search itself
// (no window), the search dialog, and the texts both use.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/DXClass.h"
#include "database/types.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TMainFRM;

namespace search {

enum Mode : uint8_t { ByDescription = 1, BySetName = 2, ByCloneOf = 3, ByManufacturer = 4 };
enum Match : uint8_t { StartingWith = 0, Containing = 1, Exact = 2 };

std::string ModeWord(uint8_t mode);     // "game", "rom set", ...
std::string PluralWord(uint8_t mode);   // "Games", "Romsets", ...
// The name of a filter made from the results.
std::string FilterName(uint8_t mode, Match match, const std::string& text);
// The question after a search with `count` (> 0) results.
std::string FoundQuestion(size_t count);

// The GAME records whose field matches, in list order.
std::vector<GameRecord*> FindGames(const GameList& games, uint8_t mode, Match match,
                                   const std::string& text, bool caseSensitive,
                                   const std::function<void(size_t, size_t)>& progress = {});

}  // namespace search

class TSearchFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TSearchFRM(TMainFRM* main);
  ~TSearchFRM() override;

  uint8_t Mode = search::ByDescription;  // set before showing

  QLineEdit* Text2find = nullptr;
  QCheckBox* casesensitive = nullptr;
  QGroupBox* SearchModeBOX = nullptr;
  QRadioButton* Startingwith = nullptr;
  QRadioButton* Containing = nullptr;
  QRadioButton* ExactSearch = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;

  void FormShow();
  void Text2findChange();
  void OkBTNClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  TMainFRM* main_;
};
