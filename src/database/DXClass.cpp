#include "database/DXClass.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <cmath>
#include <map>

#include "platform/Files.h"
#include "platform/Library.h"
#include "platform/Seams.h"

namespace {
int g_instances = 0;
}

TDXForm::TDXForm(QWidget*) : QMainWindow(nullptr) {
  ++g_instances;
  setAttribute(Qt::WA_DeleteOnClose, false);
}

TDXForm::~TDXForm() { --g_instances; }

int TDXForm::InstanceCount() { return g_instances; }
bool TDXForm::ApplicationIsToolWindow() { return g_instances > 0; }

int TDXForm::ShowModal() {
  modalResult_ = mrNone;
  inModal_ = true;
  QPointer<TDXForm> self(this);
  int r = plat::Ui().ShowModal(this);
  if (!self) return r;
  inModal_ = false;
  if (modalResult_ == mrNone) modalResult_ = r ? r : mrCancel;
  return modalResult_;
}

void TDXForm::SetModalResult(int r) {
  if (r == mrOk && inModal_ && okCheck_ && !okCheck_()) return;
  modalResult_ = r;
  setProperty("modalResult", r);
  if (r != mrNone && inModal_) hide();
}

void TDXForm::changeEvent(QEvent* e) { QMainWindow::changeEvent(e); }

void TDXForm::closeEvent(QCloseEvent* e) {
  if (inModal_ && modalResult_ == mrNone) {
    modalResult_ = mrCancel;
    setProperty("modalResult", mrCancel);
  }
  QMainWindow::closeEvent(e);
}

namespace {
// A button of this window (not of a window inside it) that the user can press.
bool Pressable(const TDXForm* form, const QPushButton* b) {
  return b && b->window() == form && b->isEnabled() && b->isVisibleTo(form);
}
}  // namespace

QPushButton* TDXForm::DefaultButton() const {
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); Pressable(this, focused))
    return const_cast<QPushButton*>(focused);
  for (QPushButton* b : findChildren<QPushButton*>())
    if (b->isDefault() && Pressable(this, b)) return b;
  return nullptr;
}

QPushButton* TDXForm::CancelButton() const {
  for (QPushButton* b : findChildren<QPushButton*>("CancelBTN"))
    if (Pressable(this, b)) return b;
  return nullptr;
}

void TDXForm::keyPressEvent(QKeyEvent* e) {
  const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
    if (e->isAutoRepeat()) return;  // a held key presses nothing twice
    if (QPushButton* b = DefaultButton()) {
      b->click();
      return;
    }
  } else if (plain && e->key() == Qt::Key_Escape) {
    if (QPushButton* b = CancelButton()) {
      b->click();
      return;
    }
    if (escapeCloses_) {  // as the close box: a modal window ends with mrCancel
      close();
      return;
    }
  }
  QMainWindow::keyPressEvent(e);
}

namespace DXClass {

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

namespace {
struct LibraryCache {
  std::map<std::string, void*> modules;
  ~LibraryCache() {
    for (auto& [name, m] : modules) plat::FreeLibrary(m);
  }
};
LibraryCache& Cache() {
  static LibraryCache cache;
  return cache;
}
std::array<double, 256> MakeCosines() {
  std::array<double, 256> t{};
  for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = std::cos(i / 256.0 * 2 * M_PI);
  return t;
}
const std::array<double, 256> kCosines = MakeCosines();
}  // namespace

const std::array<double, 256>& CosineTable = kCosines;

void* GetLibraryProc(const std::string& libraryName, const std::string& procName) {
  auto& cache = Cache().modules;
  std::string key = plat::LowerCase(libraryName);
  void* module = nullptr;
  auto it = cache.find(key);
  if (it != cache.end()) {
    module = it->second;
  } else {
    module = plat::LoadLibrary(libraryName);
    if (!module) throw EDXError(libraryName + " not loaded");
    cache.emplace(key, module);
  }
  void* proc = plat::GetProcAddress(module, procName);
  if (!proc) throw EDXError(libraryName + " not loaded");
  return proc;
}

size_t LoadedLibraryCount() { return Cache().modules.size(); }

}  // namespace DXClass

void TDirectX::SetDXResult(uint32_t code) {
  dxResult_ = code;
  if (code != 0) Check();
}

int THashCollectionItem::BucketOf(const std::string& name) {
  std::string n = plat::LowerCase(name);
  int h = static_cast<int>(n.size()) * 16;
  if (n.size() >= 2)
    h += static_cast<unsigned char>(n[0]) + static_cast<unsigned char>(n[n.size() - 2]);
  return h & 255;
}

THashCollectionItem::THashCollectionItem(THashCollection* collection) : collection_(collection) {
  index_ = static_cast<int>(collection_->items_.size());
  collection_->items_.push_back(this);
  File();
}

THashCollectionItem::~THashCollectionItem() {
  auto& items = collection_->items_;
  for (auto* it : items)
    if (it->index_ > index_) --it->index_;
  std::erase(items, this);
  Unfile();
}

void THashCollectionItem::File() {
  bucket_ = BucketOf(name_);
  auto*& head = collection_->heads_[static_cast<size_t>(bucket_)];
  prev_ = nullptr;
  next_ = head;
  if (head) head->prev_ = this;
  head = this;
}

void THashCollectionItem::Unfile() {
  auto*& head = collection_->heads_[static_cast<size_t>(bucket_)];
  if (prev_) {
    prev_->next_ = next_;
    if (next_) next_->prev_ = prev_;
  } else if (head == this) {
    head = next_;
    if (next_) next_->prev_ = nullptr;
  }
  prev_ = next_ = nullptr;
}

void THashCollectionItem::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Unfile();
  File();
}

void THashCollectionItem::SetIndex(int index) {
  auto& items = collection_->items_;
  if (index == index_ || index < 0 || index >= static_cast<int>(items.size())) return;
  std::erase(items, this);
  items.insert(items.begin() + index, this);
  for (size_t i = 0; i < items.size(); ++i) items[i]->index_ = static_cast<int>(i);
}

std::string THashCollectionItem::GetDisplayName() const {
  return name_.empty() ? std::string("THashCollectionItem") : name_;
}

void THashCollectionItem::Assign(const THashCollectionItem& other) { SetName(other.name_); }

THashCollection::~THashCollection() { Clear(); }

void THashCollection::Clear() {
  while (!items_.empty()) delete items_.back();
}

TControlSubClass::TControlSubClass(QObject* control, Handler handler)
    : control_(control), handler_(std::move(handler)) {
  control_->installEventFilter(this);
}

TControlSubClass::~TControlSubClass() {
  if (control_) control_->removeEventFilter(this);
}

bool TControlSubClass::eventFilter(QObject* watched, QEvent* event) {
  if (watched == control_ && handler_) return handler_(watched, event);
  return false;
}

void CenterOnScreen(QWidget* window) {
  if (QScreen* s = window->screen())
    window->move(s->availableGeometry().center() - window->rect().center());
}

QHBoxLayout* OkCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
  auto* row = new QHBoxLayout;
  ok = new QPushButton("&Ok", parent);
  ok->setObjectName("OkBTN");
  ok->setDefault(true);
  cancel = new QPushButton("&Cancel", parent);
  cancel->setObjectName("CancelBTN");
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}
