#include <gtest/gtest.h>

#include <QTableWidget>
#include <functional>
#include <set>
#include <sstream>

#include "frontend/MainWindowHarness.h"
#include "launch/Audio.h"
#include "launch/MAMEdir.h"
#include "launch/Misc.h"
#include "launch/OptionValues.h"
#include "launch/Video.h"
#include "platform/Files.h"

namespace {

struct OptionsWindow : MainWindowHarness {
  TempDir emu;
  OptionsWindow() {
    Make();
    LoadGames({"ZYPHON"}, emu.path());
    w().LoadMAMECfg();
    w().SaveMAMECfg();
  }
  TMainFRM& w() { return *window; }
  std::string Cfg() const {
    std::string text;
    plat::ReadWholeFile(window->MAMECfgFileName(), text);
    return text;
  }
  // Runs an action whose dialog is worked by `work` and then confirmed with Ok.
  template <class Dialog>
  void Confirm(void (TMainFRM::*action)(), std::function<void(Dialog&)> work) {
    seam.modalHandlers.push_back([work](QWidget* window) {
      auto& d = *qobject_cast<Dialog*>(window);
      work(d);
      d.OkBTN->click();
      return 1;
    });
    (w().*action)();
    w().SaveMAMECfg();
  }
};

// The lines of the new text that the old one lacks.
std::set<std::string> ChangedLines(const std::string& before, const std::string& after) {
  std::set<std::string> old, changed;
  std::istringstream a(before), b(after);
  for (std::string l; std::getline(a, l);) old.insert(l);
  for (std::string l; std::getline(b, l);)
    if (!old.count(l)) changed.insert(l);
  return changed;
}

}  // namespace

TEST(OptionValues, LabelsRoundingAndRotation) {
  using namespace options;
  EXPECT_EQ(VolumeLabel(0), "00 dB");
  EXPECT_EQ(VolumeLabel(5), "-05 dB");
  EXPECT_EQ(VolumeLabel(32), "-32 dB");
  EXPECT_EQ(SliderPosition(0.57f, 100, 50, 200), 57);  // truncation would give 56
  EXPECT_EQ(SliderPosition(1.9f, 10, 10, 160), 19);
  EXPECT_EQ(SliderPosition(500.0f, 10, 10, 160), 160);
  EXPECT_EQ(SliderLabel(10, 10), "1.00");
  EXPECT_EQ(StoredValue(ScanRates(), 0, "x"), "-1");
  EXPECT_EQ(StoredValue(Monitors(), -1, "CUSTOM"), "CUSTOM");
  EXPECT_EQ(IndexOfValue(Resolutions(), "640X480"), 22);
  EXPECT_EQ(Joysticks().values.size(), 25u);
  EXPECT_EQ(RotationPicture(false, true, false, false, false), "MAME0");
  EXPECT_EQ(RotationPicture(true, true, false, false, false), "MAME270");
  EXPECT_EQ(RotationPicture(true, true, false, true, true), "MAME90");
  EXPECT_EQ(RotationPicture(true, false, true, false, false), "MAME90");
  EXPECT_EQ(RotationPicture(true, true, false, false, true), "3MAM90");
  EXPECT_EQ(BlankPathsQuestion(1),
            "1 path has been left blank.\rUse default paths for the blank field?");
  EXPECT_EQ(BlankPathsQuestion(2),
            "2 paths has been left blank.\rUse default paths for all blank fields?");
  // A 640x480 game on 320x240: scaled by 9, the skip limited to half the difference.
  ViewableArea a = ComputeViewableArea(640, 480, IndexOfValue(Resolutions(), "320X240"), 500, -3);
  EXPECT_TRUE(a.active);
  EXPECT_EQ(a.scale, 9);
  EXPECT_EQ(a.skipColumns, 160);
  EXPECT_EQ(a.skipLines, -3);
  EXPECT_FALSE(ComputeViewableArea(224, 256, 22, 5, 5).active);
}

TEST(OptionDialogs, OkUntouchedKeepsTheFileAndEachControlChangesItsKey) {
  OptionsWindow h;
  h.w().MAMEConfig.gamma = 0.57f;
  h.w().MAMEConfig.beam = 1.15f;
  h.w().MAMEConfig.monitor = "CUSTOM";  // not in the list: kept
  h.w().SaveMAMECfg();
  const std::string original = h.Cfg();
  h.Confirm<TVideoFRM>(&TMainFRM::MameVideoACTNExecute, [](TVideoFRM&) {});
  h.Confirm<TAudioFRM>(&TMainFRM::MameAudioACTNExecute, [](TAudioFRM&) {});
  h.Confirm<TMiscFRM>(&TMainFRM::MameMiscACTNExecute, [](TMiscFRM&) {});
  EXPECT_EQ(h.Cfg(), original);

  struct Case {
    std::function<void(OptionsWindow&)> change;
    std::set<std::string> lines;
  };
  const Case cases[] = {
      {[](OptionsWindow& o) {
         o.Confirm<TVideoFRM>(&TMainFRM::MameVideoACTNExecute,
                              [](TVideoFRM& d) { d.Gamma->setValue(120); });
       },
       {"gamma=1.2000000\r"}},
      {[](OptionsWindow& o) {
         o.Confirm<TVideoFRM>(&TMainFRM::MameVideoACTNExecute, [](TVideoFRM& d) {
           d.Res->setCurrentIndex(options::IndexOfValue(options::Resolutions(), "640X480"));
         });
       },
       {"resolution=640X480\r"}},
      {[](OptionsWindow& o) {
         o.Confirm<TAudioFRM>(&TMainFRM::MameAudioACTNExecute,
                              [](TAudioFRM& d) { d.Volume->setValue(5); });
       },
       {"volume=-5\r"}},
      {[](OptionsWindow& o) {
         o.Confirm<TMiscFRM>(&TMainFRM::MameMiscACTNExecute,
                             [](TMiscFRM& d) { d.Joystick->setCurrentIndex(3); });
       },
       {"joystick=DUAL\r"}},
  };
  for (const Case& c : cases) {
    const std::string before = h.Cfg();
    c.change(h);
    EXPECT_EQ(ChangedLines(before, h.Cfg()), c.lines);
  }
}

