#include "platform/SessionEnd.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace plat {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

volatile sig_atomic_t g_signalled = 0;
std::atomic<bool> g_ending{false};
std::atomic<int> g_wakeFd{-1};
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];
bool g_caught[sizeof kSignals / sizeof kSignals[0]] = {};

extern "C" void OnEndSignal(int) {
  const int saved = errno;
  g_signalled = 1;
  const int fd = g_wakeFd.load();
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(fd, &byte, 1);  // a full pipe has woken it already
  }
  errno = saved;
}

}  // namespace

bool SessionEnding() { return g_signalled != 0 || g_ending.load(); }

void SetSessionEnding(bool ending) {
  g_ending = ending;
  if (!ending) g_signalled = 0;
}

SessionEndSignals::SessionEndSignals(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
  if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    fds_[0] = fds_[1] = -1;
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    char buffer[64];
    while (read(fds_[0], buffer, sizeof buffer) > 0) {
    }
    if (onEnd_) onEnd_();
  });
  g_wakeFd = fds_[1];
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    struct sigaction old {};
    // A signal ignored from the start (nohup, a background job) stays ignored.
    if (sigaction(kSignals[i], nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction sa {};
    sa.sa_handler = OnEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    g_caught[i] = sigaction(kSignals[i], &sa, &g_previous[i]) == 0;
  }
}

SessionEndSignals::~SessionEndSignals() {
  for (size_t i = 0; i < std::size(kSignals); ++i)
    if (g_caught[i]) sigaction(kSignals[i], &g_previous[i], nullptr);
  for (bool& c : g_caught) c = false;
  g_wakeFd = -1;
  notifier_.reset();
  for (int fd : fds_)
    if (fd >= 0) close(fd);
}

}  // namespace plat
