// Joystick navigation of the game list: every tick of JoyCheckTMR turns the joystick's
// states into one key stroke for the game tree (no repeat delay: ten a second while held).
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>

#include "directx/DXInput.h"
#include "frontend/main.h"

uint8_t TMainFRM::GetJoyButton(const TInputStates& states) {
  for (int b = 32; b >= 1; --b)
    if (states.Contains(ButtonState(b))) return static_cast<uint8_t>(b);
  return 0;
}

TDXInput* TMainFRM::NewJoystickInput(QObject* owner) {
  auto* input = new TDXInput(owner);
  input->Keyboard().SetEnabled(false);
  input->Mouse().SetEnabled(false);
  input->Loaded();
  return input;
}

void TMainFRM::SwitchJoystick(bool on) {
  DirectX->SetUseDirectInput(on);
  on ? JoyCheckTMR->start() : JoyCheckTMR->stop();
}

namespace {

int QtKey(uint8_t vk) {
  switch (vk) {
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    default: return 0;
  }
}

}  // namespace

void TMainFRM::JoyCheckTMRTimer() {
  // No filter tab, or only the empty "All games" of a window with no profile: nothing.
  if (ListTabs->count() == 0 || ListTabs->currentIndex() < 0 || !ProfileLoaded) return;
  DirectX->Update();
  const TInputStates states = DirectX->States;
  // As with Enter, a held Play button starts one run: the next needs a new press (a run
  // restarts the joystick, after which the held button reads as pressed anew).
  if (PlayButton < 1 || PlayButton > 32 || !states.Contains(ButtonState(PlayButton)))
    JoyPlayHeld = false;
  uint8_t key = 0;
  if (const uint8_t b = GetJoyButton(states)) {
    // A later match replaces an earlier one: Play wins.
    if (b == TopButton) key = VK_HOME;
    if (b == BottomButton) key = VK_END;
    if (b == PageUpButton) key = VK_PRIOR;
    if (b == PageDownButton) key = VK_NEXT;
    if (b == PlayButton) key = VK_RETURN;
    if (b == RandomButton) FindRandomACTN->trigger();
  } else {
    if (states.Contains(isUp)) key = VK_UP;
    if (states.Contains(isDown)) key = VK_DOWN;
    if (states.Contains(isLeft)) key = VK_LEFT;
    if (states.Contains(isRight)) key = VK_RIGHT;
  }
  if (key == 0) return;
  if (key == VK_RETURN) {
    if (JoyPlayHeld) return;
    JoyPlayHeld = true;
    TreeListDblClick();
    return;
  }
  TreeList->setFocus();
  const auto k = static_cast<Qt::Key>(QtKey(key));
  QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier, 0, key, 0);
  QApplication::sendEvent(TreeList, &down);
  QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier, 0, key, 0);
  QApplication::sendEvent(TreeList, &up);
}
