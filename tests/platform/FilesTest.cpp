#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/SafeName.h"
#include "support/TempDir.h"

using namespace plat;

TEST(Paths, JoinAndSplit) {
  EXPECT_EQ(JoinPath("/a/b/", "c"), "/a/b/c");
  EXPECT_EQ(JoinPath("/a/b", "/c"), "/a/b/c");
  EXPECT_EQ(JoinPath("", "c"), "c");
  EXPECT_EQ(JoinPath("/", "c"), "/c");
  EXPECT_EQ(WithSlash("/x"), "/x/");
  EXPECT_EQ(WithSlash(""), "");
  EXPECT_EQ(ToNativeSeparators("ROMS\\SUB\\"), "ROMS/SUB/");
  EXPECT_EQ(FileNameOf("/a/b/Game.ZIP"), "Game.ZIP");
  EXPECT_EQ(DirectoryOf("/a/b/Game.ZIP"), "/a/b/");
  EXPECT_EQ(ExtensionOf("/a.b/Game.vrl"), ".vrl");
  EXPECT_EQ(ExtensionOf("/a.b/Game"), "");
  EXPECT_EQ(ChangeExtension("/x/a.txt", ".rtf"), "/x/a.rtf");
  EXPECT_TRUE(SameText("mame.cfg", "MAME.CFG"));
  EXPECT_FALSE(SameText("mame.cfg", "MAME.CF"));
  EXPECT_EQ(Trim("  a b \r\n"), "a b");
}

TEST(Paths, NamesFromOutsideNeverLeaveTheirFolder) {
  for (const char* bad : {"", ".", "..", "../MAME.CFG", "a/b", "a\\b", "/etc", "a\tb", "a\x7F",
                          "\n"})
    EXPECT_FALSE(NameInFolder("/t/", bad)) << bad;
  for (const char* good : {"PACMAN.6E", "a..b", ".hidden", "name with blanks", "caf\xE9"})
    EXPECT_EQ(NameInFolder("/t", good), std::string("/t/") + good);
}

TEST(CaseInsensitiveLookup, ExactHitFirstThenAnyCase) {
  TempDir t;
  t.write("Mame.Cfg", "x");
  t.write("ROMS/PacMan.zip", "z");
  auto hit = FindNoCase(t.path(), "MAME.CFG");
  ASSERT_TRUE(hit);
  EXPECT_EQ(*hit, t.path() + "Mame.Cfg");
  EXPECT_FALSE(FindNoCase(t.path(), "NOPE.CFG"));
  auto deep = ResolveNoCase(t.path() + "roms/PACMAN.ZIP");
  ASSERT_TRUE(deep);
  EXPECT_EQ(*deep, t.path() + "ROMS/PacMan.zip");
  // Exact spelling wins over another case variant.
  t.write("ROMS/pacman.zip", "y");
  EXPECT_EQ(*ResolveNoCase(t.path() + "ROMS/pacman.zip"), t.path() + "ROMS/pacman.zip");
}

TEST(CaseInsensitiveLookup, WritesReuseAnExistingVariant) {
  TempDir t;
  t.write("Sub/Stats.ini", "old");
  EXPECT_EQ(PathForWrite(t.path() + "SUB/STATS.INI"), t.path() + "Sub/Stats.ini");
  EXPECT_EQ(PathForWrite(t.path() + "SUB/NEW.INI"), t.path() + "Sub/NEW.INI");
  ASSERT_TRUE(WriteFileAtomic(t.path() + "SUB/STATS.INI", "new"));
  EXPECT_EQ(t.read("Sub/Stats.ini"), "new");
  EXPECT_FALSE(FileExists(t.path() + "SUB/STATS.INI"));
}

