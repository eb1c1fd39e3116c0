// Writing the GIF model back to a stream, the graphic control accessors, colour table
// optimisation and the optimisation passes over an image.
#include <algorithm>
#include <numeric>

#include "codecs/GIFImage.h"
#include "platform/Files.h"
#include "platform/LittleEndian.h"

namespace gif {

namespace {

// Each line as sub-blocks of at most 255 bytes (an empty line gives none), then a 0 byte.
void WriteLines(std::string& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    for (size_t i = 0; i < line.size(); i += 255) {
      const size_t n = std::min<size_t>(255, line.size() - i);
      out.push_back(char(n));
      out.append(line, i, n);
    }
  out.push_back('\0');
}

// The blocks from `first` on (empty ones give none), then a 0 byte.
void WriteBlocks(std::string& out, const std::vector<TGIFBlock>& blocks, size_t first) {
  for (size_t i = first; i < blocks.size(); ++i) {
    const TGIFBlock& b = blocks[i];
    if (b.Data.empty()) continue;
    out.push_back(char(b.Data.size()));
    out.append(reinterpret_cast<const char*>(b.Data.data()), b.Data.size());
  }
  out.push_back('\0');
}

// Step progress of the optimisation: one step per frame and pass, six passes.
class TOptimizeProgress {
 public:
  TOptimizeProgress(TGIFImage& image, int frames) : image_(image), total_(6 * std::max(1, frames)) {}
  void Step() {
    ++step_;
    image_.ReportProgress(1, std::min(100, step_ * 100 / total_), false, "Optimizing...");
  }

