// The progress window and the hourglass around a long loop of the main window; both are
// taken down on every way out of the scope.
#pragma once
#include <string>

#include "database/Working.h"
#include "frontend/main.h"

class WorkingProgress : public TWorkingGuard {
 public:
  // `percent` -1 shows the step text without a bar; `cancellable`: the user may ask the work
  // to stop (TWorkingGuard::Poll tells).
  WorkingProgress(TMainFRM* main, const std::string& text, int32_t percent = 0,
                  bool cancellable = false)
      : TWorkingGuard(text, percent, cancellable), main_(main) {
    main_->SetIdleCursor(false);
  }
  ~WorkingProgress() { Done(); }

  // Takes both down before the scope ends (for a message that follows the work).
  void Done() {
    if (done_) return;
    done_ = true;
    Hide();
    main_->SetIdleCursor(true);
  }

  using TWorkingGuard::Set;
  // The position among all; the window is told only when the percentage changes.
  void Set(size_t done, size_t total) { Progress(done, total); }

 private:
  TMainFRM* main_;
  bool done_ = false;
};
