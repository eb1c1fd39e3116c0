#include "codecs/GIFImage.h"

#include <algorithm>
#include <cctype>

#include "codecs/PictureBound.h"
#include "platform/Files.h"

namespace gif {

namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// Sub-blocks as lines: each sub-block up to its first zero byte.
void ReadLines(TByteReader& in, std::vector<std::string>& lines) {
  lines.clear();
  for (int n; (n = in.ReadByte()) > 0;) {
    const size_t k = std::min(size_t(n), in.Left());
    const char* p = reinterpret_cast<const char*>(in.Here());
    lines.emplace_back(p, std::find(p, p + k, '\0'));
    in.Skip(k);
  }
}

// Bytes of the LZW data at the reader's position: the code size byte and the sub-blocks up to
// their terminator (or the end of the data).
size_t FrameDataBytes(TByteReader in) {
  const size_t start = in.Position();
  in.Skip(1);
  in.SkipSubBlocks();
  return in.Position() - start;
}

template <class T>
std::unique_ptr<TGIFExtension> Make(TGIFSubImage* frame) {
  return std::make_unique<T>(frame);
}

const TGIFExtensionClass* RefineApplication(TByteReader& in);
const TGIFExtensionClass* RefineLoop(TByteReader& in);

std::vector<const TGIFExtensionClass*>& ExtensionRegistry() {
  static std::vector<const TGIFExtensionClass*> r = {
      &TGIFTextExtension::ClassInfo, &TGIFGraphicControlExtension::ClassInfo,
      &TGIFCommentExtension::ClassInfo, &TGIFApplicationExtension::ClassInfo};
  return r;
}

struct AppEntry {
  std::array<char, 11> Id;
  const TGIFExtensionClass* Class;
};

std::vector<AppEntry>& AppRegistry() {
  static std::vector<AppEntry> r = [] {
    std::vector<AppEntry> v;
    for (const char* id : {"NETSCAPE2.0", "ANIMEXTS1.0"}) {
      AppEntry e{};
      std::copy(id, id + 11, e.Id.begin());
      e.Class = &TGIFAppExtNSLoop::ClassInfo;
      v.push_back(e);
    }
    return v;
  }();
  return r;
}

const TGIFExtensionClass* RefineApplication(TByteReader& in) {
  const size_t pos = in.Position();
  const int size = in.ReadByte();
  if (size < 0) return nullptr;
  const TGIFExtensionClass* result = &TGIFUnknownAppExtension::ClassInfo;
  if (size == 11) {
    char id[11];
    if (in.Read(id, 11) == 11) {
      if (const TGIFExtensionClass* c = FindAppExtensionClass(id)) result = c;
    }
  }
  // Any other size has no reader of its own: its blocks are kept raw.
  in.Seek(pos);
  return result;
}

// A looping block with a sub-block too short for the value its kind holds is kept raw: the
// picture shows, and the loop count is not taken from it.
const TGIFExtensionClass* RefineLoop(TByteReader& in) {
  const size_t pos = in.Position();
  const TGIFExtensionClass* result = &TGIFAppExtNSLoop::ClassInfo;
  in.Skip(size_t(std::max(in.ReadByte(), 0)));  // the identifier block
  for (int n; (n = in.ReadByte()) > 0 && size_t(n) <= in.Left(); in.Skip(size_t(n))) {
    const int kind = in.Here()[0] & 7;
    if ((kind == 1 && n < 3) || (kind == 2 && n < 5)) {
      result = &TGIFUnknownAppExtension::ClassInfo;
      break;
    }
  }
  in.Seek(pos);
  return result;
}

}  // namespace

// ---- Registries ----

void RegisterExtensionClass(const TGIFExtensionClass* cls) { ExtensionRegistry().push_back(cls); }

void RegisterAppExtensionClass(const char identifierAndCode[11], const TGIFExtensionClass* cls) {
  AppEntry e{};
  std::copy(identifierAndCode, identifierAndCode + 11, e.Id.begin());
  e.Class = cls;
  AppRegistry().push_back(e);
}

const TGIFExtensionClass* FindExtensionClass(uint8_t label) {
  const auto& r = ExtensionRegistry();
  for (auto it = r.rbegin(); it != r.rend(); ++it)
    if ((*it)->Label == label) return *it;
  return nullptr;
}

const TGIFExtensionClass* FindAppExtensionClass(const char identifierAndCode[11]) {
  const auto& r = AppRegistry();
  for (auto it = r.rbegin(); it != r.rend(); ++it)
    if (std::equal(it->Id.begin(), it->Id.end(), identifierAndCode)) return it->Class;
  return nullptr;
}