 private:
  TGIFImage& image_;
  int total_, step_ = 0;
};

bool Contains(const TGIFSubImage& f, int index) {
  const auto& d = f.Data();
  return std::find(d.begin(), d.end(), uint8_t(index)) != d.end();
}

int DisposalOf(const TGIFSubImage& f) {
  return f.GraphicControlExtension ? f.GraphicControlExtension->Disposal() : 0;
}

QRect FrameRect(const TGIFSubImage& f) { return QRect(f.Left, f.Top, f.Width, f.Height); }

template <class T>
bool Is(const TGIFExtension* e) {
  return &e->Class() == &T::ClassInfo;
}

// Adds `delay` to the frame's own, making it a graphic control extension when it has none.
void AddDelay(TGIFSubImage& f, int delay) {
  if (delay <= 0) return;
  if (!f.GraphicControlExtension)
    f.Extensions.push_back(std::make_unique<TGIFGraphicControlExtension>(&f));
  uint16_t& d = f.GraphicControlExtension->Delay;
  d = uint16_t(std::min(65535, d + delay));
}

// A looping extension of `from` goes to the front of `first`'s extensions, unless `first` has
// one already; every reader looks for it there.
void MoveLoopTo(TGIFSubImage& first, const TGIFSubImage& from) {
  if (&first == &from) return;
  for (const auto& e : first.Extensions)
    if (Is<TGIFAppExtNSLoop>(e.get())) return;
  for (const auto& e : from.Extensions)
    if (Is<TGIFAppExtNSLoop>(e.get())) {
      const auto& old = static_cast<const TGIFAppExtNSLoop&>(*e);
      auto loop = std::make_unique<TGIFAppExtNSLoop>(&first);
      loop->Identifier = old.Identifier;
      loop->Authentication = old.Authentication;
      loop->Loops = old.Loops;
      loop->BufferSize = old.BufferSize;
      first.Extensions.insert(first.Extensions.begin(), std::move(loop));
      return;
    }
}

void WriteGifFile(const std::string& fileName, const std::string& data) {
  std::string error;
  if (!plat::WriteFileAtomic(fileName, data, &error))
    throw GIFException("Cannot create file \"" + fileName + "\". " + error);
}

}  // namespace

// ---- Items ----

void TGIFItem::SaveToFile(const std::string& fileName) {
  std::string data;
  SaveToStream(data);
  WriteGifFile(fileName, data);
}

void TGIFHeader::SaveToStream(std::string& out) {
  const int globalBits = ColorMap.BitsPerPixel();
  int resolution = globalBits - 1;
  if (image_)
    for (int i = 0; i < image_->Count(); ++i)
      resolution = std::max(resolution, image_->Frame(i).ColorMap.BitsPerPixel() - 1);
  Packed = uint8_t((resolution & 7) << 4);
  if (ColorMap.Count() > 0) {
    Packed |= 0x80 | uint8_t((globalBits - 1) & 7);
    if (ColorMap.Optimized()) Packed |= 0x08;
  }
  // The screen written holds every frame.
  int width = Width, height = Height;
  if (image_)
    for (int i = 0; i < image_->Count(); ++i) {
      const TGIFSubImage& f = image_->Frame(i);
      if (f.Empty()) continue;
      width = std::clamp(f.Left + f.Width, width, 65535);
      height = std::clamp(f.Top + f.Height, height, 65535);
    }
  plat::Put16LE(out, uint16_t(width));
  plat::Put16LE(out, uint16_t(height));
  out.push_back(char(Packed));
  out.push_back(char(BackgroundColorIndex));
  out.push_back(char(AspectRatio));
  if (Packed & 0x80) ColorMap.SaveToStream(out);
}

void TGIFTrailer::SaveToStream(std::string& out) { out.push_back(';'); }

// ---- Extensions ----

void TGIFExtension::SaveToStream(std::string& out) {
  out.push_back('!');
  out.push_back(char(ExtensionLabel()));
  SaveBody(out);
}

void TGIFGraphicControlExtension::SaveBody(std::string& out) {
  // Always the 4 bytes this block holds, whatever size the file read said.
  out.push_back(4);
  out.push_back(char(Packed));
  plat::Put16LE(out, Delay);
  out.push_back(char(TransparentColorIndex));
  out.push_back(char(Terminator));
}

void TGIFGraphicControlExtension::SetTransparent(bool on) {
  Packed = uint8_t(on ? Packed | 1 : Packed & ~1);
  if (frame_) frame_->Transparent = on;
}

void TGIFGraphicControlExtension::SetUserInput(bool on) {
  Packed = uint8_t(on ? Packed | 2 : Packed & ~2);
}

void TGIFGraphicControlExtension::SetDisposal(int method) {
  Packed = uint8_t((Packed & ~0x1C) | ((method & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index) {
  const int count = frame_ ? frame_->ActiveColorMap().Count() : 0;
  if (count > 0 && (index < 0 || index >= count)) {
    Warning(gsWarning, "Invalid color index");
    index = 0;
  }
  TransparentColorIndex = uint8_t(index);
}

void TGIFTextExtension::SaveBody(std::string& out) {
  out.push_back(12);
  plat::Put16LE(out, Left);
  plat::Put16LE(out, Top);
  plat::Put16LE(out, GridWidth);
  plat::Put16LE(out, GridHeight);
  out.push_back(char(CellWidth));
  out.push_back(char(CellHeight));
  out.push_back(char(TextFgColorIndex));
  out.push_back(char(TextBgColorIndex));
  WriteLines(out, Text);
}

void TGIFCommentExtension::SaveBody(std::string& out) { WriteLines(out, Text); }

void TGIFApplicationExtension::SaveBody(std::string& out) {
  out.push_back(11);
  out.append(Identifier.data(), 8);
  out.append(Authentication.data(), 3);
  SaveData(out);
}

void TGIFUnknownAppExtension::SaveBody(std::string& out) {
  size_t first = 0;
  if (BlockSize < 10) {
    // An odd identifier block was kept as the first data block.
    const size_t n = Blocks.empty() ? 0 : Blocks[0].Data.size();
    out.push_back(char(n));
    if (n) out.append(reinterpret_cast<const char*>(Blocks[0].Data.data()), n);
    first = Blocks.empty() ? 0 : 1;
  } else {
    // The bytes past the identifier were skipped when read: zeros stand for them.
    char id[11];
    std::copy(Identifier.begin(), Identifier.end(), id);
    std::copy(Authentication.begin(), Authentication.end(), id + 8);
    out.push_back(char(BlockSize));
    out.append(id, std::min<size_t>(11, BlockSize));
    if (BlockSize > 11) out.append(size_t(BlockSize) - 11, '\0');
  }
  WriteBlocks(out, Blocks, first);
}

void TGIFUnknownAppExtension::SaveData(std::string& out) { WriteBlocks(out, Blocks, 0); }

void TGIFAppExtNSLoop::SaveData(std::string& out) {
  out.push_back(3);
  out.push_back(1);
  plat::Put16LE(out, Loops);
  if (BufferSize != 0) {
    out.push_back(5);
    out.push_back(2);
    for (int i = 0; i < 4; ++i) out.push_back(char((BufferSize >> (8 * i)) & 0xFF));
  }
  out.push_back('\0');
}

// ---- Frames ----

void TGIFSubImage::Compress(std::string& out) {
  int bits, colors;
  if (ColorMap.Count() > 0) {
    bits = ColorMap.BitsPerPixel();
    colors = ColorMap.Count();
  } else if (image_ && image_->Header.ColorMap.Count() > 0) {
    bits = image_->Header.ColorMap.BitsPerPixel();
    colors = 1 << bits;
  } else {
    // No colour table at all: the pixels are written as they were read.
    bits = 8;
    colors = 256;
  }
  EncodeFrame(out, image_ ? image_->Compression : 0, bits, colors, Width, Height, Interlaced(),
              pixels_.data(), [this](TGIFSeverity s, const std::string& m) { Warning(s, m); });
}

void TGIFSubImage::SaveToStream(std::string& out) {
  // Without a picture (or plain text) a graphic control block would steer the next frame's.
  const bool dropControl =
      Empty() && std::none_of(Extensions.begin(), Extensions.end(),
                              [](const auto& e) { return Is<TGIFTextExtension>(e.get()); });
  for (auto& e : Extensions)
    if (!(dropControl && Is<TGIFGraphicControlExtension>(e.get()))) e->SaveToStream(out);
  if (Empty()) return;
  if (ColorMap.Count() > 0)
    Packed = uint8_t(0x80 | (ColorMap.Optimized() ? 0x20 : 0) | ((ColorMap.BitsPerPixel() - 1) & 7));
  else
    Packed &= 0x58;
  out.push_back(',');
  plat::Put16LE(out, Left);
  plat::Put16LE(out, Top);
  plat::Put16LE(out, Width);
  plat::Put16LE(out, Height);
  out.push_back(char(Packed));
  ColorMap.SaveToStream(out);
  Compress(out);
}

// ---- The image ----

int TGIFImage::GetVersion() const {
  int v = 0;
  for (const auto& f : frames_) v = std::max(v, f->GetVersion());
  return v;
}

void TGIFImage::SaveToStream(std::string& out) {
  Progress(0, 0, false, "Saving...");
  try {
    const int version = GetVersion();
    // A file without a single picture is one that no reader takes.
    const bool pictures =
        std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return !f->Empty(); });
    if ((version != 1 && version != 2) || !pictures) throw GIFException("Unsupported GIF version");
    out += version == 1 ? "GIF87a" : "GIF89a";
    Header.SaveToStream(out);
    for (size_t i = 0; i < frames_.size(); ++i) {
      frames_[i]->SaveToStream(out);
      Progress(1, int((i + 1) * 100 / frames_.size()), false, "Saving...");
    }
    TGIFTrailer(this).SaveToStream(out);
  } catch (...) {
    Progress(2, 0, true, "Saving...");
    throw;
  }
  Progress(2, 100, true, "Saving...");
}

void TGIFImage::SaveToFile(const std::string& fileName) {
  std::string data;
  SaveToStream(data);
  WriteGifFile(fileName, data);
}

void TGIFImage::WriteData(std::string& out) { SaveToStream(out); }

int TGIFImage::IndexOf(const TGIFSubImage* frame) const {
  for (size_t i = 0; i < frames_.size(); ++i)
    if (frames_[i].get() == frame) return int(i);
  return -1;
}

// ---- Colour table optimisation ----

std::vector<TGIFSubImage*> TGIFGlobalColorMap::Users() const {
  std::vector<TGIFSubImage*> users;
  for (int i = 0; i < image_->Count(); ++i)
    if (image_->Frame(i).ColorMap.Count() == 0) users.push_back(&image_->Frame(i));
  return users;
}

namespace {

// The screen's background and the plain text colours index the global table.
template <class F>
void ForEachOtherIndex(TGIFImage& image, F f) {
  f(image.Header.BackgroundColorIndex);
  for (int i = 0; i < image.Count(); ++i)
    for (const auto& e : image.Frame(i).Extensions)
      if (Is<TGIFTextExtension>(e.get())) {
        f(static_cast<TGIFTextExtension&>(*e).TextFgColorIndex);
        f(static_cast<TGIFTextExtension&>(*e).TextBgColorIndex);
      }
}

}  // namespace

void TGIFGlobalColorMap::CountOtherUses(std::vector<int>& counts) const {
  ForEachOtherIndex(*image_, [&counts](uint8_t i) {
    if (i < counts.size()) ++counts[i];
  });
}

void TGIFGlobalColorMap::MapOtherUses(const std::vector<int>& newIndex) {
  ForEachOtherIndex(*image_, [&newIndex](uint8_t& i) {
    if (i < newIndex.size()) i = uint8_t(newIndex[i]);
  });
}

std::vector<TGIFSubImage*> TGIFLocalColorMap::Users() const {
  if (Count() == 0) return {};
  return {frame_};
}

std::vector<int> TGIFColorMap::Histogram() const {
  std::vector<int> counts(static_cast<size_t>(count_), 0);
  for (TGIFSubImage* f : Users())
    for (uint8_t p : f->Data())
      if (p < count_) ++counts[p];
  CountOtherUses(counts);
  return counts;
}

void TGIFColorMap::MapImages(const std::vector<int>& newIndex, int kept) {
  for (TGIFSubImage* f : Users()) {
    for (uint8_t& p : f->Data())
      if (p < newIndex.size()) p = uint8_t(newIndex[p]);
    if (TGIFGraphicControlExtension* g = f->GraphicControlExtension)
      if (g->TransparentColorIndex < newIndex.size()) {
        const int t = newIndex[g->TransparentColorIndex];
        if (t < kept) {
          g->TransparentColorIndex = uint8_t(t);
        } else {
          // A dropped colour that no pixel used: the transparency showed nothing.
          g->TransparentColorIndex = 0;
          g->SetTransparent(false);
        }
      }
    f->DiscardBitmap();
  }
  MapOtherUses(newIndex);
}

void TGIFColorMap::Optimize() {
  // A table no frame uses (the global one of an image without frames) stays as it is.
  if (count_ <= 1 || Users().empty()) return;
  optimized_ = true;
  const std::vector<int> counts = Histogram();
  std::vector<int> order(static_cast<size_t>(count_));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return counts[size_t(a)] > counts[size_t(b)]; });
  int used = 0;
  while (used < count_ && counts[size_t(order[size_t(used)])] > 0) ++used;
  bool same = true;
  for (int i = 0; i < count_; ++i) same = same && order[size_t(i)] == i;
  // An unchanged order leaves the table as it is.
  if (same) return;
  used = std::max(used, 1);
  std::vector<int> newIndex(static_cast<size_t>(count_));
  std::vector<TGIFColor> colors(colors_.size());
  for (int i = 0; i < count_; ++i) {
    newIndex[size_t(order[size_t(i)])] = i;
    colors[size_t(i)] = colors_[size_t(order[size_t(i)])];
  }
  MapImages(newIndex, used);
  colors_ = std::move(colors);
  count_ = used;
  Changed();
}

