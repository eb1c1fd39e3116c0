#include "database/types.h"

#include <algorithm>
#include <new>
#include <vector>

namespace types {

namespace pool {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;  // the sanitizer watches every record by itself
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

constexpr size_t kGrain = 16;
constexpr size_t kClasses = 64;  // records up to 1 KB
constexpr size_t kBlock = 256 * 1024;

struct FreeSlot {
  FreeSlot* next;
};

struct SizeClass {
  FreeSlot* free = nullptr;
  char* next = nullptr;
  size_t left = 0;
};

// Never freed: records may outlive every other static object.
struct Pools {
  SizeClass classes[kClasses];
  std::vector<void*> blocks;
  size_t live = 0;  // pooled records not yet released
};
Pools& State() {
  static Pools* pools = new Pools;
  return *pools;
}

}  // namespace

void* Allocate(size_t size) {
  const size_t k = (size + kGrain - 1) / kGrain;
  if (!kPooled || k >= kClasses || k == 0) return ::operator new(size);
  Pools& pools = State();
  SizeClass& c = pools.classes[k];
  ++pools.live;
  if (FreeSlot* slot = c.free) {
    c.free = slot->next;
    return slot;
  }
  const size_t bytes = k * kGrain;
  if (c.left < bytes) {
    pools.blocks.push_back(nullptr);  // the list grows first: no block is ever lost
    c.next = static_cast<char*>(::operator new(kBlock));
    pools.blocks.back() = c.next;
    c.left = kBlock;
  }
  void* p = c.next;
  c.next += bytes;
  c.left -= bytes;
  return p;
}

void Release(void* p, size_t size) noexcept {
  if (!p) return;
  const size_t k = (size + kGrain - 1) / kGrain;
  if (!kPooled || k >= kClasses || k == 0) {
    ::operator delete(p);
    return;
  }
  Pools& pools = State();
  SizeClass& c = pools.classes[k];
  c.free = new (p) FreeSlot{c.free};
  --pools.live;
}

bool Trim() noexcept {
  Pools& pools = State();
  if (pools.live != 0) return false;
  for (void* block : pools.blocks) ::operator delete(block);
  std::vector<void*>().swap(pools.blocks);
  for (SizeClass& c : pools.classes) c = SizeClass{};
  return true;
}

}  // namespace pool

}  // namespace types

void PooledListDelete::operator()(DipEntryList* list) const noexcept {
  list->~DipEntryList();
  types::pool::Release(list, sizeof(DipEntryList));
}