const TGIFExtensionClass* FindExtensionClassAt(TByteReader& in) {
  const size_t pos = in.Position();
  in.Skip(1);  // the introducer
  const int label = in.ReadByte();
  const TGIFExtensionClass* cls = label < 0 ? nullptr : FindExtensionClass(uint8_t(label));
  while (cls && cls->Refine) {
    const TGIFExtensionClass* next = cls->Refine(in);
    if (next == cls) break;
    cls = next;
  }
  in.Seek(pos);
  return cls;
}

// ---- Colour maps ----

void TGIFColorMap::Clear() {
  colors_.clear();
  count_ = capacity_ = 0;
  optimized_ = false;
}

void TGIFColorMap::Grow(int needed) {
  if (needed <= capacity_) return;
  capacity_ = needed <= 16 ? 16 : std::min(256, (needed + 31) / 32 * 32);
  colors_.resize(size_t(capacity_));
}

void TGIFColorMap::LoadFromStream(TByteReader& in, int count) {
  Clear();
  Grow(count);
  uint8_t buf[256 * 3];
  in.ReadExact(buf, size_t(count) * 3);
  for (int i = 0; i < count; ++i) colors_[size_t(i)] = {buf[i * 3], buf[i * 3 + 1], buf[i * 3 + 2]};
  count_ = count;
}

int TGIFColorMap::BitsPerPixel() const {
  if (count_ == 0) return 0;
  int n = 1;
  while ((1 << n) < count_) ++n;
  return n;
}

void TGIFColorMap::SaveToStream(std::string& out) const {
  const int total = count_ == 0 ? 0 : 1 << BitsPerPixel();
  for (int i = 0; i < total; ++i) {
    TGIFColor c = i < count_ ? colors_[size_t(i)] : TGIFColor{};
    out.push_back(char(c.Red));
    out.push_back(char(c.Green));
    out.push_back(char(c.Blue));
  }
}

int TGIFColorMap::IndexOf(TGIFColor c) const {
  if (optimized_) {
    for (int i = 0; i < count_; ++i)
      if (colors_[size_t(i)] == c) return i;
  } else {
    for (int i = count_ - 1; i >= 0; --i)
      if (colors_[size_t(i)] == c) return i;
  }
  return -1;
}

int TGIFColorMap::Add(TGIFColor c) {
  if (count_ >= 256) throw GIFException("Color table overflow");
  Grow(count_ + 1);
  colors_[size_t(count_)] = c;
  optimized_ = false;
  Changed();
  return count_++;
}

int TGIFColorMap::AddUnique(TGIFColor c) {
  const int i = IndexOf(c);
  return i >= 0 ? i : Add(c);
}

void TGIFColorMap::Delete(int index) {
  if (index < 0 || index >= count_) throw GIFException("Invalid color index");
  colors_.erase(colors_.begin() + index);
  colors_.resize(size_t(capacity_));
  --count_;
  Changed();
}

TGIFColor TGIFColorMap::GetColor(int index) {
  if (count_ == 0) throw GIFException("Color table is empty");
  if (index < 0 || index >= count_) {
    Warning(gsWarning, "Invalid color index");
    index = 0;
  }
  return colors_[size_t(index)];
}

void TGIFColorMap::Assign(const TGIFColorMap& source) {
  colors_ = source.colors_;
  count_ = source.count_;
  capacity_ = source.capacity_;
  optimized_ = source.optimized_;
  Changed();
}

QVector<QRgb> TGIFColorMap::Palette() const {
  QVector<QRgb> p(count_);
  for (int i = 0; i < count_; ++i) {
    const TGIFColor& c = colors_[size_t(i)];
    p[i] = qRgb(c.Red, c.Green, c.Blue);
  }
  return p;
}

void TGIFGlobalColorMap::Warning(TGIFSeverity s, const std::string& m) {
  image_->Warning(&image_->Header, s, m);
}

void TGIFLocalColorMap::Warning(TGIFSeverity s, const std::string& m) { frame_->Warning(s, m); }

// ---- Items ----

void TGIFItem::Warning(TGIFSeverity severity, const std::string& message) {
  if (image_) image_->Warning(this, severity, message);
}

