// The progress window and the hourglass around a long loop of the main window; both are
// taken down on every way out of the scope.
#pragma once
#include <QLabel>
#include <string>

#include "database/Working.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"

class WorkingProgress {
 public:
  // `percent` -1 shows the step text without a bar.
  WorkingProgress(TMainFRM* main, const std::string& text, int32_t percent = 0) : main_(main) {
    Step(text, percent);
    main_->SetIdleCursor(false);
  }
  ~WorkingProgress() {
    if (WorkingFRM) WorkingFRM->hide();
    main_->SetIdleCursor(true);
  }
  WorkingProgress(const WorkingProgress&) = delete;
  WorkingProgress& operator=(const WorkingProgress&) = delete;

  void Step(const std::string& text, int32_t percent) {
    last_ = percent;
    if (!WorkingFRM) return;
    if (WorkingFRM->Operation) WorkingFRM->Operation->setText(plat::FromAnsi(text));
    WorkingFRM->SetProgress(percent);
    if (!WorkingFRM->isVisible()) WorkingFRM->show();
  }
  // The position among all; the window is told only when the percentage changes.
  void Set(size_t done, size_t total) {
    if (!WorkingFRM) return;
    int32_t p = TWorkingFRM::Percentage(static_cast<int32_t>(done), static_cast<int32_t>(total));
    if (p != last_) WorkingFRM->SetProgress(last_ = p);
  }

 private:
  TMainFRM* main_;
  int32_t last_ = -2;
};
