#include "directx/DXImageList.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"

// ---- Pattern layout ---------------------------------------------------------------------------

TPatternLayout LayoutPatterns(int picW, int picH, int patternWidth, int patternHeight,
                              int skipW, int skipH, bool systemMemory) {
  TPatternLayout out;
  if (picW < 1 || picH < 1) return out;
  const int pw = patternWidth > 0 ? patternWidth : picW;
  const int ph = patternHeight > 0 ? patternHeight : picH;
  const int cw = pw + std::max(skipW, 0), ch = ph + std::max(skipH, 0);
  auto pattern = [](int left, int top, int w, int h, size_t block) {
    return TPatternLayout::Cell{Bounds(left, top, w, h), block};
  };
  if (pw == picW && ph == picH) {
    out.Blocks.push_back(Bounds(0, 0, picW, picH));
    out.Patterns.push_back(pattern(0, 0, picW, picH, 0));
    return out;
  }
  const int columns = (picW + std::max(skipW, 0)) / cw, rows = (picH + std::max(skipH, 0)) / ch;
  if (systemMemory) {
    out.Blocks.push_back(Bounds(0, 0, picW, picH));
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < columns; ++x) out.Patterns.push_back(pattern(x * cw, y * ch, pw, ph, 0));
    return out;
  }
  // Blocks of the fewest whole cells that cover 512 pixels, no more cells than the picture has.
  const int bw = std::min((cw + 511) / cw * cw, columns * cw);
  const int bh = std::min((ch + 511) / ch * ch, rows * ch);
  if (bw <= 0 || bh <= 0) return out;
  const int across = (picW + bw - 1) / bw, down = (picH + bh - 1) / bh;
  for (int by = 0; by < down; ++by)
    for (int bx = 0; bx < across; ++bx)
      out.Blocks.push_back(Bounds(bx * bw, by * bh, std::min(bw, picW - bx * bw),
                                  std::min(bh, picH - by * bh)));
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const int block = (x * cw) / bw + ((y * ch) / bh) * across;
      out.Patterns.push_back(pattern(x * cw - ((x * cw) / bw) * bw, (y * ch) % bh, pw, ph,
                                     static_cast<size_t>(block)));
    }
  return out;
}

// ---- Items -----------------------------------------------------------------------------------

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* collection)
    : THashCollectionItem(collection) {}

TPictureCollectionItem::~TPictureCollectionItem() { Finalize(); }

TPictureCollection* TPictureCollectionItem::Pictures() const {
  return static_cast<TPictureCollection*>(Collection());
}

void TPictureCollectionItem::SetPicture(std::shared_ptr<codecs::TGraphic> picture) {
  Picture = std::move(picture);
}

void TPictureCollectionItem::ClearSurfaces() {
  patterns_.clear();
  surfaces_.clear();
}

void TPictureCollectionItem::Initialize() {
  Finalize();
  initialized_ = true;
}

void TPictureCollectionItem::Finalize() {
  if (!initialized_) return;
  initialized_ = false;
  ClearSurfaces();
}

void TPictureCollectionItem::Assign(const THashCollectionItem& other) {
  auto* o = dynamic_cast<const TPictureCollectionItem*>(&other);
  if (!o) {
    THashCollectionItem::Assign(other);
    return;
  }
  const bool was = initialized_;
  Finalize();
  PatternHeight = o->PatternHeight;
  PatternWidth = o->PatternWidth;
  SkipHeight = o->SkipHeight;
  SkipWidth = o->SkipWidth;
  SystemMemory = o->SystemMemory;
  Transparent = o->Transparent;
  transparentColor_ = o->transparentColor_;
  Picture = o->Picture;
  if (was) Restore();
}

void TPictureCollectionItem::SetTransparentColor(TColor value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  for (auto& s : surfaces_) s->SetTransparentColor(s->ColorMatch(value));
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* dest, int x, int y, int patternIndex) {
  if (!initialized_ || !dest || patternIndex < 0 || patternIndex >= PatternCount()) return;
  const TPictureCollectionItemPattern& p = patterns_[static_cast<size_t>(patternIndex)];
  dest->Draw(x, y, p.Rect, p.Surface, Transparent);
}