TEST(OptionDialogs, EnableRules) {
  OptionsWindow h;
  TVideoFRM video(&h.w());
  video.tweak->setChecked(true);
  EXPECT_FALSE(video.VesaMode->isEnabled());
  EXPECT_TRUE(video.AlwaysSynced->isEnabled());
  video.AlwaysSynced->setChecked(true);
  EXPECT_FALSE(video.ScanRate->isEnabled());
  video.Monitor->setCurrentIndex(0);
  EXPECT_FALSE(video.waitinterlace->isEnabled());
  EXPECT_FALSE(video.CenterScreenBTN->isEnabled());
  video.Monitor->setCurrentIndex(3);
  EXPECT_TRUE(video.waitinterlace->isEnabled());
  video.norotate->setChecked(false);
  EXPECT_FALSE(video.rol->isEnabled());

  TAudioFRM audio(&h.w());
  audio.SampleRateDetect->setChecked(false);
  audio.SoundCard->setCurrentIndex(2);
  EXPECT_TRUE(audio.SampleRate->isEnabled());
  audio.SampleRateDetect->click();
  EXPECT_FALSE(audio.SampleRate->isEnabled());
  audio.SampleRateDetect->click();
  audio.SoundCard->setCurrentIndex(1);  // "None (silence)"
  for (QWidget* w : std::initializer_list<QWidget*>{audio.SampleRate, audio.Stereo, audio.Volume,
                                                    audio.SampleRateDetect})
    EXPECT_FALSE(w->isEnabled());
}

TEST(OptionDialogs, MiscLanguageOnlyOnOkAndTheCheatEditor) {
  OptionsWindow h;
  h.w().LanguageNames = {"ENGLISH", "ITALIAN"};
  h.w().MAMEConfig.language = "KLINGON";
  h.seam.modalHandlers.push_back([](QWidget*) { return 2; });
  h.w().MameMiscACTNExecute();
  EXPECT_EQ(h.w().MAMEConfig.language, "KLINGON");

  TMiscFRM misc(&h.w());
  h.w().TextEditor = "/no/such/editor";
  misc.cheat->setChecked(true);
  misc.UpdateCheatControls();
  EXPECT_FALSE(misc.CheatEditBTN->isEnabled());
  h.w().TextEditor.clear();  // the desktop opens it
  misc.UpdateCheatControls();
  EXPECT_TRUE(misc.CheatEditBTN->isEnabled());
  const std::string cheats = h.emu.write("my cheats.dat", "cheat");
  misc.CheatFile->setText("my cheats.dat");
  misc.CheatEditBTNClick();
  EXPECT_EQ(h.seam.opened, std::vector<std::string>{cheats});
  h.emu.write("gz.dat", std::string("\x1f\x8b\x08\0", 4));
  misc.CheatFile->setText("gz.dat");
  misc.CheatEditBTNClick();
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_EQ(h.seam.messages.back().text,
            "The cheat file is GZip-compressed and\rcannot be opened in a text editor.");
}

TEST(OptionDialogs, DirectoriesBlankQuestionDefaultsAndCreation) {
  OptionsWindow h;
  TMainFRM& w = h.w();
  w.MAMEDirectories.inp = "";
  w.MAMEDirectories.hi = " ";
  // No to the blank question keeps the dialog open and stores nothing.
  h.seam.messageAnswers = {plat::IDNO};
  h.seam.modalHandlers.push_back([](QWidget* win) {
    qobject_cast<TMAMEDirFRM*>(win)->OkBTN->click();
    return 2;
  });
  w.MameDirectoriesACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, options::BlankPathsQuestion(2));
  EXPECT_EQ(w.MAMEDirectories.inp, "");
  EXPECT_EQ(w.MAMEDirectories.rompath.substr(0, 2), ".;");  // even after Cancel

  // Yes fills in the defaults; each missing folder is offered, a Yes creates it.
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDYES};
  for (int i = 0; i < 9; ++i) h.seam.messageAnswers.push_back(plat::IDYES);
  h.seam.modalHandlers.push_back([](QWidget* win) {
    qobject_cast<TMAMEDirFRM*>(win)->OkBTN->click();
    return 1;
  });
  w.MameDirectoriesACTNExecute();
  EXPECT_EQ(w.MAMEDirectories.inp, h.emu.path() + "INP");
  EXPECT_TRUE(plat::DirExists(h.emu.path() + "INP"));
  EXPECT_TRUE(plat::DirExists(h.emu.path() + "HI"));
  EXPECT_EQ(h.seam.messages[1].text,
            "The directory " + h.emu.path() + "INP does not exist.\rDo you want Velmora to "
            "create it?");
}
