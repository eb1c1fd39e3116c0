// The end of the desktop session: a logout, a shutdown or a terminal that goes (SIGTERM, SIGHUP,
// SIGINT), or the session manager. From then on no modal interaction waits for the user
// (plat::Ui() answers at once, as a cancel would) and the outside programs waited for are
// stopped with their process group.
#pragma once
#include <functional>
#include <memory>

class QSocketNotifier;

namespace plat {

// True once a signal came or SetSessionEnding(true) was called.
bool SessionEnding();
// Tests set it back to false.
void SetSessionEnding(bool ending);

// While it lives, SIGTERM, SIGHUP and SIGINT (those not ignored when it was made) are caught:
// the handler only notes the signal and wakes the event loop, where `onEnd` is run.
class SessionEndSignals {
 public:
  explicit SessionEndSignals(std::function<void()> onEnd);
  ~SessionEndSignals();
  SessionEndSignals(const SessionEndSignals&) = delete;
  SessionEndSignals& operator=(const SessionEndSignals&) = delete;

 private:
  std::function<void()> onEnd_;
  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace plat