void TGIFItem::LoadFromFile(const std::string& fileName) {
  std::string data, error;
  if (!plat::ReadRegularFile(fileName, data, codecs::kMaxPictureFileSize, &error))
    throw GIFException("Cannot open file \"" + fileName + "\". " + error);
  TByteReader in(data.data(), data.size());
  LoadFromStream(in);
}

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), ColorMap(image) { Clear(); }

void TGIFHeader::Clear() {
  ColorMap.Clear();
  Width = Height = 0;
  BackgroundColorIndex = AspectRatio = 0;
  Packed = 0x70;  // no colour table: colour resolution 7
}

void TGIFHeader::Assign(const TGIFHeader& source) {
  ColorMap.Assign(source.ColorMap);
  Width = source.Width;
  Height = source.Height;
  Packed = source.Packed;
  BackgroundColorIndex = source.BackgroundColorIndex;
  AspectRatio = source.AspectRatio;
}

void TGIFHeader::Assign(const TGIFColorMap& colors) {
  Clear();
  ColorMap.Assign(colors);
}

int TGIFHeader::GetVersion() const {
  return ((Packed & 0x80) && (Packed & 0x08)) || AspectRatio != 0 ? 2 : 1;
}

void TGIFHeader::LoadFromStream(TByteReader& in) {
  const size_t start = in.Position();
  uint8_t sig[6];
  auto isGif = [&] {
    return std::toupper(sig[0]) == 'G' && std::toupper(sig[1]) == 'I' &&
           std::toupper(sig[2]) == 'F';
  };
  in.ReadExact(sig, 6);
  if (!isGif()) {
    in.Seek(start);
    in.Skip(4);
    in.ReadExact(sig, 6);
    if (!isGif()) throw GIFException("Invalid GIF signature");
  }
  uint8_t d[7];
  in.ReadExact(d, 7);
  Width = Le16(d);
  Height = Le16(d + 2);
  Packed = d[4];
  BackgroundColorIndex = d[5];
  AspectRatio = d[6];
  if (Packed & 0x80)
    ColorMap.LoadFromStream(in, 2 << (Packed & 7));
  else
    ColorMap.Clear();
}

void TGIFTrailer::LoadFromStream(TByteReader& in) {
  const int b = in.ReadByte();
  if (b >= 0 && b != ';') Warning(gsWarning, "Invalid Image trailer");
}

// ---- Extensions ----

TGIFExtension::TGIFExtension(TGIFSubImage* frame)
    : TGIFItem(frame ? frame->Image() : nullptr), frame_(frame) {}

TGIFExtension::~TGIFExtension() = default;

void TGIFExtension::LoadFromStream(TByteReader& in) {
  uint8_t head[2];
  in.ReadExact(head, 2);
  if (head[0] != '!') throw GIFException("Invalid extension introducer");
  if (head[1] != ExtensionLabel())
    throw GIFException("Internal error: Extension Instance does not match Extension Label");
  LoadBody(in);
}

const TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo = {
    "TGIFGraphicControlExtension", 0xF9, &Make<TGIFGraphicControlExtension>, nullptr};
const TGIFExtensionClass TGIFTextExtension::ClassInfo = {"TGIFTextExtension", 0x01,
                                                         &Make<TGIFTextExtension>, nullptr};
const TGIFExtensionClass TGIFCommentExtension::ClassInfo = {"TGIFCommentExtension", 0xFE,
                                                            &Make<TGIFCommentExtension>, nullptr};
const TGIFExtensionClass TGIFApplicationExtension::ClassInfo = {
    "TGIFApplicationExtension", 0xFF, &Make<TGIFUnknownAppExtension>, &RefineApplication};
const TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo = {
    "TGIFUnknownAppExtension", 0xFF, &Make<TGIFUnknownAppExtension>, nullptr};
const TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo = {"TGIFAppExtNSLoop", 0xFF,
                                                        &Make<TGIFAppExtNSLoop>, &RefineLoop};

const TGIFExtensionClass& TGIFGraphicControlExtension::Class() const { return ClassInfo; }
const TGIFExtensionClass& TGIFTextExtension::Class() const { return ClassInfo; }
const TGIFExtensionClass& TGIFCommentExtension::Class() const { return ClassInfo; }
const TGIFExtensionClass& TGIFApplicationExtension::Class() const { return ClassInfo; }
const TGIFExtensionClass& TGIFUnknownAppExtension::Class() const { return ClassInfo; }
const TGIFExtensionClass& TGIFAppExtNSLoop::Class() const { return ClassInfo; }

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame)
    : TGIFExtension(frame) {
  if (frame && !frame->GraphicControlExtension) frame->GraphicControlExtension = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  if (frame_ && frame_->GraphicControlExtension == this) {
    frame_->GraphicControlExtension = nullptr;
    if (Transparent()) frame_->Transparent = false;
  }
}

