#include <gtest/gtest.h>

#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include "frontend/About.h"
#include "frontend/SysInfo.h"
#include "MainWindowHarness.h"
#include "directx/DIB.h"
#include "platform/SystemInfo.h"
#include "support/TempDir.h"

TEST(AboutWindow, LogoPlaysForwardAndBackEvery22TicksAndStopsOnClose) {
  // Twelve frames of their own colours in the program folder.
  TempDir dir;
  auto color = [](int frame) { return uint32_t(qRgb(20 * frame, 200 - 10 * frame, 7 * frame)) & 0xFFFFFF; };
  for (int i = 0; i < 12; ++i) {
    QImage img(389, 120, QImage::Format_RGB32);
    img.fill(color(i));
    TDIB dib;
    dib.Assign(img);
    dib.SaveToFile(dir.file("LOGO" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + ".BMP"));
  }
  TAboutFRM about(nullptr, dir.path());
  about.show();
  EXPECT_EQ(about.windowTitle().toStdString(), "Velmora - About");
  EXPECT_TRUE(about.LogoTMR->isActive());
  EXPECT_EQ(about.LogoTMR->interval(), 55);
  // The running timer draws each step's frame on the logo area.
  std::vector<int> frames;
  QEventLoop loop;
  QObject::connect(about.LogoTMR, &QTimer::timeout, &loop, [&] {
    const uint32_t shown = about.LogoArea->Surface()->Pixel(200, 60) & 0xFFFFFF;
    int frame = -1;
    for (int i = 0; i < 12; ++i)
      if (color(i) == shown) frame = i;
    frames.push_back(frame);
    if (frames.size() == 23) loop.quit();
  });
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);  // a guard against a hang only
  loop.exec();
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 10, 9, 8, 7, 6, 5, 4,
                                      3, 2, 1, 0}));
  EXPECT_EQ(about.LogoArea->size(), QSize(389, 120));
  about.close();
  EXPECT_FALSE(about.LogoTMR->isActive());
}

namespace {
class FakeSystem : public plat::SystemSource {
 public:
  std::string ReadText(const std::string& path) const override {
    if (path == "/proc/meminfo")
      return "MemTotal:       65535 kB\nMemFree:  100 kB\nMemAvailable:   2048 kB\n"
             "SwapTotal:      1048576 kB\nSwapFree:  1047552 kB\n";
    if (path == "/etc/os-release") return "PRETTY_NAME=\"Demo 3\"\nNAME=\"DemoOS\"\nVERSION=\"3 (tiny)\"\n";
    if (path == "/proc/cpuinfo") return "processor\t: 0\nmodel name\t: Demo CPU @ 1.00GHz\n";
    return {};
  }
  plat::KernelName Uname() const override { return {"Linux", "6.1.0", "#1 SMP", "x86_64"}; }
};
}  // namespace

TEST(SysInfoWindow, ShowsMemoryInWholeMegabytesTheSystemAndTheProcessor) {
  EXPECT_EQ(plat::MegabytesText(67108863), "63 MB");
  FakeSystem fake;
  TSysInfoFRM form(nullptr, &fake);
  form.Title = "Velmora";
  form.FormShow();
  auto text = [](QLabel* l) { return l->text().toStdString(); };
  EXPECT_EQ(form.windowTitle().toStdString(), "Velmora - System info");
  EXPECT_EQ(text(form.TotPhis), "63 MB");          // 65535 kB
  EXPECT_EQ(text(form.AvailPhis), "2 MB");
  EXPECT_EQ(text(form.TotVirtual), "1087 MB");     // + 1 GB of swap
  EXPECT_EQ(text(form.AvailVirtual), "1025 MB");
  EXPECT_EQ(text(form.Os1), "DemoOS");
  EXPECT_EQ(text(form.Os2), "Version 3 (tiny)");
  EXPECT_EQ(text(form.Os3), "Kernel Linux 6.1.0");
  EXPECT_EQ(text(form.Os4), "Build 1");
  EXPECT_EQ(text(form.Processor), "Demo CPU @ 1.00GHz");
  // Older kernels without MemAvailable: the free memory; other processors: their own line.
  EXPECT_EQ(plat::ParseMemInfo("MemTotal: 4096 kB\nMemFree: 1024 kB\n").availPhys, 1024u * 1024);
  EXPECT_EQ(plat::ProcessorName("Processor\t: ARMv7 rev 4\n", {}), "ARMv7 rev 4");
  EXPECT_EQ(plat::ProcessorName("", {"Linux", "", "", "riscv64"}), "riscv64");
}

TEST(HelpWindows, ActionsAreShownAndOpenTheirWindowsModally) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.seam.modalWindows.clear();
  for (QAction* a : {w.OptionsSysInfoACTN, w.HelpAboutACTN}) {
    EXPECT_TRUE(a->isVisible());
    a->trigger();
  }
  EXPECT_EQ(h.seam.modalWindows, (std::vector<std::string>{"TSysInfoFRM", "TAboutFRM"}));
  EXPECT_EQ(w.HelpAboutACTN->shortcut().toString().toStdString(), "Ctrl+B");
}
