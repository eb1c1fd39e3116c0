#include "codecs/GIFPainter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace gif {

// ---- Wake-up event and clock ----

void TWakeEvent::Set() {
  {
    std::lock_guard<std::mutex> l(m_);
    set_ = true;
  }
  cv_.notify_all();
}

bool TWakeEvent::WaitFor(int64_t ms) {
  std::unique_lock<std::mutex> l(m_);
  if (ms < 0)
    cv_.wait(l, [this] { return set_; });
  else
    cv_.wait_for(l, std::chrono::milliseconds(ms), [this] { return set_; });
  const bool was = set_;
  set_ = false;
  return was;
}

bool TWakeEvent::TryTake() {
  std::lock_guard<std::mutex> l(m_);
  const bool was = set_;
  set_ = false;
  return was;
}

int64_t TGIFClock::NowMs() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

void TGIFClock::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool TGIFClock::Wait(TWakeEvent& event, int64_t ms) { return event.WaitFor(ms); }

namespace {
TGIFClock realClock;
std::atomic<TGIFClock*> clock{&realClock};
}  // namespace

TGIFClock& PainterClock() { return *clock.load(); }
void SetPainterClock(TGIFClock* c) { clock.store(c ? c : &realClock); }

// ---- Painter ----

namespace {

// Lets this thread's pending events through; false once the application has been told to
// quit. Its quit ends every event loop of its thread, and one started later ends at once.
bool LetEventsThrough() {
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
    QCoreApplication::processEvents();
    return true;
  }
  QEventLoop loop;
  bool passed = false;
  QTimer::singleShot(0, &loop, [&] {
    passed = true;
    loop.quit();
  });
  loop.exec();
  return passed;
}

}  // namespace

TGIFPainter::TGIFPainter(TGIFImage* image, QPainter* canvas, QImage* target, const QRect& rect,
                         uint16_t options, int speed)
    : DrawOptions(options),
      AnimationSpeed(speed),
      image_(image),
      canvas_(canvas),
      canvasKey_(canvas),
      runner_(std::this_thread::get_id()),
      target_(target),
      rect_(rect),
      options_(options),
      ui_(std::make_unique<QObject>()) {
  // A painter on its own thread draws on the image's bitmap only: the caller's canvas is
  // gone once Draw returns.
  if (Threaded() && target_ && !(options_ & goDirectDraw)) canvas_ = nullptr;
  if (image_->DrawBackgroundColor != clNone) {
    const uint32_t c = image_->DrawBackgroundColor;
    background_ = QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
  } else if (image_->Header.ColorMap.Count() == 0) {
    background_ = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                      ? QGuiApplication::palette().color(QPalette::Window)
                      : QColor(Qt::white);
  } else {
    const TGIFColor c = image_->Header.ColorMap.GetColor(image_->Header.BackgroundColorIndex);
    background_ = QColor(c.Red, c.Green, c.Blue);
  }
  bool uses2 = options_ & goClearOnLoop, uses3 = false;
  for (int i = 0; i < image_->Count(); ++i)
    if (const TGIFGraphicControlExtension* g = image_->Frame(i).GraphicControlExtension) {
      uses2 = uses2 || g->Disposal() == 2;
      uses3 = uses3 || g->Disposal() == 3;
    }
  if (uses2 && (options_ & goTransparent)) backgroundSnapshot_ = GrabTarget();
  if (uses2 || uses3) {
    work_ = GrabTarget();
    previous_ = QImage(rect_.size(), QImage::Format_ARGB32_Premultiplied);
    previous_.fill(background_);
  }
}

TGIFPainter::~TGIFPainter() {
  if (isRunning()) wait();
}

