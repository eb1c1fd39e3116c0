#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <deque>
#include <map>
#include <memory>

#include "directx/DXInput.h"
#include "support/VirtualJoystick.h"

namespace {

// A form with its input component, set up as the program's forms are (joystick only), not
// limited to the foreground unless asked.
struct Rig {
  explicit Rig(bool activeOnly = false, bool useSdl = true) {
    dx = new TDXInput(&form);
    dx->SetActiveOnly(activeOnly);
    dx->Keyboard().SetEnabled(false);
    if (!useSdl) dx->SetUseDirectInput(false);
    dx->Loaded();
  }
  TInputStates Poll() {
    dx->Update();
    return dx->States;
  }
  QWidget form;
  TDXInput* dx;  // owned by the form
};

TInputStates Of(std::initializer_list<InputState> s) { return TInputStates(s); }

}  // namespace

TEST(DXInput, EdgeRuleAndButtonsOverSuccessivePolls) {
  SdlUse sdl;
  ASSERT_TRUE(sdl.Up());
  VirtualJoystick stick(2, 40);
  ASSERT_TRUE(stick.Ok());
  Rig r;
  ASSERT_TRUE(r.dx->Joystick().Initialized());
  EXPECT_EQ(r.dx->Joystick().ButtonCount(), 40);
  EXPECT_EQ(r.Poll(), TInputStates{});

  stick.Button(1, true);
  EXPECT_EQ(r.Poll(), Of({isButton2}));
  EXPECT_EQ(r.Poll(), Of({isButton2}));  // held: stays
  r.dx->States.Exclude(isButton2);       // cleared by the caller while held
  EXPECT_EQ(r.Poll(), TInputStates{});
  EXPECT_EQ(r.Poll(), TInputStates{});
  stick.Button(1, false);
  EXPECT_EQ(r.Poll(), TInputStates{});
  stick.Button(1, true);                 // pressed again: back
  EXPECT_EQ(r.Poll(), Of({isButton2}));
  stick.Button(1, false);
  EXPECT_EQ(r.Poll(), TInputStates{});   // a release removes it at once
  stick.Button(3, true);                 // pressed and released between polls: never seen
  stick.Button(3, false);
  EXPECT_EQ(r.Poll(), TInputStates{});

  // Only the first 32 buttons give states.
  stick.Button(31, true);
  stick.Button(35, true);
  EXPECT_EQ(r.Poll(), Of({isButton32}));
  stick.Button(31, false);
  stick.Button(35, false);

  // Axes through the dead zone (50 %) and range (1000).
  struct { int16_t x, y; TInputStates want; } axes[] = {
      {0, 0, {}}, {16000, -16000, {}}, {17000, 0, Of({isRight})}, {-32768, 0, Of({isLeft})},
      {0, 32767, Of({isDown})}, {-20000, -20000, Of({isLeft, isUp})}};
  for (auto& a : axes) {
    stick.Axis(0, a.x);
    stick.Axis(1, a.y);
    EXPECT_EQ(r.Poll(), a.want) << a.x << "," << a.y;
  }
  stick.Axis(0, 32767);
  r.Poll();
  EXPECT_EQ(r.dx->Joystick().JoyState().lX, 1000);
}

TEST(DXInput, SecondJoystickUnplugAndReplug) {
  SdlUse sdl;
  ASSERT_TRUE(sdl.Up());
  auto first = std::make_unique<VirtualJoystick>(2, 4);
  VirtualJoystick second(2, 4);
  Rig r;
  r.dx->Joystick().SetID(1);
  second.Button(2, true);
  first->Button(0, true);
  EXPECT_EQ(r.Poll(), Of({isButton3}));

  // ID 1 unplugged between polls: no states, no crash.
  second.Detach();
  EXPECT_EQ(r.Poll(), TInputStates{});
  EXPECT_FALSE(r.dx->Joystick().Initialized());
  EXPECT_EQ(r.Poll(), TInputStates{});

  // Plugged in again later: found without a restart.
  VirtualJoystick again(2, 4);
  again.Button(0, true);
  EXPECT_EQ(r.Poll(), Of({isButton1}));
  EXPECT_TRUE(r.dx->Joystick().Initialized());

  // ID 0 unplugged and looked for again on activation.
  r.dx->Joystick().SetID(0);
  first->Button(0, false);
  first->Button(1, true);
  EXPECT_EQ(r.Poll(), Of({isButton2}));
  first->Detach();
  EXPECT_EQ(r.Poll(), TInputStates{});
  r.dx->Joystick().Acquire();  // "again" is now the first joystick
  EXPECT_TRUE(r.dx->Joystick().Initialized());
  EXPECT_EQ(r.Poll(), Of({isButton1}));
}

