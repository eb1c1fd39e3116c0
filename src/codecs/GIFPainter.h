// The animation painter: plays a GIF image's frames on a canvas with their timing, looping
// and disposal, as a thread or as a loop in the caller's thread.
#pragma once
#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "codecs/GIFImage.h"

namespace gif {

// Timing constants: milliseconds per delay unit; default, minimum and maximum delay in units.
constexpr int GIFDelayExp = 12;
constexpr int GIFDefaultDelay = 10;
constexpr int GIFMinimumDelay = 3;
constexpr int GIFMaximumDelay = 1000;

// Auto-reset event that wakes a painter waiting on its delay.
class TWakeEvent {
 public:
  void Set();
  // True when the event was set; ms < 0 waits without limit.
  bool WaitFor(int64_t ms);
  bool TryTake();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool set_ = false;
};

// The painters' clock: tests install their own so no test sleeps.
class TGIFClock {
 public:
  virtual ~TGIFClock() = default;
  virtual int64_t NowMs();
  // One slice of a synchronous painter's sleep.
  virtual void Sleep(int ms);
  // A threaded painter's wait on its wake-up event (ms < 0: without limit); true when woken.
  virtual bool Wait(TWakeEvent& event, int64_t ms);
};
TGIFClock& PainterClock();
void SetPainterClock(TGIFClock* clock);  // nullptr: the real clock

class TGIFPainter : public QThread {
 public:
  // canvas: drawn straight onto (with goDirectDraw, or shown after each frame by a painter that
  // runs in the caller's thread); target: the image's bitmap drawn into, or null.
  // With goDirectDraw the canvas must stay until the painter has ended (StopDraw); the
  // target is the image's bitmap, which the image frees only after stopping its painters.
  TGIFPainter(TGIFImage* image, QPainter* canvas, QImage* target, const QRect& rect,
              uint16_t options, int speed);
  ~TGIFPainter() override;

  // The loop; a threaded painter runs it on its thread.
  void Execute();
  // Tells the painter to stop and wakes it.
  void Stop();
  bool Stopped() const { return terminated_; }
  bool Threaded() const { return options_ & goAsync; }
  // Whether the painter runs on a thread other than the calling one.
  bool RunsElsewhere() const { return Threaded() || runner_ != std::this_thread::get_id(); }
  // Whether it waits for the calling thread to run one of its events or frames: it ends only
  // once that has returned.
  bool WaitsForCaller() const { return serving_ && QThread::currentThread() == ui_->thread(); }
  bool Paints(const QPainter* canvas, const QRect& rect) const {
    return canvas == canvasKey_ && rect == rect_;
  }
  bool FirstFrameDrawn() const { return firstDrawn_; }
  bool Ended() const { return ended_; }
  QColor BackgroundColor() const { return background_; }
  bool HasWorkBitmap() const { return !work_.isNull(); }

  TGIFImage* Image() const { return image_; }
  const uint16_t DrawOptions;
  const int AnimationSpeed;
  // The frame being shown (-1 when finished); events may move it.
  std::atomic<int> ActiveImage{-1};
  std::function<void(TGIFPainter*)> OnStartPaint, OnPaint, OnAfterPaint, OnLoop, OnEndPaint;

 protected:
  void run() override { Execute(); }

 private:
  void Loop();
  void Event(const std::function<void(TGIFPainter*)>& e);
  // Runs fn on the thread that owns the canvas, and waits for it.
  void OnUi(const std::function<void()>& fn);
  void WithTarget(const std::function<void(QPainter&)>& fn);
  QImage GrabTarget() const;
  void DrawFrame(int index);
  void RestoreBackground(QImage& into, const QRect& area);
  // Waits before the next frame; false when told to stop.
  bool Delay(int64_t ms);
  void Finish();

  TGIFImage* image_;
  QPainter* canvas_;
  const QPainter* canvasKey_;
  const std::thread::id runner_;  // of a painter that runs in the caller's thread
  QImage* target_;
  QRect rect_;
  uint16_t options_;
  int disposal_ = 1, previousDisposal_ = 1;
  bool woken_ = false;
  QImage work_, previous_, backgroundSnapshot_;
  QColor background_;
  std::atomic<bool> terminated_{false}, restart_{false}, firstDrawn_{false}, ended_{false},
      serving_{false};
  TWakeEvent wake_;
  std::unique_ptr<QObject> ui_;
};

}  // namespace gif
