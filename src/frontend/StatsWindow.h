// The statistics window: a pie chart of the eight most played (or longest played) sets with
// their shares, and the totals.
#pragma once
#include <array>
#include <cstdint>

#include "database/DXClass.h"
#include "frontend/Stats.h"

class QLabel;
class QPushButton;

class TStatFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TStatFRM(QWidget* owner = nullptr);
  ~TStatFRM() override;

  // Set before showing: the view (stats::ByPlays or stats::ByTime), the list shown (sorted in
  // place when the window is shown) and the lookup of a set's game.
  uint8_t Mode = stats::ByPlays;
  PlayStatList* Stats = nullptr;
  stats::DescriptionLookup FindGame;

  void FormShow();
  const stats::View& CurrentView() const { return view_; }

  QLabel* Graph = nullptr;
  std::array<QLabel*, 8> GamePNL{};  // Game1PNL .. Game8PNL
  std::array<QLabel*, 8> GameLBL{};  // Game1LBL .. Game8LBL
  QLabel* NPlays = nullptr;
  QLabel* TotTime = nullptr;
  QPushButton* CloseBTN = nullptr;

  static constexpr int ChartSize = 180;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void DrawChart();
  stats::View view_;
};
