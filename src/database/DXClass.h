// The window base class of the program's windows and the small base classes of the
// DirectX layer.
#pragma once
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QHBoxLayout;
class QKeyEvent;
class QPushButton;

// The row of "&Ok" (the default button) and "&Cancel" at the bottom right of a dialog.
QHBoxLayout* OkCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel);
// Moves a window to the middle of its screen's free area.
void CenterOnScreen(QWidget* window);

// Every program window is a parentless top-level window with its own taskbar entry.
// ShowModal shows it modally (through the seam) until ModalResult is set or it closes.
class TDXForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TDXForm(QWidget* unusedOwner = nullptr);
  ~TDXForm() override;

  // Number of TDXForm windows alive; the application carries the tool-window state exactly
  // while it is above 0.
  static int InstanceCount();
  static bool ApplicationIsToolWindow();

  int ShowModal();
  int ModalResult() const { return modalResult_; }
  // Setting a non-zero result of a modal window closes it; OK only when the window's OK check
  // (if any) passes: a check that fails tells why, and the window stays shown as it was.
  void SetModalResult(int r);
  void SetOkCheck(std::function<bool()> check) { okCheck_ = std::move(check); }
  bool IsModal() const { return inModal_; }

  // Enter presses the focused push button, else the default one ("&Ok", "&Next", "&Go");
  // Escape presses the button named "CancelBTN", else closes the window as its close box
  // does (a modal one ends with mrCancel). The main and progress windows turn that off.
  QPushButton* DefaultButton() const;
  QPushButton* CancelButton() const;
  void SetEscapeCloses(bool closes) { escapeCloses_ = closes; }

 protected:
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  int modalResult_ = 0;
  bool inModal_ = false;
  bool escapeCloses_ = true;
  std::function<bool()> okCheck_;
};

// Modal results, as the framework numbers them.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
             mrYes = 6, mrNo = 7 };

namespace DXClass {

int Max(int a, int b);
int Min(int a, int b);

class EDXError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Loads the library once (cached by lower-cased name) and returns the exported function;
// throws EDXError "<name> not loaded" when either is missing.
void* GetLibraryProc(const std::string& libraryName, const std::string& procName);
// Number of libraries in the cache (tests).
size_t LoadedLibraryCount();

extern const std::array<double, 256>& CosineTable;

}  // namespace DXClass

class TDirectX {
 public:
  virtual ~TDirectX() = default;
  uint32_t DXResult() const { return dxResult_; }
  void SetDXResult(uint32_t code);
 protected:
  virtual void Check() {}
 private:
  uint32_t dxResult_ = 0;
};

class THashCollection;

class THashCollectionItem {
 public:
  explicit THashCollectionItem(THashCollection* collection);
  virtual ~THashCollectionItem();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Index() const { return index_; }
  virtual void SetIndex(int index);
  virtual std::string GetDisplayName() const;
  virtual void Assign(const THashCollectionItem& other);
  int Bucket() const { return bucket_; }
  THashCollectionItem* NextInBucket() const { return next_; }
  THashCollectionItem* PrevInBucket() const { return prev_; }
  THashCollection* Collection() const { return collection_; }
  static int BucketOf(const std::string& name);

 private:
  friend class THashCollection;
  void File();
  void Unfile();
  THashCollection* collection_;
  int index_ = 0;
  int bucket_ = 0;
  THashCollectionItem* prev_ = nullptr;
  THashCollectionItem* next_ = nullptr;
  std::string name_;
};

class THashCollection {
 public:
  THashCollection() { heads_.fill(nullptr); }
  virtual ~THashCollection();
  int Count() const { return static_cast<int>(items_.size()); }
  THashCollectionItem* Item(int i) const { return items_[static_cast<size_t>(i)]; }
  THashCollectionItem* BucketHead(int b) const { return heads_[static_cast<size_t>(b)]; }
  void Clear();

 private:
  friend class THashCollectionItem;
  std::array<THashCollectionItem*, 256> heads_;
  std::vector<THashCollectionItem*> items_;  // owned
};

// A hook on a control's event handling; the handler receives every event and the default
// handling to call (it returns true when the event is consumed).
class TControlSubClass : public QObject {
 public:
  using Handler = std::function<bool(QObject* target, QEvent* event)>;
  TControlSubClass(QObject* control, Handler handler);
  ~TControlSubClass() override;
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
 private:
  QPointer<QObject> control_;  // cleared when the control dies before the hook
  Handler handler_;
};
