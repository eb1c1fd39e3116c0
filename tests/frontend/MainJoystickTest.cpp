#include <gtest/gtest.h>

#include <QAction>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>

#include "directx/DXInput.h"
#include "frontend/MainWindowHarness.h"
#include "platform/Files.h"
#include "support/VirtualJoystick.h"

namespace {

struct JoyWindow : MainWindowHarness {
  const std::string cwd = plat::CurrentDir();  // a launch moves into the emulator folder
  SdlUse sdl;
  VirtualJoystick stick{2, 8};
  int plays = 0;
  bool joystickOnInRun = false;  // in any run so far

  JoyWindow() {
    TMainFRM& w = Make();
    EXPECT_FALSE(w.DirectX->UseDirectInput());  // DXGameSelect is off by default
    EXPECT_FALSE(w.JoyCheckTMR->isActive());
    LoadGames({"G00", "G01", "G02", "G03", "G04", "G05", "G06", "G07", "G08", "G09", "G10",
               "G11", "G12", "G13", "G14", "G15"},
              home.path());
    w.DXGameSelect = true;
    w.SwitchJoystick(true);
    w.DirectX->SetActiveOnly(false);  // the offscreen window is never the active one
    // The emulator: counts its runs and sees whether the joystick was read meanwhile.
    seam.processHandler = [this](const std::string&, bool, plat::WaitMode) {
      ++plays;
      joystickOnInRun |= window->DirectX->UseDirectInput() || window->JoyCheckTMR->isActive();
      return plat::ProcessResult{0, 0};
    };
    w.MamePlayACTN->setEnabled(true);
    Select("G00");
  }
  ~JoyWindow() {
    Destroy();
    plat::SetCurrentDir(cwd);
  }
  void Select(const char* name) {
    window->SelectedGame = Game(name);
    window->SelectLastGame();
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) window->JoyCheckTMRTimer();
  }
  std::string Selected() const {
    return window->SelectedGame ? window->SelectedGame->Name.str() : "";
  }
  void Buttons(std::initializer_list<int> numbers, bool down) {
    for (int b : numbers) stick.Button(b - 1, down);
  }
};

}  // namespace

TEST(MainJoystick, GetJoyButtonIsTheHighestPressed) {
  EXPECT_EQ(TMainFRM::GetJoyButton({}), 0);
  EXPECT_EQ(TMainFRM::GetJoyButton({isUp, isRight}), 0);
  EXPECT_EQ(TMainFRM::GetJoyButton({isButton2, isButton5, isDown}), 5);
  EXPECT_EQ(TMainFRM::GetJoyButton({isButton1, isButton32}), 32);
}

TEST(MainJoystick, StickMovesTheSelectionOneRowPerTick) {
  JoyWindow h;
  ASSERT_TRUE(h.stick.Ok());
  EXPECT_TRUE(h.window->JoyCheckTMR->isActive());
  EXPECT_EQ(h.window->JoyCheckTMR->interval(), 100);
  h.stick.Axis(1, 32767);  // held down for ten ticks (one second)
  h.Tick(10);
  EXPECT_EQ(h.Selected(), "G10");
  h.stick.Axis(1, -32768);
  h.Tick(3);
  EXPECT_EQ(h.Selected(), "G07");
  h.stick.Axis(1, 0);
  h.Tick(2);
  EXPECT_EQ(h.Selected(), "G07");
  EXPECT_EQ(h.plays, 0);
}

TEST(MainJoystick, ButtonsJumpPlayAndPickRandomly) {
  JoyWindow h;
  h.Select("G05");
  h.stick.Axis(1, 32767);
  h.Buttons({2, 5}, true);  // Page Down and Bottom: 5 wins, directions are ignored
  h.Tick();
  EXPECT_EQ(h.Selected(), "G15");
  h.Buttons({2, 5}, false);
  h.stick.Axis(1, 0);
  h.Buttons({6}, true);     // Top
  h.Tick();
  QTreeView* tree = h.window->TreeList;
  EXPECT_EQ(tree->currentIndex(), tree->model()->index(0, 0));  // the top row: folder "G"
  h.Buttons({6}, false);

  h.Select("G03");
  h.window->TopButton = 3;  // also Play: Play is tested last, so Enter
  h.Buttons({3}, true);
  h.Tick();
  EXPECT_EQ(h.plays, 1);
  EXPECT_EQ(h.Selected(), "G03");
  h.Buttons({3}, false);

  h.seam.randoms.push_back(7);
  h.Buttons({1}, true);     // Random: selects a game and sends no key
  h.Tick();
  EXPECT_EQ(h.Selected(), "G07");
  h.Buttons({1}, false);
  h.Tick();
  EXPECT_EQ(h.Selected(), "G07");

  // The launch above had the joystick off while the emulator ran, and on again after.
  EXPECT_FALSE(h.joystickOnInRun);
  EXPECT_TRUE(h.window->DirectX->UseDirectInput());
  EXPECT_TRUE(h.window->JoyCheckTMR->isActive());
  EXPECT_TRUE(h.window->DirectX->Joystick().Initialized());
}

TEST(MainJoystick, HeldPlayButtonStartsOneRun) {
  JoyWindow h;
  h.Buttons({3}, true);
  h.Tick(5);  // held through the run and after it
  EXPECT_EQ(h.plays, 1);
  h.Buttons({3}, false);
  h.Tick();
  h.Buttons({3}, true);  // a new press
  h.Tick(3);
  EXPECT_EQ(h.plays, 2);
}

TEST(MainJoystick, NoProfileNoAction) {
  SdlUse sdl;
  VirtualJoystick stick(2, 8);
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.SwitchJoystick(true);
  w.DirectX->SetActiveOnly(false);
  int plays = 0;
  QObject::connect(w.MamePlayACTN, &QAction::triggered, [&] { ++plays; });
  for (int b : {1, 3}) {
    stick.Button(b - 1, true);
    w.JoyCheckTMRTimer();
    stick.Button(b - 1, false);
    w.JoyCheckTMRTimer();
  }
  EXPECT_EQ(plays, 0);
  EXPECT_EQ(w.SelectedGame, nullptr);
  EXPECT_TRUE(h.seam.messages.empty());
  stick.Button(1, true);
  w.JoyCheckTMRTimer();
  EXPECT_TRUE(w.DirectX->States.Empty());  // not even polled
}
