// The demonstration emulator of demo/: the program's tests and its run command use it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Files.h"
#include "platform/Process.h"
#include "support/TempDir.h"

namespace {

std::string Demo() { return std::string(VELMORA_SOURCE_DIR) + "/demo/mame"; }

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

}  // namespace

TEST(DemoEmulator, PrintsItsVersionLine) {
  std::string out = Capture(plat::ShellQuote(Demo()) + " </dev/null");
  ASSERT_FALSE(out.empty());
  std::string first = out.substr(0, out.find('\n'));
  EXPECT_NE(first.find("v0.1"), std::string::npos) << first;
  EXPECT_EQ(Count(out, "\n"), 1u);
}

TEST(DemoEmulator, CatalogueHasEveryKindOfEntry) {
  std::string out = Capture(plat::ShellQuote(Demo()) + " -listinfo </dev/null");
  EXPECT_GE(Count(out, "game ("), 25u);
  EXPECT_EQ(Count(out, "resource ("), 1u);
  EXPECT_GE(Count(out, "\tcloneof "), 5u);
  EXPECT_GE(Count(out, "\tromof demobios"), 2u);
  EXPECT_GE(Count(out, "\tsampleof "), 1u);
  EXPECT_GE(Count(out, "\tsample "), 5u);
  EXPECT_GE(Count(out, "chip ( type cpu"), 25u);
  EXPECT_GE(Count(out, "dipswitch ( name"), 25u);
  EXPECT_NE(out.find("flags dispose"), std::string::npos);
  EXPECT_NE(out.find("screen vector"), std::string::npos);
  // Every "(" token is closed.
  EXPECT_EQ(Count(out, " ("), Count(out, ")"));
}

TEST(DemoEmulator, RecordsAGameRun) {
  TempDir t;
  std::string log = t.file("run.log");
  std::string cmd = "cd " + plat::ShellQuote(t.path()) + " && VELMORA_DEMO_LOG=" +
                    plat::ShellQuote(log) + " " + plat::ShellQuote(Demo()) +
                    " zyphon -rompath '$VRTEMP$' 'two words' </dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string cwd = t.path().substr(0, t.path().size() - 1);
  EXPECT_EQ(t.read("run.log"), "cwd=" + cwd +
                                   "\narg=zyphon\narg=-rompath\narg=$VRTEMP$\narg=two words\nend\n");
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(Count(t.read("run.log"), "end\n"), 2u);
}