namespace types {

const std::array<std::string_view, 2> EntryKeywords = {"GAME", "RESOURCE"};
const std::array<std::string_view, 16> GameTags = {
    "NAME", "DESCRIPTION", "YEAR", "MANUFACTURER", "CLONEOF", "ROMOF", "ROM", "CHIP",
    "VIDEO", "SOUND", "INPUT", "DIPSWITCH", "DRIVER", "SAMPLE", "SAMPLEOF", "HISTORY"};
const std::array<bool, 16> GameTagIsBlock = {false, false, false, false, false, false,
                                             true,  true,  true,  true,  true,  true,
                                             true,  false, false, false};
const std::array<std::string_view, 28> SubTags = {
    "NAME",     "MERGE",   "SIZE",    "CRC",     "TYPE",   "FLAGS",  "CLOCK",
    "SCREEN",   "ORIENTATION", "X",   "Y",       "COLORS", "FREQ",   "CHANNELS",
    "PLAYERS",  "CONTROL", "BUTTONS", "TILT",    "SERVICE", "COINS", "ENTRY",
    "DEFAULT",  "STATUS",  "COLOR",   "SOUND",   "COLORDEEP", "REGION", "OFFS"};
const std::array<std::string_view, 8> ControlNames = {
    "JOY4WAY", "JOY8WAY", "DOUBLEJOY4WAY", "DOUBLEJOY8WAY", "DIAL", "STICK", "PADDLE",
    "TRACKBALL"};
const std::array<std::string_view, 3> DriverStateNames = {"IMPERFECT", "PRELIMINARY", "GOOD"};
const std::array<std::string_view, 4> DriverStateTexts = {"Not available", "Bugged",
                                                          "Preliminary", "Ok"};
const std::array<std::string_view, 2> ChipTypeNames = {"CPU", "AUDIO"};
const std::array<std::string_view, 1> ChipFlagNames = {"AUDIO"};
const std::array<std::string_view, 2> ScreenNames = {"RASTER", "VECTOR"};
const std::array<std::string_view, 2> OrientationNames = {"VERTICAL", "HORIZONTAL"};
const std::array<std::string_view, 2> YesNoNames = {"YES", "NO"};
const std::array<std::string_view, 2> ColorDepthNames = {"16", "8"};
const std::array<std::string_view, 2> RomFlagNames = {"DISPOSE", "SOUNDONLY"};
const std::array<uint32_t, 2> RomFlagValues = {0x10, 0x20};

std::string_view DriverStateText(uint8_t code) {
  return code < DriverStateTexts.size() ? DriverStateTexts[code] : std::string_view("Unknown");
}

std::unique_ptr<GameRecord> NewGameRecord() {
  auto g = std::make_unique<GameRecord>();
  g->Screen = 1;
  g->Roms = std::make_unique<RomList>();
  g->Chips = std::make_unique<ChipList>();
  g->DipSwitches = std::make_unique<DipSwitchList>();
  g->Samples = std::make_unique<StringList>();
  return g;
}

std::unique_ptr<RomRecord> NewRomRecord() { return std::make_unique<RomRecord>(); }
std::unique_ptr<ChipRecord> NewChipRecord() { return std::make_unique<ChipRecord>(); }

std::unique_ptr<DipSwitchRecord> NewDipSwitchRecord() {
  auto d = std::make_unique<DipSwitchRecord>();
  d->Entries = PooledStringList(new (pool::Allocate(sizeof(DipEntryList))) DipEntryList);
  return d;
}

template <class L>
static void FreeList(std::unique_ptr<L>& list) {
  if (!list) return;
  std::erase(*list, nullptr);
  list.reset();
}

void FreeRomList(std::unique_ptr<RomList>& list) { FreeList(list); }
void FreeChipList(std::unique_ptr<ChipList>& list) { FreeList(list); }

void FreeDipSwitchList(std::unique_ptr<DipSwitchList>& list) {
  if (!list) return;
  for (auto& d : *list)
    if (d) d->Entries.reset();
  FreeList(list);
}

void FreeGameList(std::unique_ptr<GameList>& list) {
  if (!list) return;
  for (auto& g : *list) {
    if (!g) continue;
    g->Samples.reset();
    FreeRomList(g->Roms);
    FreeChipList(g->Chips);
    FreeDipSwitchList(g->DipSwitches);
  }
  list.reset();
}

std::unique_ptr<PlayStatRecord> NewPlayStatRecord() { return std::make_unique<PlayStatRecord>(); }
void FreePlayStatList(std::unique_ptr<PlayStatList>& list) { list.reset(); }
std::unique_ptr<ParseErrorRecord> NewParseErrorRecord() {
  return std::make_unique<ParseErrorRecord>();
}

std::unique_ptr<MameCdRecord> NewMameCdRecord() {
  auto r = std::make_unique<MameCdRecord>();
  r->Clones = std::make_unique<StringList>();
  return r;
}
void DisposeMameCdRecord(std::unique_ptr<MameCdRecord>& record) { record.reset(); }

std::unique_ptr<SampleListEntry> NewSampleListEntry() {
  auto r = std::make_unique<SampleListEntry>();
  r->Members = std::make_unique<StringList>();
  return r;
}
void DisposeSampleListEntry(std::unique_ptr<SampleListEntry>& record) { record.reset(); }

std::unique_ptr<FilterDescriptor> NewFilterDescriptor() {
  auto f = std::make_unique<FilterDescriptor>();
  f->Entries = std::make_unique<RecordList<FilterEntryDescriptor>>();
  return f;
}

std::unique_ptr<FilterEntryDescriptor> NewFilterEntryDescriptor() {
  return std::make_unique<FilterEntryDescriptor>();
}

void DisposeFilterDescriptor(std::unique_ptr<FilterDescriptor>& filter) {
  if (!filter) return;
  if (filter->Entries)
    for (auto& e : *filter->Entries)
      if (e) e->Game = nullptr;  // the games belong to the game list
  filter.reset();
}

void DisposeFilterList(std::unique_ptr<FilterList>& list) {
  if (!list) return;
  for (auto& f : *list) DisposeFilterDescriptor(f);
  list.reset();
}

void ResetTreeImageItems(std::unique_ptr<TreeImageItemList>& list) {
  if (!list) return;
  std::vector<TreeImageItemList*> pending{list.get()};
  while (!pending.empty()) {
    TreeImageItemList* l = pending.back();
    pending.pop_back();
    for (auto& item : *l) {
      if (!item) continue;
      item->Node = nullptr;
      item->ParentNode = nullptr;
      if (item->Children) pending.push_back(item->Children.get());
    }
  }
  list.reset();
}

}  // namespace types

TreeImageItemDescriptor::~TreeImageItemDescriptor() {
  // Level by level: a folder chain may be far deeper than the stack.
  std::vector<std::unique_ptr<TreeImageItemList>> pending;
  if (Children) pending.push_back(std::move(Children));
  while (!pending.empty()) {
    std::unique_ptr<TreeImageItemList> l = std::move(pending.back());
    pending.pop_back();
    for (auto& item : *l)
      if (item && item->Children) pending.push_back(std::move(item->Children));
  }
}