void TGIFGraphicControlExtension::LoadBody(TByteReader& in) {
  // The block is read as long as it says it is, then up to its terminator.
  const int size = in.ReadByte();
  uint8_t d[4] = {};
  size_t got = 0;
  if (size > 0) {
    got = in.Read(d, std::min<size_t>(4, size_t(size)));
    if (size > 4) in.Skip(size_t(size) - 4);
  }
  BlockSize = uint8_t(std::max(size, 0));
  Packed = d[0];
  Delay = Le16(d + 1);
  TransparentColorIndex = d[3];
  Terminator = 0;
  if (size < 0) {
    Warning(gsWarning, "Premature end of data");
    return;
  }
  in.SkipSubBlocks();
  if (got < 4 || size < 4)
    Warning(gsWarning, "Premature end of data");
  else if (Transparent() && frame_)
    frame_->Transparent = true;
}

void TGIFTextExtension::LoadBody(TByteReader& in) {
  uint8_t d[13];
  in.ReadExact(d, 13);
  BlockSize = d[0];
  Left = Le16(d + 1);
  Top = Le16(d + 3);
  GridWidth = Le16(d + 5);
  GridHeight = Le16(d + 7);
  CellWidth = d[9];
  CellHeight = d[10];
  TextFgColorIndex = d[11];
  TextBgColorIndex = d[12];
  if (BlockSize > 12) in.Skip(size_t(BlockSize) - 12);
  ReadLines(in, Text);
}

void TGIFCommentExtension::LoadBody(TByteReader& in) { ReadLines(in, Text); }

void TGIFApplicationExtension::LoadBody(TByteReader& in) {
  uint8_t size;
  in.ReadExact(&size, 1);
  BlockSize = size;
  Identifier.fill(0);
  Authentication.fill(0);
  if (size < 10) {
    KeepOddIdentifier(in, size);
  } else {
    char id[11] = {};
    in.ReadExact(id, std::min<size_t>(11, size));
    std::copy(id, id + 8, Identifier.begin());
    std::copy(id + 8, id + 11, Authentication.begin());
    if (size > 11) in.Skip(size_t(size) - 11);
  }
  LoadData(in);
}

void TGIFApplicationExtension::KeepOddIdentifier(TByteReader&, int) {
  throw GIFException("Unsupported Application Extension block size");
}

void TGIFUnknownAppExtension::KeepOddIdentifier(TByteReader& in, int size) {
  TGIFBlock b;
  b.Size = uint8_t(size);
  b.Data.resize(size_t(size));
  in.ReadExact(b.Data.data(), b.Data.size());
  Blocks.push_back(std::move(b));
}

void TGIFUnknownAppExtension::LoadData(TByteReader& in) {
  for (int n; (n = in.ReadByte()) > 0;) {
    TGIFBlock b;
    b.Size = uint8_t(n);
    b.Data.resize(std::min(size_t(n), in.Left()));
    in.Read(b.Data.data(), b.Data.size());
    Blocks.push_back(std::move(b));
  }
}

void TGIFAppExtNSLoop::LoadData(TByteReader& in) {
  for (int n; (n = in.ReadByte()) > 0;) {
    uint8_t kind;
    in.ReadExact(&kind, 1);
    size_t rest = size_t(n) - 1;
    uint8_t d[4];
    if ((kind & 7) == 1) {
      if (rest < 2) throw GIFException("Invalid GIF data");
      in.ReadExact(d, 2);
      Loops = Le16(d);
      rest -= 2;
    } else if ((kind & 7) == 2) {
      if (rest < 4) throw GIFException("Invalid GIF data");
      in.ReadExact(d, 4);
      BufferSize =
          uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24;
      rest -= 4;
    }
    in.Skip(rest);
  }
}

// ---- Frames ----

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), ColorMap(this) {}

TGIFSubImage::~TGIFSubImage() { Extensions.clear(); }

int TGIFSubImage::GetVersion() const {
  return ((Packed & 0x80) && (Packed & 0x20)) || !Extensions.empty() ? 2 : 1;
}

