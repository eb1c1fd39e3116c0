#include "platform/ProgramLock.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace plat {

namespace {

std::string KindOf(mode_t mode) {
  return S_ISLNK(mode)    ? "a symbolic link"
         : S_ISFIFO(mode) ? "a named pipe"
         : S_ISSOCK(mode) ? "a socket"
         : S_ISDIR(mode)  ? "a folder"
                          : "a device";
}

// The local socket of the run holding the lock: named after the lock file itself (device and
// inode), so every spelling of the folder finds it; in the user's runtime folder when there
// is one.
std::string SocketName(const struct stat& st) {
  std::string base;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && DirExists(run))
    base = run;
  else
    base = ToLocal(QDir::tempPath());
  char key[96];
  std::snprintf(key, sizeof key, "velmora-%u-%llx-%llx", static_cast<unsigned>(getuid()),
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return JoinPath(base, key);
}

}  // namespace

ProgramLock::ProgramLock(const std::string& programDir) : dir_(programDir) {
  const std::string path = WithSlash(programDir) + kProgramLockFile;
  // A file of our own: what else holds the name (a link, a pipe, a device) is not even opened.
  struct stat st;
  std::string why;
  if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    why = "Not a regular file: " + KindOf(st.st_mode);
  } else if ((fd_ = open(path.c_str(),
                         O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                         0644)) < 0 ||
             fstat(fd_, &st) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "Not a regular file: " + KindOf(st.st_mode);
  } else {
    name_ = SocketName(st);
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      state_ = State::Taken;
      return;
    }
    if (errno == EWOULDBLOCK) state_ = State::Held;
    why = std::strerror(errno);
  }
  if (state_ == State::Failed) error_ = path + " (" + why + ")";
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

struct ProgramLock::Listener {
  QLocalServer server;
  QTimer retry;
  std::vector<QPointer<QLocalSocket>> callers;
  std::function<bool()> forward;
  bool forwarded = false;

  // Answers the callers a moment after the window has come forward, so that the window system
  // has put it there before a caller shows its message; the callers that gave up go.
  void Answer() {
    std::erase_if(callers, [](const QPointer<QLocalSocket>& c) {
      return !c || c->state() != QLocalSocket::ConnectedState;
    });
    if (!callers.empty() && forwarded) {
      for (QLocalSocket* c : callers) {
        c->write("1", 1);
        c->flush();
        c->disconnectFromServer();
      }
      callers.clear();
    }
    forwarded = !callers.empty() && forward && forward();
    if (callers.empty())
      retry.stop();
    else if (!retry.isActive())
      retry.start(100);
  }
};

ProgramLock::~ProgramLock() {
  listener_.reset();
  if (fd_ >= 0) close(fd_);
}

void ProgramLock::Listen(std::function<bool()> forward) {
  if (state_ != State::Taken || listener_) return;
  listener_ = std::make_unique<Listener>();
  Listener& l = *listener_;
  l.forward = std::move(forward);
  l.server.setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = FromLocal(name_);
  // A socket left by a run that died: ours to replace, as the lock is ours.
  if (!l.server.listen(name) && l.server.serverError() == QAbstractSocket::AddressInUseError) {
    QLocalServer::removeServer(name);
    l.server.listen(name);
  }
  QObject::connect(&l.server, &QLocalServer::newConnection, &l.server, [&l] {
    while (QLocalSocket* caller = l.server.nextPendingConnection()) {
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
      l.callers.emplace_back(caller);
    }
    l.Answer();
  });
  QObject::connect(&l.retry, &QTimer::timeout, &l.server, [&l] { l.Answer(); });
}

bool ProgramLock::CallForward() const {
  if (state_ != State::Held) return false;
  QLocalSocket caller;
  // The run holding the lock may be a moment away from listening, and its window from the
  // screen.
  for (int attempt = 0; attempt < 20; ++attempt) {
    caller.connectToServer(FromLocal(name_));
    if (caller.waitForConnected(500)) {
      const bool answered = caller.waitForReadyRead(10000) && caller.read(1) == "1";
      caller.abort();
      return answered;
    }
    caller.abort();
    QThread::msleep(100);
  }
  return false;
}

bool TakeProgramFolder(ProgramLock& lock, std::function<bool()> forward) {
  const QString folder = FromLocal(lock.Folder());
  switch (lock.state()) {
    case ProgramLock::State::Taken:
      lock.Listen(std::move(forward));
      return true;
    case ProgramLock::State::Held: {
      const bool answered = lock.CallForward();
      Ui().MessageBoxText(nullptr, "Velmora",
                          "Velmora is already running in the program folder\r" + folder +
                              (answered ? "\r\rIts window has been brought forward." : ""),
                          MB_OK | MB_ICONINFORMATION);
      return false;
    }
    case ProgramLock::State::Failed:
      Ui().MessageBoxText(nullptr, "Velmora",
                          "Velmora cannot tell whether it is already running in the program "
                          "folder\r" + folder + "\rThe lock file cannot be used: " +
                              FromLocal(lock.Error()) + "\r\rIt starts all the same.",
                          MB_OK | MB_ICONWARNING);
      return true;
  }
  return true;
}

bool BringForward(QWidget* window) {
  if (!window || !window->isVisible()) return false;
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
    modal->raise();
    modal->activateWindow();
  }
  // Forward once the window system shows it (not before it is first mapped, nor minimized).
  return window->windowHandle() && window->windowHandle()->isExposed();
}

}  // namespace plat