TEST(FolderIndexTest, FindsAndSeesChangesAfterInvalidateOrWhenTheFolderChanged) {
  TempDir t;
  t.write("ABC.ZIP", "");
  FolderIndex idx(t.path());
  EXPECT_EQ(idx.Find("abc.zip").value_or(""), t.path() + "ABC.ZIP");
  t.write("def.zip", "");
  EXPECT_FALSE(idx.Find("DEF.ZIP"));
  idx.Invalidate();
  EXPECT_EQ(idx.Find("DEF.ZIP").value_or(""), t.path() + "def.zip");
  // Renewed when the folder changed since it was read (read at a time of change long past, a
  // file came), or a missing folder came.
  const timespec past[2] = {{1, 0}, {1, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, t.path().c_str(), past, 0), 0);
  idx.Invalidate();
  EXPECT_FALSE(idx.Find("GHI.ZIP"));
  t.write("ghi.zip", "");
  idx.RenewIfChanged();
  EXPECT_EQ(idx.Find("GHI.ZIP").value_or(""), t.path() + "ghi.zip");
  FolderIndex later(t.path() + "snap/");
  EXPECT_FALSE(later.Find("a.png"));
  t.write("snap/A.PNG", "");
  later.RenewIfChanged();
  EXPECT_EQ(later.Find("a.png").value_or(""), t.path() + "snap/A.PNG");
}

TEST(AtomicWrite, FailureLeavesTheOldFileWhole) {
  TempDir t;
  t.write("f.txt", "old");
  std::string err;
  EXPECT_FALSE(WriteFileAtomic(t.path() + "missing-dir/f.txt", "x", &err));
  EXPECT_FALSE(err.empty());
  if (geteuid() != 0) {  // root writes into read-only folders
    chmod(t.path().c_str(), 0555);
    EXPECT_FALSE(WriteFileAtomic(t.path() + "f.txt", "new", &err));
    chmod(t.path().c_str(), 0755);
    EXPECT_EQ(t.read("f.txt"), "old");
  }
  ASSERT_TRUE(WriteFileAtomic(t.path() + "f.txt", "new"));
  EXPECT_EQ(t.read("f.txt"), "new");
  EXPECT_EQ(ListDir(t.path()).size(), 1u);  // no temporary left behind
}