void TPictureCollectionItem::Restore() {
  if (!Picture || Picture->GetEmpty()) return;
  TCustomDXDraw* control = Pictures()->DXDraw();
  if (!initialized_) {
    if (!control || !control->Initialized()) return;
    Initialize();
  }
  if (!control || !control->DDraw()) return;
  ClearSurfaces();
  TPatternLayout layout = LayoutPatterns(Picture->GetWidth(), Picture->GetHeight(), PatternWidth,
                                         PatternHeight, SkipWidth, SkipHeight, SystemMemory);
  for (const TRect& block : layout.Blocks) {
    auto s = std::make_unique<TDirectDrawSurface>(control->DDraw());
    s->SetSystemMemory(SystemMemory);
    s->LoadFromGraphicRect(*Picture, 0, 0, block);
    s->SetTransparentColor(s->ColorMatch(transparentColor_));
    surfaces_.push_back(std::move(s));
  }
  for (const TPatternLayout::Cell& c : layout.Patterns)
    patterns_.push_back({c.Rect, surfaces_[c.Block].get()});
}

// ---- The collection --------------------------------------------------------------------------

TPictureCollection::~TPictureCollection() { Clear(); }

TPictureCollectionItem* TPictureCollection::Add() { return new TPictureCollectionItem(this); }

TPictureCollectionItem* TPictureCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return static_cast<TPictureCollectionItem*>(Item(index));
}

TPictureCollectionItem* TPictureCollection::Find(const std::string& name) const {
  for (THashCollectionItem* i = BucketHead(THashCollectionItem::BucketOf(name)); i; i = i->NextInBucket())
    if (plat::SameText(i->Name(), name)) return static_cast<TPictureCollectionItem*>(i);
  return nullptr;
}

void TPictureCollection::Initialize(TCustomDXDraw* control) {
  Finalize();
  dxdraw_ = control;
  if (!control || !control->Initialized())
    throw EPictureCollectionError("TPictureCollection cannot be initialized");
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
  for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
  dxdraw_ = nullptr;
}

void TPictureCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

std::string TPictureCollection::WriteColorTable() const {
  std::string out(1024, '\0');
  std::memcpy(out.data(), ColorTable.data(), 1024);
  return out;
}

void TPictureCollection::ReadColorTable(const std::string& data) {
  ColorTable = TColorTable{};
  std::memcpy(ColorTable.data(), data.data(), std::min<size_t>(data.size(), 1024));
}

// ---- The image list --------------------------------------------------------------------------

TCustomDXImageList::TCustomDXImageList() : items_(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
  SetDXDraw(nullptr);
  items_.reset();
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* control) {
  if (dxdraw_) dxdraw_->UnRegisterNotifyEvent(this);
  dxdraw_ = control;
  if (dxdraw_)
    dxdraw_->RegisterNotifyEvent(this, [this](TCustomDXDraw* s, TDXDrawNotifyType k) {
      DXDrawNotifyEvent(s, k);
    });
}

void TCustomDXImageList::SetItems(const TPictureCollection& items) {
  items_->Clear();
  for (int i = 0; i < items.Count(); ++i) {
    TPictureCollectionItem* n = items_->Add();
    n->SetName(items.Items(i)->Name());
    n->Assign(*items.Items(i));
  }
  items_->ColorTable = items.ColorTable;
}

void TCustomDXImageList::DXDrawNotifyEvent(TCustomDXDraw* sender, TDXDrawNotifyType kind) {
  switch (kind) {
    case dxntDestroying:
      dxdraw_ = nullptr;
      break;
    case dxntInitialize:
      items_->Initialize(sender);
      break;
    case dxntFinalize:
      items_->Finalize();
      break;
    case dxntRestore:
      items_->Restore();
      break;
    default:
      break;
  }
}
