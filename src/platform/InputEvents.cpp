#include "platform/InputEvents.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <unordered_map>

namespace plat {

namespace {

class Filter : public QObject {
 public:
  std::array<uint8_t, 256> keys{};
  std::unordered_map<quint32, uint8_t> byScanCode;  // a key's code as it went down
  InputEvents::Mouse mouse;
  QPointF last;
  bool haveLast = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        // A key event is offered to each parent in turn: only the first delivery counts.
        if (!watched->isWidgetType()) break;
        auto* k = static_cast<QKeyEvent*>(e);
        const bool down = e->type() == QEvent::KeyPress;
        uint8_t vk = InputEvents::VirtualKey(k->key(), k->modifiers() & Qt::KeypadModifier);
        if (k->nativeScanCode() != 0) {
          auto it = byScanCode.find(k->nativeScanCode());
          if (!down && it != byScanCode.end()) {
            vk = it->second;
            byScanCode.erase(it);
          } else if (down && vk) {
            byScanCode[k->nativeScanCode()] = vk;
          }
        }
        if (vk) keys[vk] = down ? 0x80 : 0;
        break;
      }
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease: {
        if (!watched->isWidgetType()) break;
        auto* m = static_cast<QMouseEvent*>(e);
        const QPointF p = m->globalPosition();
        if (haveLast && m->type() == QEvent::MouseMove) {
          mouse.x += static_cast<int32_t>(p.x() - last.x());
          mouse.y += static_cast<int32_t>(p.y() - last.y());
        }
        last = p;
        haveLast = true;
        const Qt::MouseButtons b = m->buttons();
        mouse.buttons[0] = b & Qt::LeftButton ? 0x80 : 0;
        mouse.buttons[1] = b & Qt::RightButton ? 0x80 : 0;
        mouse.buttons[2] = b & Qt::MiddleButton ? 0x80 : 0;
        break;
      }
      case QEvent::Wheel:
        if (watched->isWidgetType())
          mouse.z += static_cast<QWheelEvent*>(e)->angleDelta().y();
        break;
      case QEvent::ApplicationDeactivate:
        // Keys released while another program is in front are never seen.
        keys.fill(0);
        byScanCode.clear();
        mouse = {};
        haveLast = false;
        break;
      default:
        break;
    }
    return false;
  }
};

Filter* filter = nullptr;
int users = 0;

}  // namespace

void InputEvents::AddUser() {
  if (users++ == 0 && QCoreApplication::instance()) {
    filter = new Filter;
    QCoreApplication::instance()->installEventFilter(filter);
  }
}

void InputEvents::RemoveUser() {
  if (users == 0) return;
  if (--users == 0) {
    delete filter;  // removes itself from the application
    filter = nullptr;
  }
}

bool InputEvents::Installed() { return filter != nullptr; }

std::array<uint8_t, 256> InputEvents::KeyStates() {
  return filter ? filter->keys : std::array<uint8_t, 256>{};
}

InputEvents::Mouse InputEvents::TakeMouse() {
  if (!filter) return {};
  Mouse m = filter->mouse;
  filter->mouse.x = filter->mouse.y = filter->mouse.z = 0;
  return m;
}

uint8_t InputEvents::VirtualKey(int key, bool keypad) {
  if (keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint8_t>(96 + key - Qt::Key_0);
    switch (key) {
      case Qt::Key_Asterisk: return 106;
      case Qt::Key_Plus: return 107;
      case Qt::Key_Minus: return 109;
      case Qt::Key_Period: case Qt::Key_Comma: return 110;
      case Qt::Key_Slash: return 111;
      case Qt::Key_Enter: return 13;
      default: break;  // the keypad's arrows and the like are the ordinary keys
    }
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>(key);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint8_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint8_t>(112 + key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default: return 0;
  }
}

}  // namespace plat