TEST(BoundedRead, OnlyRegularFilesWithinTheLimitAreRead) {
  TempDir t;
  t.write("small", "0123456789");
  ASSERT_EQ(mkfifo(t.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", t.file("zero").c_str()), 0);
  ASSERT_EQ(symlink(t.file("fifo").c_str(), t.file("to-fifo").c_str()), 0);
  t.write("sparse", "");
  ASSERT_EQ(truncate(t.file("sparse").c_str(), 3LL << 30), 0);  // 3 GB, never read
  struct Case { const char* name; uint64_t limit; const char* text; const char* error; };
  for (const Case& c : std::initializer_list<Case>{
           {"small", 10, "0123456789", ""},
           {"small", 9, nullptr, "Larger than 9 bytes"},
           {"sparse", 16u << 20, nullptr, "Larger than 16 MB"},
           {"fifo", 1024, nullptr, "Not a regular file"},
           {"to-fifo", 1024, nullptr, "Not a regular file"},
           {"zero", 1024, nullptr, "Not a regular file"},
           {"", 1024, nullptr, "Is a directory"},
           {"missing", 1024, nullptr, "No such file or directory"}}) {
    std::string out = "kept", error;
    bool ok = ReadRegularFile(t.file(c.name), out, c.limit, &error);
    EXPECT_EQ(ok, c.text != nullptr) << c.name;
    EXPECT_EQ(out, c.text ? c.text : "kept") << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    ok = ReadRegularFileHead(t.file(c.name), out, 4, &error);
    EXPECT_EQ(ok, c.text != nullptr || c.limit == 9 || c.limit == 16u << 20) << c.name;
    bool cut = false;
    EXPECT_EQ(ReadRegularFileTail(t.file(c.name), out, 4, cut), ok) << c.name;
    if (c.limit == 1024) {
      EXPECT_FALSE(ReadWholeFile(t.file(c.name), out)) << c.name;
    }
  }
  std::string head;
  ASSERT_TRUE(ReadRegularFileHead(t.file("small"), head, 4));
  EXPECT_EQ(head, "0123");
  bool cut = false;
  ASSERT_TRUE(ReadRegularFileTail(t.file("small"), head, 4, cut));
  EXPECT_EQ(head, "6789");
  EXPECT_TRUE(cut);
}

TEST(AtomicWrite, KeepsModeWritesThroughLinksAndRefusesReadOnly) {
  TempDir t;
  t.write("real/s.ini", "old");
  chmod(t.file("real/s.ini").c_str(), 0640);
  ASSERT_EQ(symlink("real/s.ini", t.file("link.ini").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(t.file("link.ini"), "new"));
  struct stat st;
  ASSERT_EQ(lstat(t.file("link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(t.read("real/s.ini"), "new");
  ASSERT_EQ(stat(t.file("real/s.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  chmod(t.file("real/s.ini").c_str(), 0444);
  std::string err;
  EXPECT_FALSE(WriteFileAtomic(t.file("real/s.ini"), "lost", &err));
  EXPECT_FALSE(err.empty());
  EXPECT_EQ(t.read("real/s.ini"), "new");
  EXPECT_EQ(ListDir(t.path() + "real").size(), 1u);
  // A hard link to another file at a temporary name (as a former writer named it): that file
  // keeps its content, the temporary is made anew.
  chmod(t.file("real/s.ini").c_str(), 0644);
  t.write("other", "theirs");
  const std::string old = t.file("real/s.ini.tmp~" + std::to_string(getpid()));
  ASSERT_EQ(link(t.file("other").c_str(), old.c_str()), 0);
  EXPECT_TRUE(WriteFileAtomic(t.file("real/s.ini"), "newer"));
  EXPECT_EQ(t.read("other"), "theirs");
  EXPECT_EQ(t.read("real/s.ini"), "newer");
  EXPECT_EQ(ListDir(t.path() + "real").size(), 2u);
}

TEST(AtomicWrite, ReplacesOnlyRegularFilesAfterFollowingLinks) {
  TempDir t;
  t.write("file", "old");
  t.write("dir/keep", "k");
  ASSERT_EQ(mkfifo(t.file("fifo").c_str(), 0600), 0);
  ASSERT_TRUE(MakeSocket(t.file("sock")));
  for (const char* to : {"file", "fifo", "dir", "nowhere", "loop"})
    ASSERT_EQ(symlink(to, t.file(std::string("to-") + to).c_str()), 0);
  ASSERT_EQ(symlink("to-loop", t.file("loop").c_str()), 0);
  struct Case { const char* name; const char* error; mode_t kind; };
  for (const Case& c : std::initializer_list<Case>{
           {"file", "", S_IFREG},
           {"to-file", "", S_IFLNK},
           {"new", "", S_IFREG},
           {"fifo", "Not a regular file", S_IFIFO},
           {"to-fifo", "Not a regular file", S_IFLNK},
           {"sock", "Not a regular file", S_IFSOCK},
           {"dir", "Is a directory", S_IFDIR},
           {"to-dir", "Is a directory", S_IFLNK},
           {"to-nowhere", "A link to a file that does not exist", S_IFLNK},
           {"to-loop", "Too many levels of symbolic links", S_IFLNK}}) {
    std::string error;
    EXPECT_EQ(WriteFileAtomic(t.file(c.name), "new", &error), !*c.error) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    struct stat st;
    ASSERT_EQ(lstat(t.file(c.name).c_str(), &st), 0) << c.name;
    EXPECT_EQ(st.st_mode & S_IFMT, c.kind) << c.name;
  }
  EXPECT_EQ(t.read("file"), "new");
  EXPECT_FALSE(FileExists(t.file("nowhere")));
  EXPECT_EQ(ListDir(t.path() + "dir").size(), 1u);
  EXPECT_EQ(ListDir(t.path()).size(), 11u);  // no temporary left behind

  // A new file of our own: only a regular file at the name makes way; a full disk is told.
  for (const Case& c : std::initializer_list<Case>{
           {"to-file", "Not a regular file: a symbolic link", S_IFLNK},
           {"fifo", "Not a regular file: a named pipe", S_IFIFO},
           {"sock", "Not a regular file: a socket", S_IFSOCK},
           {"to-nowhere", "Not a regular file: a symbolic link", S_IFLNK},
           {"loop", "Not a regular file: a symbolic link", S_IFLNK},
           {"full", "No space left on device", 0}}) {
    std::string error;
    SetDiskFullForTests(std::string(c.name) == "full");
    const int fd = CreateNewFile(t.file(c.name), 4096, &error);
    SetDiskFullForTests(false);
    EXPECT_EQ(fd, -1) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    struct stat st;
    EXPECT_EQ(lstat(t.file(c.name).c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0, c.kind) << c.name;
  }
  EXPECT_EQ(t.read("file"), "new");  // not through the link
  const int fd = CreateNewFile(t.file("file"));
  ASSERT_GE(fd, 0);
  EXPECT_EQ(t.read("file"), "");
  // Read back from its descriptor whatever another program put at the name, which stays.
  ASSERT_EQ(write(fd, "0123456789", 10), 10);
  ASSERT_TRUE(WriteFileAtomic(t.file("file"), "theirs"));
  std::string out;
  bool cut = false;
  EXPECT_TRUE(ReadOpenFile(fd, out, 10) && out == "0123456789") << out;
  EXPECT_FALSE(ReadOpenFile(fd, out, 9));
  EXPECT_TRUE(ReadOpenFileHead(fd, out, 4) && out == "0123") << out;
  EXPECT_TRUE(ReadOpenFileTail(fd, out, 4, cut) && out == "6789" && cut) << out;
  EXPECT_EQ(OpenFileSize(fd), 10);
  EXPECT_FALSE(RemoveOwnFile(t.file("file"), fd));
  EXPECT_EQ(t.read("file"), "theirs");
  close(fd);
  const int own = CreateNewFile(t.file("file"));
  EXPECT_TRUE(RemoveOwnFile(t.file("file"), own));
  EXPECT_FALSE(FileExists(t.file("file")));
  close(own);
}

TEST(Tree, RemoveTreeDoesNotFollowLinks) {
  TempDir outside, t;
  outside.write("keep.txt", "k");
  t.write("a/b/c.txt", "x");
  ASSERT_EQ(symlink(outside.path().c_str(), (t.path() + "a/link").c_str()), 0);
  EXPECT_TRUE(RemoveTree(t.path() + "a"));
  EXPECT_FALSE(DirExists(t.path() + "a"));
  EXPECT_TRUE(FileExists(outside.path() + "keep.txt"));
  EXPECT_TRUE(RemoveTree(t.path() + "never-there"));
}

TEST(ProgramFolder, HomeVariableWins) {
  TempDir t;
  const char* outer = std::getenv("VELMORA_HOME");
  std::string saved = outer ? outer : "";
  std::string home = t.path() + "home";
  setenv("VELMORA_HOME", home.c_str(), 1);
  EXPECT_EQ(ProgramDir("/usr/bin/velmora"), home + "/");
  EXPECT_TRUE(DirExists(home));
  unsetenv("VELMORA_HOME");
  std::string d = ProgramDir("velmora");
  EXPECT_FALSE(d.empty());
  EXPECT_EQ(d.back(), '/');
  EXPECT_EQ(d[0], '/');
  if (!saved.empty()) setenv("VELMORA_HOME", saved.c_str(), 1);
}

TEST(ProgramFolder, ShippedFilesFoundWhenTheProgramFolderLacksThem) {
  TempDir prog;
  EXPECT_EQ(FindShippedFile(prog.path(), "NO-SUCH.TIP"), prog.path() + "NO-SUCH.TIP");
  prog.write("velmora.tip", "t");
  EXPECT_EQ(FindShippedFile(prog.path(), "VELMORA.TIP"), prog.path() + "velmora.tip");
}