// ---- Optimisation ----

void TGIFImage::Optimize(int options, int reductionMethod, int bits, int ditherMode) {
  (void)bits;
  (void)ditherMode;
  if (frames_.empty()) return;
  StopDraw();
  std::lock_guard<std::recursive_mutex> lock(painterLock_);
  Progress(0, 0, false, "Optimizing...");
  try {
    OptimizePasses(options);
    if ((options & ooReduceColors) && reductionMethod == 9)
      throw GIFException("Invalid reduction method");
  } catch (...) {
    Progress(2, 0, true, "Optimizing...");
    throw;
  }
  Progress(2, 100, true, "Optimizing...");
  Changed();
}

void TGIFImage::OptimizePasses(int options) {
  TOptimizeProgress progress(*this, Count());
  auto frame = [this](int i) -> TGIFSubImage& { return *frames_[size_t(i)]; };

  // Colour tables: sorted by use, unused colours dropped.
  if (options & ooColorMap) {
    if (Header.ColorMap.Count() > 0) Header.ColorMap.Optimize();
    for (int i = 0; i < Count(); ++i, progress.Step())
      if (frame(i).ColorMap.Count() > 0) frame(i).ColorMap.Optimize();
  }

  if (options & ooCleanup) {
    // A transparent colour no pixel uses.
    for (int i = 0; i < Count(); ++i, progress.Step()) {
      TGIFSubImage& f = frame(i);
      if (f.TransparentIndex() >= 0 && !Contains(f, f.TransparentIndex()))
        f.GraphicControlExtension->SetTransparent(false);
    }
    // A disposal that the next, opaque frame makes pointless: it covers this frame whole and
    // does not go back to what was under it.
    for (int i = 0; i + 1 < Count(); ++i, progress.Step()) {
      TGIFSubImage &f = frame(i), &next = frame(i + 1);
      TGIFGraphicControlExtension* g = f.GraphicControlExtension;
      if (!g || (g->Disposal() != 2 && g->Disposal() != 3) || next.Transparent) continue;
      if (next.Empty() || DisposalOf(next) == 3) continue;
      const QRect both = FrameRect(f).intersected(FrameRect(next));
      if (!both.isEmpty() && both == FrameRect(f)) g->SetDisposal(0);
    }
  }

  // Pixels that show what the frame before left there become transparent.
  if (options & ooMerge) {
    for (int i = Count() - 1; i >= 1; --i, progress.Step()) {
      TGIFSubImage& f = frame(i);
      int r = i - 1;
      while (r > 0 && DisposalOf(frame(r)) == 3) --r;
      TGIFSubImage& ref = frame(r);
      // After disposal 2 (or 3 at the first frame) the area no longer shows the frame.
      if (DisposalOf(ref) >= 2 || f.Empty() || ref.Empty()) continue;
      const QRect both = FrameRect(f).intersected(FrameRect(ref));
      if (both.isEmpty()) continue;
      const TGIFColorMap& fm = f.ActiveColorMap();
      const TGIFColorMap& rm = ref.ActiveColorMap();
      const int fTrans = f.TransparentIndex(), rTrans = ref.TransparentIndex();
      auto rgb = [](const TGIFColorMap& m, int p, TGIFColor& c) {
        if (p >= m.Count()) return false;
        c = m.Data()[p];
        return true;
      };
      std::vector<size_t> same;
      for (int y = both.top(); y <= both.bottom(); ++y)
        for (int x = both.left(); x <= both.right(); ++x) {
          const size_t fi = size_t(y - f.Top) * f.Width + size_t(x - f.Left);
          const int p = f.Data()[fi];
          const int q = ref.Data()[size_t(y - ref.Top) * ref.Width + size_t(x - ref.Left)];
          if (p == fTrans || q == rTrans) continue;
          TGIFColor a, b;
          const bool equal = (&fm == &rm && p == q) ||
                             (rgb(fm, p, a) && rgb(rm, q, b) && a == b);
          if (equal) same.push_back(fi);
        }
      if (same.empty()) continue;
      // A transparent index outside the table cannot be written into the pixels.
      int ti = fTrans >= 0 && fTrans < fm.Count() ? fTrans : -1;
      if (ti < 0) {
        TGIFColorMap& table = f.ColorMap.Count() > 0 ? static_cast<TGIFColorMap&>(f.ColorMap)
                                                     : Header.ColorMap;
        if (table.Count() >= 256 || table.Count() == 0) continue;
        // The transparent index of another frame on the global table, when this frame
        // doesn't use that colour; else a new entry.
        if (&table == &Header.ColorMap)
          for (int k = 0; k < Count() && ti < 0; ++k) {
            TGIFSubImage& o = frame(k);
            const int oTrans = o.TransparentIndex();
            if (&o != &f && oTrans >= 0 && oTrans < table.Count() && o.ColorMap.Count() == 0 &&
                !Contains(f, oTrans))
              ti = oTrans;
          }
        if (ti < 0) ti = table.Add(TGIFColor{});
        // Pixels of the old index stay transparent.
        if (fTrans >= 0)
          for (uint8_t& p : f.Data())
            if (p == fTrans) p = uint8_t(ti);
        if (!f.GraphicControlExtension) {
          auto g = std::make_unique<TGIFGraphicControlExtension>(&f);
          f.Extensions.push_back(std::move(g));
        }
        f.GraphicControlExtension->TransparentColorIndex = uint8_t(ti);
        f.GraphicControlExtension->SetTransparent(true);
      }
      for (size_t fi : same) f.Data()[fi] = uint8_t(ti);
      f.DiscardBitmap();
    }
  }

  // Transparent borders cropped; frames left empty go (the last frame stays).
  if (options & ooCrop) {
    for (int i = Count() - 1; i >= 0; --i, progress.Step()) {
      TGIFSubImage& f = frame(i);
      if (f.Empty() || f.TransparentIndex() < 0) continue;
      // Disposal 2 clears the whole rectangle: cropping it would clear less.
      if (f.GraphicControlExtension->Disposal() == 2) continue;
      const uint8_t t = uint8_t(f.TransparentIndex());
      const int w = f.Width, h = f.Height;
      const uint8_t* d = f.Data().data();
      auto rowUsed = [&](int y) {
        const uint8_t* r = d + size_t(y) * w;
        return std::any_of(r, r + w, [t](uint8_t p) { return p != t; });
      };
      auto colUsed = [&](int x, int top, int bottom) {
        for (int y = top; y <= bottom; ++y)
          if (d[size_t(y) * w + x] != t) return true;
        return false;
      };
      int top = 0, bottom = h - 1, left = 0, right = w - 1;
      while (top < h && !rowUsed(top)) ++top;
      if (top == h) {
        if (Count() == 1) break;
        // A blank frame shows for its delay what the frame before it left. That is the frame's
        // own picture only after disposal 0 or 1: then the blank frame goes and its delay is
        // added to that frame's. The lead-in blank frame 0 stays.
        const TGIFGraphicControlExtension& g = *f.GraphicControlExtension;
        if (i > 0 && DisposalOf(frame(i - 1)) < 2 && !g.UserInput()) {
          AddDelay(frame(i - 1), g.Delay);
          MoveLoopTo(frame(0), f);
          frames_.erase(frames_.begin() + i);
          continue;
        }
        top = bottom = left = right = 0;  // one transparent pixel keeps the frame
      } else {
        while (!rowUsed(bottom)) --bottom;
        while (!colUsed(left, top, bottom)) ++left;
        while (!colUsed(right, top, bottom)) --right;
      }
      if (left == 0 && top == 0 && right == w - 1 && bottom == h - 1) continue;
      const int nw = right - left + 1, nh = bottom - top + 1;
      std::vector<uint8_t> cropped(size_t(nw) * nh);
      for (int y = 0; y < nh; ++y)
        std::copy_n(d + size_t(top + y) * w + left, nw, cropped.begin() + ptrdiff_t(y) * nw);
      f.Data() = std::move(cropped);
      f.Left = uint16_t(f.Left + left);
      f.Top = uint16_t(f.Top + top);
      f.Width = uint16_t(nw);
      f.Height = uint16_t(nh);
      f.DiscardBitmap();
    }
  }

  // Blocks that change nothing on screen.
  if (options & ooCleanup) {
    for (int i = Count() - 1; i >= 0; --i, progress.Step()) {
      TGIFSubImage& f = frame(i);
      auto& ext = f.Extensions;
      for (size_t k = ext.size(); k-- > 0;) {
        TGIFExtension* e = ext[k].get();
        bool drop = Is<TGIFCommentExtension>(e) || Is<TGIFTextExtension>(e) ||
                    Is<TGIFUnknownAppExtension>(e);
        if (Is<TGIFAppExtNSLoop>(e)) {
          if (i > 0) MoveLoopTo(frame(0), f);
          drop = !(i == 0 && Count() > 1);
        }
        if (Is<TGIFGraphicControlExtension>(e)) {
          auto* g = static_cast<TGIFGraphicControlExtension*>(e);
          drop = (g->Delay == 0 || Count() == 1) && !g->Transparent() && !g->UserInput() &&
                 (g->Disposal() < 2 || Count() == 1);
        }
        if (drop) ext.erase(ext.begin() + ptrdiff_t(k));
      }
      if (f.Empty() && ext.empty() && Count() > 1) frames_.erase(frames_.begin() + i);
    }
  }
}

}  // namespace gif
