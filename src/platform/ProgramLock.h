// One running program per program folder. The run that starts first holds a lock on a file of
// the folder for as long as it runs (the kernel lets it go when the program ends, however it
// ends) and listens for later starts, which call it forward instead of running beside it.
#pragma once
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace plat {

// The lock file in the program folder: made empty by the program and never written.
inline constexpr const char* kProgramLockFile = "VELMORA.LCK";

class ProgramLock {
 public:
  enum class State { Taken, Held, Failed };
  // Takes the lock of the program folder (absolute), or finds it held by another run.
  explicit ProgramLock(const std::string& programDir);
  // Closes the lock file: a child process given a copy of it holds the lock on.
  ~ProgramLock();
  ProgramLock(const ProgramLock&) = delete;
  ProgramLock& operator=(const ProgramLock&) = delete;

  State state() const { return state_; }
  const std::string& Folder() const { return dir_; }
  const std::string& Error() const { return error_; }  // why it Failed, naming the file
  // Taken: later starts that call are answered, in the event loop, once `forward` has brought
  // the window forward (true); until then it is tried again.
  void Listen(std::function<bool()> forward);
  // Held: asks the run holding the lock to come forward and waits (a while) for its answer;
  // false when none came.
  bool CallForward() const;

 private:
  struct Listener;
  std::string dir_, error_, name_;  // name_: the local socket of the run holding the lock
  int fd_ = -1;
  State state_ = State::Failed;
  std::unique_ptr<Listener> listener_;
};

// At the program's start: true when this run goes on. When Velmora already runs on the folder,
// that run is called forward and the user told so (false); a lock that cannot be taken is told,
// and the run goes on without one.
bool TakeProgramFolder(ProgramLock& lock, std::function<bool()> forward);

// Brings a window forward: restored from the task bar, raised and active, with the modal
// window it shows on top. False while it is not on the screen.
bool BringForward(QWidget* window);

}  // namespace plat
