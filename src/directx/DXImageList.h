// The picture collection and the image list: named pictures cut into patterns on surfaces
// of a drawing control whenever it initialises or restores its surfaces, and drawn by
// pattern number.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "directx/DXDrawControl.h"

class EPictureCollectionError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};

class TPictureCollection;

struct TPictureCollectionItemPattern {
  TRect Rect;
  TDirectDrawSurface* Surface = nullptr;
};

class TPictureCollectionItem : public THashCollectionItem {
 public:
  explicit TPictureCollectionItem(TPictureCollection* collection);
  ~TPictureCollectionItem() override;

  // The picture (shared between items that are assigned from each other).
  std::shared_ptr<codecs::TGraphic> Picture;
  void SetPicture(std::shared_ptr<codecs::TGraphic> picture);
  int PatternWidth = 0, PatternHeight = 0;  // 0: the picture's width or height
  int SkipWidth = 0, SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  TColor TransparentColor() const { return transparentColor_; }
  // Re-keys the surfaces already made.
  void SetTransparentColor(TColor value);

  void Assign(const THashCollectionItem& other) override;
  void Draw(TDirectDrawSurface* dest, int x, int y, int patternIndex);
  // Cuts the picture into patterns and surfaces.
  void Restore();

  bool Initialized() const { return initialized_; }
  int PatternCount() const { return static_cast<int>(patterns_.size()); }
  const TPictureCollectionItemPattern& Pattern(int i) const { return patterns_.at(static_cast<size_t>(i)); }
  int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  TDirectDrawSurface* Surface(int i) const { return surfaces_.at(static_cast<size_t>(i)).get(); }
  TPictureCollection* Pictures() const;

 private:
  friend class TPictureCollection;
  void Initialize();
  void Finalize();
  void ClearSurfaces();
  bool initialized_ = false;
  std::vector<TPictureCollectionItemPattern> patterns_;
  std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
  TColor transparentColor_ = 0;
};

// One surface block of a cut picture and the patterns on it (also used by the tests).
struct TPatternLayout {
  struct Cell {
    TRect Rect;    // on its block
    size_t Block;  // index into Blocks
  };
  std::vector<TRect> Blocks;  // in picture coordinates
  std::vector<Cell> Patterns;
};
TPatternLayout LayoutPatterns(int pictureWidth, int pictureHeight, int patternWidth,
                              int patternHeight, int skipWidth, int skipHeight, bool systemMemory);

class TPictureCollection : public THashCollection {
 public:
  explicit TPictureCollection(void* owner = nullptr) : owner_(owner) {}
  ~TPictureCollection() override;
  TPictureCollectionItem* Add();
  // Raises "List index out of bounds (%d)" outside the collection.
  TPictureCollectionItem* Items(int index) const;
  TPictureCollectionItem* Find(const std::string& name) const;

  // Raises EPictureCollectionError "TPictureCollection cannot be initialized" when the
  // control is not initialised.
  void Initialize(TCustomDXDraw* control);
  void Finalize();
  void Restore();
  TCustomDXDraw* DXDraw() const { return dxdraw_; }
  void* Owner() const { return owner_; }

  TColorTable ColorTable{};
  // The "ColorTable" property: 1024 bytes, always written.
  std::string WriteColorTable() const;
  void ReadColorTable(const std::string& data);

 private:
  void* owner_;
  TCustomDXDraw* dxdraw_ = nullptr;
};

class TCustomDXImageList {
 public:
  TCustomDXImageList();
  virtual ~TCustomDXImageList();
  TCustomDXDraw* DXDraw() const { return dxdraw_; }
  void SetDXDraw(TCustomDXDraw* control);
  TPictureCollection& Items() { return *items_; }
  void SetItems(const TPictureCollection& items);

 private:
  void DXDrawNotifyEvent(TCustomDXDraw* sender, TDXDrawNotifyType kind);
  TCustomDXDraw* dxdraw_ = nullptr;
  std::unique_ptr<TPictureCollection> items_;
};

class TDXImageList : public TCustomDXImageList {};