QImage TGIFPainter::GrabTarget() const {
  QImage from;
  if (target_ && !canvas_)
    from = *target_;
  else if (canvas_ && canvas_->device() && canvas_->device()->devType() == QInternal::Image)
    from = *static_cast<QImage*>(canvas_->device());
  else if (target_)
    from = *target_;
  QImage img(rect_.size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(background_);
  if (!from.isNull()) {
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect src = (target_ && from.size() == rect_.size()) ? QRect(QPoint(0, 0), rect_.size())
                                                              : rect_;
    p.drawImage(QPoint(0, 0), from, src);
  }
  return img;
}

void TGIFPainter::Stop() {
  terminated_ = true;
  wake_.Set();
}

void TGIFPainter::OnUi(const std::function<void()>& fn) {
  if (!Threaded() || !QCoreApplication::instance() || QThread::currentThread() == ui_->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(
      ui_.get(),
      [&] {
        serving_ = true;
        fn();
        serving_ = false;
      },
      Qt::BlockingQueuedConnection);
}

void TGIFPainter::Event(const std::function<void(TGIFPainter*)>& e) {
  if (e) OnUi([&] { e(this); });
}

void TGIFPainter::WithTarget(const std::function<void(QPainter&)>& fn) {
  if (options_ & goDirectDraw || !target_) {
    if (canvas_) fn(*canvas_);
    return;
  }
  {
    QPainter p(target_);
    fn(p);
  }
  // A painter in the caller's thread also shows the frame on the canvas.
  if (canvas_) canvas_->drawImage(rect_, *target_);
  image_->Changed();
}

void TGIFPainter::RestoreBackground(QImage& into, const QRect& area) {
  QPainter p(&into);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  if ((options_ & goTransparent) && !backgroundSnapshot_.isNull())
    p.drawImage(area.topLeft(), backgroundSnapshot_, area);
  else
    p.fillRect(area, background_);
}

void TGIFPainter::DrawFrame(int index) {
  if (terminated_) return;
  TGIFSubImage& f = image_->Frame(index);
  const bool transparent = options_ & goTransparent, tile = options_ & goTile;
  // Painting happens in the target's own coordinates: the bitmap's, or the canvas rectangle.
  const QRect onTarget = (target_ && !(options_ & goDirectDraw)) ? QRect(QPoint(0, 0), rect_.size())
                                                                 : rect_;
  const QRect local(QPoint(0, 0), rect_.size());
  // Taken before drawing: the change event after a frame is drawn may free the frame.
  const QRect disposed = tile ? local : f.ScaledRect(local);
  if (work_.isNull()) {
    WithTarget([&](QPainter& p) { f.Draw(p, onTarget, transparent, tile); });
  } else {
    if ((options_ & goValidateCanvas) && canvas_ && !canvas_->isActive()) {
      terminated_ = true;
      return;
    }
    if (index == 0 && (options_ & goClearOnLoop)) RestoreBackground(work_, local);
    auto copy = [&](const QImage& from) {
      WithTarget([&](QPainter& p) {
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(onTarget, from);
        p.restore();
      });
    };
    if (disposal_ == 3) {
      if (previousDisposal_ < 2) {
        WithTarget([&](QPainter& p) { f.Draw(p, onTarget, transparent, tile); });
      } else {
        previous_ = work_.copy();
        {
          QPainter p(&previous_);
          f.Draw(p, local, transparent, tile);
        }
        copy(previous_);
      }
    } else {
      {
        QPainter p(&work_);
        f.Draw(p, local, transparent, tile);
      }
      copy(work_);
      if (disposal_ == 2) RestoreBackground(work_, disposed);
    }
  }
  previousDisposal_ = disposal_;
  firstDrawn_ = true;
}

bool TGIFPainter::Delay(int64_t ms) {
  TGIFClock& clock = PainterClock();
  if (Threaded()) {
    if (clock.Wait(wake_, ms)) woken_ = true;
    return !terminated_;
  }
  // In the caller's thread: short slices, letting events through between them.
  while (ms > 0 && !terminated_) {
    const int slice = int(std::min<int64_t>(100, ms));
    const int64_t t0 = clock.NowMs();
    clock.Sleep(slice);
    if (QCoreApplication::instance() && !LetEventsThrough()) terminated_ = true;
    ms -= std::max<int64_t>(1, clock.NowMs() - t0);
  }
  return !terminated_;
}

void TGIFPainter::Execute() {
  Loop();
  Finish();
}

void TGIFPainter::Loop() {
  TGIFClock& clock = PainterClock();
  restart_ = true;
  while (restart_ && !terminated_) {
    ActiveImage = 0;
    Event(OnStartPaint);
    restart_ = false;
    int loopsLeft = 1, loopStart = 0;
    bool seenLoop = false, endless = options_ & goLoopContinously;
    int delayUnits = Threaded() ? 0 : 1;
    int64_t previousDelay = 0;
    previousDisposal_ = 1;
    int64_t last = clock.NowMs();
    bool first = true;
    do {
      if ((loopsLeft <= 0 && !endless) || terminated_ || restart_) break;
      ActiveImage = loopStart;
      if (!first) Event(OnLoop);
      first = false;
      while (ActiveImage >= 0 && ActiveImage < image_->Count() && !terminated_ && !restart_) {
        const int index = ActiveImage;
        TGIFSubImage& f = image_->Frame(index);
        if (f.Empty()) break;
        if (delayUnits > 0) {
          // Made where the frames are drawn: the image's other users share the frame's bitmap.
          OnUi([&] { f.GetBitmap(); });
          // The time spent since the last wait began, beyond that wait, is half made up.
          const int64_t now = clock.NowMs();
          int64_t ms;
          if (AnimationSpeed < 1)
            ms = Threaded() ? -1 : int64_t(GIFMaximumDelay) * GIFDelayExp;
          else
            ms = (int64_t(delayUnits) * GIFDelayExp - (now - last - previousDelay) / 2) * 100 /
                 AnimationSpeed;
          last = now;
          previousDelay = std::max<int64_t>(ms, 0);
          // A late frame is shown at once: only speed 0 waits without limit.
          if ((ms > 0 || AnimationSpeed < 1) && !Delay(ms)) break;
          if (woken_) {
            // Woken early: the timing starts again.
            woken_ = false;
            last = clock.NowMs();
            previousDelay = 0;
          }
        }
        Event(OnPaint);
        // An event that changed the frames stopped the painter: f may be gone.
        if (terminated_) break;
        const TGIFGraphicControlExtension* g = f.GraphicControlExtension;
        disposal_ = g ? g->Disposal() : 1;
        const int nextUnits = g && g->Delay ? g->Delay : GIFDefaultDelay;
        if (!seenLoop)
          for (const auto& e : f.Extensions)
            if (&e->Class() == &TGIFAppExtNSLoop::ClassInfo) {
              seenLoop = true;
              loopsLeft = static_cast<const TGIFAppExtNSLoop*>(e.get())->Loops;
              loopStart = index;
              if ((loopsLeft == 0 || (options_ & goLoopContinously)) && Threaded()) endless = true;
              break;
            }
        OnUi([&] { DrawFrame(index); });
        delayUnits = std::max(nextUnits, GIFMinimumDelay);
        if (!Threaded()) delayUnits = std::min(delayUnits, GIFMaximumDelay);
        Event(OnAfterPaint);
        if (ActiveImage == index) ActiveImage = index + 1;
      }
      --loopsLeft;
    } while ((options_ & goAnimate) && (options_ & goLoop));
  }
}

void TGIFPainter::Finish() {
  ActiveImage = -1;
  Event(OnEndPaint);
  ended_ = true;
  std::lock_guard<std::recursive_mutex> lock(image_->painterLock_);
  if (image_->painter_ == this) image_->painter_ = nullptr;
  auto& list = image_->painters_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (Threaded()) image_->ended_.push_back(this);
}

}  // namespace gif
