#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/Files.h"
#include "platform/ProgramLock.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

using plat::ProgramLock;
using State = plat::ProgramLock::State;

TEST(ProgramLock, OneRunPerFolderAndADeadHolderLetsGo) {
  TempDir t, other;
  auto first = std::make_unique<ProgramLock>(t.path());
  ASSERT_EQ(first->state(), State::Taken);
  EXPECT_EQ(ProgramLock(t.path()).state(), State::Held);
  EXPECT_EQ(ProgramLock(other.path()).state(), State::Taken);

  // A child given the lock holds it while it lives; killed, it lets go.
  int hold[2];
  ASSERT_EQ(pipe(hold), 0);
  const pid_t child = fork();
  if (child == 0) {
    char c;
    _exit(static_cast<int>(read(hold[0], &c, 1)));
  }
  first.reset();
  EXPECT_EQ(ProgramLock(t.path()).state(), State::Held);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(hold[0]);
  close(hold[1]);
  ProgramLock next(t.path());
  ASSERT_EQ(next.state(), State::Taken);

  // A later start calls the holder forward, is told so once the holder's window has come
  // forward (its event loop tries until it can, and answers a moment later), and ends.
  ScriptedSeam seam;
  int called = 0;
  ASSERT_TRUE(plat::TakeProgramFolder(next, [&called] { return ++called == 2; }));
  std::atomic<int> goesOn{-1};
  std::thread later([&] {
    ProgramLock lock(t.path());
    goesOn = plat::TakeProgramFolder(lock, {});
  });
  while (goesOn < 0) QCoreApplication::processEvents();
  later.join();
  EXPECT_EQ(goesOn, 0);
  EXPECT_EQ(called, 2);
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "Velmora is already running in the program folder\r" +
                                       t.path() + "\r\rIts window has been brought forward.");

  // A link at the lock file's name is never followed: told, and the run goes on.
  const std::string user = other.write("user.txt", "the user's");
  TempDir linked;
  ASSERT_EQ(symlink(user.c_str(), linked.file(plat::kProgramLockFile).c_str()), 0);
  ProgramLock refused(linked.path());
  EXPECT_EQ(refused.state(), State::Failed);
  EXPECT_TRUE(plat::TakeProgramFolder(refused, {}));
  ASSERT_EQ(seam.messages.size(), 2u);
  EXPECT_NE(seam.messages[1].text.find(linked.file(plat::kProgramLockFile) +
                                       " (Not a regular file: a symbolic link)"),
            std::string::npos)
      << seam.messages[1].text;
  EXPECT_EQ(other.read("user.txt"), "the user's");
}