void TGIFSubImage::Clear() {
  pixels_.clear();
  DiscardBitmap();
  palette_.reset();
  Extensions.clear();
  codeSize_ = 0;
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const {
  if (ColorMap.Count() > 0 || !image_) return ColorMap;
  return image_->Header.ColorMap;
}

QVector<QRgb> TGIFSubImage::ColorTable() const {
  QVector<QRgb> table = ActiveColorMap().Palette();
  if (table.isEmpty()) {
    // No colour table at all: a grey ramp over the frame's code values.
    const int n = 1 << std::clamp(codeSize_, 1, 8);
    for (int i = 0; i < n; ++i)
      table.push_back(qRgb(i * 255 / (n - 1), i * 255 / (n - 1), i * 255 / (n - 1)));
  }
  table.resize(256, qRgb(0, 0, 0));
  if (const int ti = TransparentIndex(); ti >= 0) {
    QRgb& t = table[ti];
    t = qRgba(qRed(t), qGreen(t), qBlue(t), 0);
  }
  return table;
}

void TGIFSubImage::LoadExtensions(TByteReader& in) {
  int b = in.ReadByte();
  if (b < 0) return;
  while (b != ',' && b != ';') {
    if (b != '!') {
      Warning(gsWarning, "Invalid extension introducer");
      break;
    }
    in.Back(1);
    const TGIFExtensionClass* cls = FindExtensionClassAt(in);
    if (!cls) {
      // GIF89a asks decoders to skip extensions they don't know.
      Warning(gsWarning, "Unknown extension type");
      in.Skip(2);
      in.SkipSubBlocks();
    } else {
      std::unique_ptr<TGIFExtension> e = cls->Create(this);
      e->LoadFromStream(in);
      Extensions.push_back(std::move(e));
    }
    b = in.ReadByte();
    if (b < 0) return;
  }
  in.Back(1);
}

void TGIFSubImage::LoadFromStream(TByteReader& in) {
  Clear();
  LoadExtensions(in);
  const int b = in.ReadByte();
  if (b < 0) return;
  in.Back(1);
  if (b != ',') return;  // no image here; the frame list decides what the byte is
  uint8_t d[10];
  in.ReadExact(d, 10);
  Separator = char(d[0]);
  Left = Le16(d + 1);
  Top = Le16(d + 3);
  Width = Le16(d + 5);
  Height = Le16(d + 7);
  Packed = d[9];
  if ((Width == 0 || Height == 0) && image_) {
    Width = uint16_t(image_->GetWidth());
    Height = uint16_t(image_->GetHeight());
    Warning(gsWarning, "Image exceeds Logical Screen size");
  }
  if (Packed & 0x80)
    ColorMap.LoadFromStream(in, 2 << (Packed & 7));
  else
    ColorMap.Clear();
  Decompress(in);
}

void TGIFSubImage::Decompress(TByteReader& in) {
  const uint64_t n = uint64_t(Width) * Height;
  // All frames together stay within one picture's worth of pixels.
  const uint64_t before = image_ ? image_->pixelsRead_ : 0;
  if (n > MaxPixels || before + n > MaxPixels) throw GIFException("Invalid image dimensions");
  // No more pixels than the frame's own data could ever code.
  if (n > MaxPixelsFromBytes(FrameDataBytes(in))) throw GIFException("Premature end of data");
  if (image_) image_->pixelsRead_ = before + n;
  const uint8_t fill = uint8_t(std::max(TransparentIndex(), 0));
  pixels_.assign(size_t(n), fill);
  TGIFWarning warn = [this](TGIFSeverity s, const std::string& m) { Warning(s, m); };
  codeSize_ = DecodeFrame(in, pixels_.data(), Width, Height, Interlaced(), warn);
  // Pixels past the end of their colour table (some writers put the transparent index
  // there) get black entries, so the frame is written back as it was read.
  TGIFColorMap& table =
      ColorMap.Count() > 0 || !image_ ? static_cast<TGIFColorMap&>(ColorMap) : image_->Header.ColorMap;
  if (table.Count() > 0 && !pixels_.empty()) {
    const int highest = *std::max_element(pixels_.begin(), pixels_.end());
    while (table.Count() <= highest) table.Add(TGIFColor{});
  }
}

// ---- The image ----

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() {
  StopDraw();
  frames_.clear();
}

void TGIFImage::Warning(TGIFItem* sender, TGIFSeverity severity, const std::string& message) {
  if (OnWarning) OnWarning(sender, severity, message);
}

void TGIFImage::Clear() {
  StopDraw();
  bitmap_.reset();
  palette_.reset();
  frames_.clear();
  pixelsRead_ = 0;
  Header.Clear();
}

void TGIFImage::LoadFrames(TByteReader& in) {
  int b;
  while ((b = in.ReadByte()) == 0) {
  }
  while (b >= 0 && b != ';') {
    in.Back(1);
    if (b != '!' && b != ',') {
      Warning(&Header, gsWarning, "Unknown GIF block type");
      in.Skip(1);
      break;
    }
    if (FirstFrameOnly && !frames_.empty()) {
      in.Seek(in.Size());
      return;
    }
    auto frame = std::make_unique<TGIFSubImage>(this);
    try {
      frame->LoadFromStream(in);
    } catch (const GIFException& e) {
      // A damaged later frame leaves the frames before it.
      if (frames_.empty()) throw;
      Warning(frame.get(), gsError, e.what());
      in.Seek(in.Size());
      return;
    }
    frames_.push_back(std::move(frame));
    Progress(1, int(uint64_t(in.Position()) * 100 / std::max<size_t>(1, in.Size())), false,
             "Loading...");
    while ((b = in.ReadByte()) == 0) {
    }
  }
  if (b >= 0) in.Back(1);
}

void TGIFImage::LoadFromStream(TByteReader& in) {
  Progress(0, 0, false, "Loading...");
  Clear();
  const size_t start = in.Position();
  // A screen of 0 x 0 takes the extent of the frames.
  auto growScreen = [this] {
    if (Header.Width != 0 && Header.Height != 0) return;
    int w = 0, h = 0;
    for (const auto& f : frames_) {
      w = std::max(w, f->Left + f->Width);
      h = std::max(h, f->Top + f->Height);
    }
    if (Header.Width == 0) Header.Width = uint16_t(std::min(w, 65535));
    if (Header.Height == 0) Header.Height = uint16_t(std::min(h, 65535));
  };
  try {
    Header.LoadFromStream(in);
    LoadFrames(in);
    TGIFTrailer trailer(this);
    trailer.LoadFromStream(in);
  } catch (...) {
    in.Seek(start);
    growScreen();
    Progress(2, 0, true, "Loading...");
    throw;
  }
  growScreen();
  Progress(2, 100, true, "Loading...");
}

void TGIFImage::LoadFromData(const std::string& data) {
  TByteReader in(data.data(), data.size());
  LoadFromStream(in);
}

void TGIFImage::LoadFromFile(const std::string& fileName) {
  std::string data, error;
  if (!plat::ReadRegularFile(fileName, data, codecs::kMaxPictureFileSize, &error))
    throw GIFException("Cannot open file \"" + fileName + "\". " + error);
  LoadFromData(data);
}

const QImage* TGIFImage::GetBitmap() {
  if (frames_.empty()) return nullptr;
  if (bitmap_) return bitmap_.get();
  const int w = Header.Width, h = Header.Height;
  if (!codecs::PictureFits(w, h)) throw GIFException("Invalid image dimensions");
  TGIFSubImage& f = *frames_[0];
  if (f.Width == w && f.Height == h) {
    bitmap_ = std::make_unique<QImage>(f.GetBitmap());
    return bitmap_.get();
  }
  // Frame 0 on the logical screen; the rest of the screen takes the background colour.
  QRgb bg = qRgb(0, 0, 0);
  const TGIFColorMap& g = Header.ColorMap;
  if (g.Count() > 0) {
    const TGIFColor c =
        g.Data()[Header.BackgroundColorIndex < g.Count() ? Header.BackgroundColorIndex : 0];
    bg = qRgb(c.Red, c.Green, c.Blue);
  }
  QImage img(w, h, QImage::Format_ARGB32);
  if (img.isNull()) throw GIFException("Failed to allocate memory for GIF DIB");
  img.fill(bg);
  if (!f.Empty()) {
    const QVector<QRgb> table = f.ColorTable();
    const uint8_t* src = f.Data().data();
    const int x0 = f.Left, y0 = f.Top;
    const int cw = std::max(0, std::min<int>(f.Width, w - x0));
    for (int y = 0; y < f.Height && y0 + y < h; ++y) {
      QRgb* dst = reinterpret_cast<QRgb*>(img.scanLine(y0 + y)) + x0;
      const uint8_t* row = src + size_t(y) * f.Width;
      for (int x = 0; x < cw; ++x) dst[x] = table[row[x]];
    }
  }
  bitmap_ = std::make_unique<QImage>(std::move(img));
  return bitmap_.get();
}

QImage TGIFImage::ToImage() {
  const QImage* b = GetBitmap();
  return b ? *b : QImage();
}

}  // namespace gif