TEST(DXInput, UnpluggedJoystickIsLookedForOnTheNextPoll) {
  SdlUse sdl;
  ASSERT_TRUE(sdl.Up());
  auto first = std::make_unique<VirtualJoystick>(2, 4);
  Rig r;
  first->Button(0, true);
  EXPECT_EQ(r.Poll(), Of({isButton1}));

  // Pulled out and plugged back between two polls: the count is what it was.
  first.reset();
  VirtualJoystick back(2, 4);
  back.Button(1, true);
  EXPECT_EQ(r.Poll(), TInputStates{});
  EXPECT_EQ(r.Poll(), Of({isButton2}));

  // Two joysticks, the first unplugged: the second takes its index.
  VirtualJoystick second(2, 4);
  second.Button(2, true);
  back.Detach();
  EXPECT_EQ(r.Poll(), TInputStates{});
  EXPECT_EQ(r.Poll(), Of({isButton3}));
}

TEST(DXInput, NoJoystickActiveOnlyAndCooperativeLevels) {
  SdlUse sdl;
  EXPECT_TRUE(TCustomDXInput::JoysticksAvailable());
  {
    Rig none;  // nothing attached: no states, nothing shown
    EXPECT_FALSE(none.dx->Joystick().Initialized());
    EXPECT_EQ(none.Poll(), TInputStates{});
  }
  VirtualJoystick stick(2, 4);
  stick.Button(0, true);
  Rig r(/*activeOnly=*/true);
  EXPECT_EQ(r.Poll(), TInputStates{});  // another window in front (none is active)
  EXPECT_EQ(r.dx->Joystick().CooperativeLevel(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  r.dx->SetActiveOnly(false);
  EXPECT_EQ(r.dx->Joystick().CooperativeLevel(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  EXPECT_EQ(r.Poll(), Of({isButton1}));
  r.dx->Joystick().SetAutoCenter(false);
  EXPECT_EQ(r.dx->Joystick().GetCooperativeLevel(), DISCL_EXCLUSIVE | DISCL_FOREGROUND);

  // UseDirectInput off: no SDL use, the kernel road (nothing there).
  const int users = plat::SdlInput::UserCount();
  r.dx->SetUseDirectInput(false);
  EXPECT_EQ(plat::SdlInput::UserCount(), users - 1);
  EXPECT_EQ(r.Poll(), TInputStates{});
}

TEST(DXInput, ConvertAxisTable) {
  struct { int32_t pos, max, min, range, dead, want; } rows[] = {
      {32767, 65535, 0, 1000, 50, 0},          // centre
      {32767 + 16383, 65535, 0, 1000, 50, 0},  // within the dead zone
      {32767 - 16384, 65535, 0, 1000, 50, 0},
      {65535, 65535, 0, 1000, 50, 1000},       // the ends reach about +-1000
      {0, 65535, 0, 1000, 50, -1000},
      {32767 + 24575, 65535, 0, 1000, 50, 500},
      {65535, 65535, 0, 1000, 0, 1000},
      {40000, 65535, 0, 1000, 100, 0},         // no span left
      {5, 10, 10, 1000, 50, 0},                // max <= min
      {5, 0, 10, 1000, 50, 0},
      {INT32_MAX, INT32_MAX, 0, 1000, 0, 1000},    // products beyond 32 bits
      {INT32_MIN, INT32_MAX, INT32_MIN, 1000, 0, -1000},
      {INT32_MAX, 65535, 0, 1000, 50, 1000},   // far beyond the device's end: clamped
  };
  for (auto& r : rows)
    EXPECT_EQ(TJoystick::ConvertAxis(r.pos, r.max, r.min, r.range, r.dead), r.want)
        << r.pos << " " << r.max << " " << r.min << " " << r.dead;

  QWidget form;
  TDXInput dx(&form);
  TJoystick& j = dx.Joystick();
  EXPECT_EQ(j.DeadZoneX(), 50);
  EXPECT_EQ(j.RangeY(), 1000);
  j.SetDeadZone(DIJOFS_X, 150);
  j.SetRange(DIJOFS_Y, -3);
  j.SetDeadZone(DIJOFS_POV0, 10);
  j.SetDeadZone(271, 10);
  EXPECT_EQ(j.DeadZoneX(), 100);
  EXPECT_EQ(j.RangeY(), 0);
  EXPECT_EQ(j.DeadZone(DIJOFS_POV0), -1);
  EXPECT_EQ(j.DeadZone(271), 0);
}

TEST(DXInput, KeyboardFromQtKeyEventsAndItsStoredAssigns) {
  QWidget form;
  auto* edit = new QLineEdit(&form);
  TDXInput dx(&form);
  dx.SetActiveOnly(false);
  dx.SetUseDirectInput(false);
  dx.Loaded();
  ASSERT_TRUE(dx.Keyboard().Initialized());
  auto key = [&](QEvent::Type t, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent e(t, k, m);
    QApplication::sendEvent(edit, &e);
  };
  key(QEvent::KeyPress, Qt::Key_K);
  key(QEvent::KeyPress, Qt::Key_Return);
  key(QEvent::KeyPress, Qt::Key_6, Qt::KeypadModifier);
  dx.Update();
  EXPECT_EQ(dx.States, Of({isUp, isRight, isButton2}));
  EXPECT_EQ(dx.Keyboard().KeyStates()[VK_NUMPAD6], 0x80);
  key(QEvent::KeyRelease, Qt::Key_K);
  key(QEvent::KeyRelease, Qt::Key_Return);
  key(QEvent::KeyRelease, Qt::Key_6, Qt::KeypadModifier);
  key(QEvent::KeyPress, Qt::Key_F2);
  dx.Update();
  EXPECT_EQ(dx.States, Of({isButton9}));
  key(QEvent::KeyRelease, Qt::Key_F2);

  // The mouse needs SDL, as it needs DirectInput.
  try {
    dx.Mouse().SetEnabled(true);
    FAIL() << "no error";
  } catch (const EDXInputError& e) {
    EXPECT_STREQ(e.what(), "DirectInput is necessary to use the mouse");
  }

  // The 432-byte property; the misspelt name is read too, never written.
  TKeyboard& kb = dx.Keyboard();
  const std::string stored = kb.WriteAssigns();
  ASSERT_EQ(stored.size(), 432u);
  EXPECT_EQ(std::memcmp(stored.data(), "K\0\0\0&\0\0\0h\0\0\0", 12), 0);
  kb.Assigns[isUp][0] = 'W';
  EXPECT_TRUE(kb.ReadProperty("Aissgns", stored));
  EXPECT_EQ(kb.Assigns, TKeyboard::DefaultAssigns());
  EXPECT_FALSE(kb.ReadProperty("Assigns", stored.substr(1)));
  EXPECT_FALSE(kb.ReadProperty("Other", stored));

  struct { uint8_t dik, vk; } table[] = {{0x02, '1'}, {0x0B, '0'}, {0x10, 'Q'}, {0x2C, 'Z'},
                                         {0x3B, 112}, {0x58, 123}, {0x52, 96}, {0x9C, 13},
                                         {0x37, 42}, {0xC8, 38}, {0xDD, 93}, {0x0C, 0},
                                         {0x29, 0}, {0x0D, '='}, {0xDE, 0}, {0xFF, 0}};
  for (auto& t : table) EXPECT_EQ(TKeyboard::DIKToVK(t.dik), t.vk) << int(t.dik);
}

TEST(DXInput, OwnerFormAndHookLifetimes) {
  QObject loose;
  try {
    TDXInput dx(&loose);
    FAIL() << "no error";
  } catch (const EDXInputError& e) {
    EXPECT_STREQ(e.what(), "Form not found");
  }
  {  // the form dies first, taking the component with it
    auto form = std::make_unique<QWidget>();
    auto* inner = new QWidget(form.get());
    QPointer<TDXInput> dx = new TDXInput(inner);
    EXPECT_EQ(dx->OwnerForm(), form.get());
    form.reset();
    EXPECT_TRUE(dx.isNull());
  }
  {  // the component dies first: the form lives on with no hook
    QWidget form;
    auto* dx = new TDXInput(&form);
    QPointer<QObject> hook = dx->findChild<QObject*>("FormHook");
    ASSERT_TRUE(hook);
    delete dx;
    EXPECT_TRUE(hook.isNull());
    EXPECT_TRUE(form.children().isEmpty());
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &e);  // reaches nothing dead (the sanitizer build checks)
  }
}

// ---------------------------------------------------------------------------------------------
// The kernel road, fed recorded js_event data.

namespace {

class RecordedIo : public plat::KernelJoystickIo {
 public:
  std::map<unsigned, int> devices;  // js number -> fd
  std::map<int, std::deque<std::string>> reads;
  int opens = 0;
  int Open(unsigned n) override {
    ++opens;
    auto it = devices.find(n);
    return it == devices.end() ? -1 : it->second;
  }
  bool Counts(int, int& axes, int& buttons) override {
    axes = 2;
    buttons = 6;
    return true;
  }
  long Read(int fd, void* buffer, size_t size) override {
    auto& q = reads[fd];
    if (q.empty()) return 0;
    if (q.front() == "gone") return -1;
    std::string& chunk = q.front();
    const size_t n = std::min(size, chunk.size());
    std::memcpy(buffer, chunk.data(), n);
    chunk.erase(0, n);
    if (chunk.empty()) q.pop_front();
    return static_cast<long>(n);
  }
  void Close(int) override {}
};

std::string Ev(uint8_t type, uint8_t number, int16_t value) {
  plat::JsEvent e{0, value, type, number};
  return std::string(reinterpret_cast<const char*>(&e), sizeof e);
}

}  // namespace

TEST(DXInput, KernelRoadFromRecordedEvents) {
  RecordedIo io;
  io.devices = {{1, 11}, {3, 13}};  // js1 and js3: ID 1 is js3
  plat::SetKernelJoystickIo(&io);
  {
    Rig r(false, /*useSdl=*/false);
    r.dx->Joystick().SetID(1);
    EXPECT_EQ(r.dx->Joystick().MultimediaNumber(), 3);
    EXPECT_EQ(r.dx->Joystick().ButtonCount(), 6);
    // The initial state, then a stick pushed left and button 5 pressed, split over reads.
    const std::string init = Ev(0x82, 0, 0) + Ev(0x82, 1, 0) + Ev(0x81, 4, 0);
    io.reads[13] = {init};
    EXPECT_EQ(r.Poll(), TInputStates{});  // at rest: centre, no directions
    const std::string moves = Ev(2, 0, -30000) + Ev(1, 4, 1);
    io.reads[13] = {moves.substr(0, 5), moves.substr(5)};
    EXPECT_EQ(r.Poll(), Of({isLeft, isButton5}));
    io.reads[13] = {Ev(2, 0, 8000) + Ev(2, 1, 32767) + Ev(1, 4, 0)};
    EXPECT_EQ(r.Poll(), Of({isDown}));
    io.reads[13] = {"gone"};  // unplugged: no states
    EXPECT_EQ(r.Poll(), TInputStates{});
  }
  plat::SetKernelJoystickIo(nullptr);
}
