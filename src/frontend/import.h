// The options window of a CatList import: the file's information, and which sections make
// the folders, in which order.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "database/DXClass.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TFilterImportFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TFilterImportFRM(QWidget* owner = nullptr);
  ~TFilterImportFRM() override;

  // Set by the caller before Execute.
  std::string FilterNameText, ReleaseDate, SupportedVersion, Revision, Contact;

  // A section as shown (name with its description) and its real name.
  using Section = std::pair<std::string, std::string>;
  // Shows the window; on OK `sections` holds the ticked sections in the order shown and
  // FilterNameText the edited name; on Cancel it is left empty.
  void Execute(std::vector<Section>& sections);

  QLineEdit* FilterTitle = nullptr;
  QLabel* FilterDate = nullptr;
  QLabel* ReleaseVersion = nullptr;
  QLabel* FilterAuthor = nullptr;
  QLabel* MAMEVersion = nullptr;
  QListWidget* FolderSelector = nullptr;
  QPushButton* MoveUpBTN = nullptr;
  QPushButton* MoveDownBTN = nullptr;
  QPushButton* ResetBTN = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;

  void FillSectionList();
  void OkBTNClick();
  void ResetBTNClick();
  void MoveSelected(bool up);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  std::vector<Section> given_;   // as the caller gave them
  std::vector<Section> chosen_;  // refilled by OK
};
