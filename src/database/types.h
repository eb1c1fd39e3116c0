// The game database: catalogue records, the small records other features keep in lists,
// the vocabulary tables of the listinfo format, and their allocators and finders.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A fixed-capacity text: storing a longer text keeps its first N characters.
template <size_t N>
class ShortString {
 public:
  static constexpr size_t Capacity = N;
  ShortString() = default;
  ShortString(std::string_view s) : s_(s.substr(0, N)) {}  // NOLINT: implicit like the records
  ShortString(const char* s) : ShortString(std::string_view(s)) {}
  ShortString(const std::string& s) : ShortString(std::string_view(s)) {}
  ShortString& operator=(std::string_view s) { s_.assign(s.substr(0, N)); return *this; }
  ShortString& operator=(const std::string& s) { return *this = std::string_view(s); }
  ShortString& operator=(const char* s) { return *this = std::string_view(s); }
  const std::string& str() const { return s_; }
  operator const std::string&() const { return s_; }  // NOLINT
  operator std::string_view() const { return s_; }    // NOLINT
  const char* c_str() const { return s_.c_str(); }
  size_t size() const { return s_.size(); }
  size_t length() const { return s_.size(); }
  bool empty() const { return s_.empty(); }
  void clear() { s_.clear(); }
  char operator[](size_t i) const { return s_[i]; }
  friend bool operator==(const ShortString& a, const ShortString& b) { return a.s_ == b.s_; }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.s_ == b; }
  friend bool operator==(const ShortString& a, const char* b) { return a.s_ == b; }
  friend auto operator<=>(const ShortString& a, const ShortString& b) { return a.s_ <=> b.s_; }
 private:
  std::string s_;
};

using String8 = ShortString<8>;
using String12 = ShortString<12>;
using String255 = ShortString<255>;
using StringList = std::vector<std::string>;

// Owning ordered lists; a slot may be null.
template <class T>
using RecordList = std::vector<std::unique_ptr<T>>;
template <class T>
using ListVar = std::unique_ptr<RecordList<T>>;

enum : uint8_t { KIND_GAME = 1, KIND_RESOURCE = 3 };

// Catalogue records come from pools that take memory from the heap in large blocks: a
// catalogue of hundreds of thousands of records is made and freed without a heap call per
// record, and a freed record's place is reused until the pools are trimmed. Records are made and freed
// on the user-interface thread only.
namespace types::pool {
void* Allocate(size_t size);
void Release(void* p, size_t size) noexcept;
// Gives every block back to the heap when no pooled record is left (after a database is freed
// whole); false, keeping them, while any is.
bool Trim() noexcept;
}  // namespace types::pool

#define VELMORA_POOLED_RECORD                                                          \
  static void* operator new(size_t size) { return types::pool::Allocate(size); }      \
  static void operator delete(void* p, size_t size) noexcept { types::pool::Release(p, size); }

struct RomRecord {
  VELMORA_POOLED_RECORD
  String12 Name;
  String12 Merge;
  String12 Region;
  uint32_t Flags = 0;
  uint32_t Offs = 0;
  uint32_t Size = 0;
  uint32_t Crc = 0;
};

struct ChipRecord {
  VELMORA_POOLED_RECORD
  uint8_t ChipType = 0;  // 1 = CPU, 2 = AUDIO, 0 = not given
  uint8_t Flags = 0;     // 1 = AUDIO
  String255 Name;
  String255 Clock;
};

// Storage from the record pools for containers of records.
template <class T>
struct PoolAllocator {
  using value_type = T;
  PoolAllocator() = default;
  template <class U>
  PoolAllocator(const PoolAllocator<U>&) noexcept {}  // NOLINT: rebinding
  T* allocate(size_t n) { return static_cast<T*>(types::pool::Allocate(n * sizeof(T))); }
  void deallocate(T* p, size_t n) noexcept { types::pool::Release(p, n * sizeof(T)); }
  friend bool operator==(const PoolAllocator&, const PoolAllocator&) { return true; }
};

// The settings of a dip switch: a list of texts, list and storage from the record pools (a
// modern catalogue has over half a million dip switches).
using DipEntryList = std::vector<std::string, PoolAllocator<std::string>>;
struct PooledListDelete {
  void operator()(DipEntryList* list) const noexcept;
};
using PooledStringList = std::unique_ptr<DipEntryList, PooledListDelete>;

struct DipSwitchRecord {
  VELMORA_POOLED_RECORD
  String255 Name;
  PooledStringList Entries;
  String255 Default;
};

using RomList = RecordList<RomRecord>;
using ChipList = RecordList<ChipRecord>;
using DipSwitchList = RecordList<DipSwitchRecord>;

struct GameRecord {
  VELMORA_POOLED_RECORD
  uint16_t Index = 0;
  uint8_t Kind = 0;
  String8 Name;
  String255 Description;
  uint16_t Year = 0;
  String255 Manufacturer;
  String8 CloneOf;
  String8 RomOf;
  std::unique_ptr<RomList> Roms;
  String8 SampleOf;
  std::unique_ptr<StringList> Samples;
  std::unique_ptr<ChipList> Chips;
  uint8_t Screen = 1;       // 1 = RASTER, 0 = VECTOR
  uint8_t Orientation = 0;  // 1 = VERTICAL, 0 = HORIZONTAL
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint32_t Colors = 0;
  String255 Freq;
  uint8_t Channels = 0;
  uint8_t Players = 0;
  uint8_t Control = 0;      // 0 = none, 1..8 = position in ControlNames
  uint8_t Buttons = 0;
  uint8_t Coins = 0;
  uint8_t Tilt = 0;
  uint8_t Service = 0;
  std::unique_ptr<DipSwitchList> DipSwitches;
  uint8_t Status = 0;       // 0 = not given, 1 = IMPERFECT, 2 = PRELIMINARY, 3 = GOOD
  uint8_t Color = 0;
  uint8_t Sound = 0;
  uint8_t ColorDeep = 0;    // 1 = "16", 0 = "8"
};

using GameList = RecordList<GameRecord>;

struct PlayStatRecord {
  String8 Name;
  uint32_t TotHours = 0;    // wide counters: values read from the file never wrap
  uint32_t TotMinutes = 0;  // 0..59
  uint32_t TotSeconds = 0;  // 0..59
  uint32_t TotTimes = 0;
};
using PlayStatList = RecordList<PlayStatRecord>;

struct ParseErrorRecord {
  uint8_t Kind = 0;  // 1..6
  String255 Path;
  String255 Value;
};

struct FilterEntryDescriptor {
  GameRecord* Game = nullptr;  // not owned
  std::string Folder;          // "\A\B\" or empty
};

struct FilterDescriptor {
  std::unique_ptr<RecordList<FilterEntryDescriptor>> Entries;
  std::string Name;
  std::string FileName;
  uint8_t Modified = 0;
};
using FilterList = RecordList<FilterDescriptor>;

// A folder node of the game tree; the node handles are opaque references into the tree.
struct TreeImageItemDescriptor {
  std::string Name;
  void* Node = nullptr;
  void* ParentNode = nullptr;
  std::unique_ptr<RecordList<TreeImageItemDescriptor>> Children;  // null when none
  TreeImageItemDescriptor() = default;
  ~TreeImageItemDescriptor();  // frees deep chains without recursion
};
using TreeImageItemList = RecordList<TreeImageItemDescriptor>;

struct MameCdRecord {
  std::string Name;
  std::unique_ptr<StringList> Clones;
  int32_t Size = 0;
};

struct SampleListEntry {
  std::string Name;
  std::unique_ptr<StringList> Members;
};

struct MAMEDirectoryRecord {
  std::string inp, hi, cfg, snap, memcard, artwork, rompath, samplepath, nvram, cheat, sta;
};

struct MAMEConfigFile {
  uint8_t scanlines = 0, stretch = 0, artwork = 0, samples = 0, vsync = 0, waitvsync = 0,
          triplebuffer = 0, tweak = 0;
  std::string vesamode, mmx;
  uint8_t antialias = 0, translucency = 0;
  int32_t vgafreq = 0;
  uint8_t alwayssynced = 0;
  std::string depth;
  int32_t skiplines = 0, skipcolumns = 0;
  float beam = 0, flicker = 0, gamma = 0;
  std::string frameskip;
  uint8_t norotate = 0, ror = 0, rol = 0, flipx = 0, flipy = 0;
  int32_t soundcard = 0;
  uint8_t ym3812opl = 0;
  std::string samplerate;
  uint8_t stereo = 0;
  int32_t volume = 0;
  uint8_t sampleratedetect = 0, resamplefilter = 0, mouse = 0;
  std::string joystick;
  uint8_t hotrod = 0, hotrodse = 0, steadykey = 0, cheat = 0, debug = 0;
  std::string cheatfile, historyfile, mameinfofile;
  std::string hiscorefile;
  std::string resolution, vectorres, monitor;
  int32_t centerx = 0, centery = 0;
  uint8_t waitinterlace = 0;
  std::string dirty;
  uint8_t emulate_three = 0;
  std::string language;
};

namespace types {

// Vocabulary tables (1-based positions where a record field holds a position).
extern const std::array<std::string_view, 2> EntryKeywords;
extern const std::array<std::string_view, 16> GameTags;
extern const std::array<bool, 16> GameTagIsBlock;
extern const std::array<std::string_view, 28> SubTags;
extern const std::array<std::string_view, 8> ControlNames;
extern const std::array<std::string_view, 3> DriverStateNames;
extern const std::array<std::string_view, 4> DriverStateTexts;
extern const std::array<std::string_view, 2> ChipTypeNames;
extern const std::array<std::string_view, 1> ChipFlagNames;
extern const std::array<std::string_view, 2> ScreenNames;
extern const std::array<std::string_view, 2> OrientationNames;
extern const std::array<std::string_view, 2> YesNoNames;
extern const std::array<std::string_view, 2> ColorDepthNames;
extern const std::array<std::string_view, 2> RomFlagNames;
extern const std::array<uint32_t, 2> RomFlagValues;

// A vocabulary text for display; codes outside the table give "Unknown".
std::string_view DriverStateText(uint8_t code);
// Entry `position` (1-based) of a table, or "Unknown" when out of range.
template <size_t N>
std::string_view TableEntry(const std::array<std::string_view, N>& table, size_t position) {
  return position >= 1 && position <= N ? table[position - 1] : std::string_view("Unknown");
}

std::unique_ptr<GameRecord> NewGameRecord();
std::unique_ptr<RomRecord> NewRomRecord();
std::unique_ptr<ChipRecord> NewChipRecord();
std::unique_ptr<DipSwitchRecord> NewDipSwitchRecord();
void FreeRomList(std::unique_ptr<RomList>& list);
void FreeChipList(std::unique_ptr<ChipList>& list);
void FreeDipSwitchList(std::unique_ptr<DipSwitchList>& list);
void FreeGameList(std::unique_ptr<GameList>& list);

std::unique_ptr<PlayStatRecord> NewPlayStatRecord();
void FreePlayStatList(std::unique_ptr<PlayStatList>& list);
std::unique_ptr<ParseErrorRecord> NewParseErrorRecord();
template <class T>
void FreeRecord(std::unique_ptr<T>& record) { record.reset(); }

std::unique_ptr<MameCdRecord> NewMameCdRecord();
void DisposeMameCdRecord(std::unique_ptr<MameCdRecord>& record);
std::unique_ptr<SampleListEntry> NewSampleListEntry();
void DisposeSampleListEntry(std::unique_ptr<SampleListEntry>& record);

std::unique_ptr<FilterDescriptor> NewFilterDescriptor();
std::unique_ptr<FilterEntryDescriptor> NewFilterEntryDescriptor();
void DisposeFilterDescriptor(std::unique_ptr<FilterDescriptor>& filter);
void DisposeFilterList(std::unique_ptr<FilterList>& list);
void ResetTreeImageItems(std::unique_ptr<TreeImageItemList>& list);

// First record whose leading name equals `name` exactly (case-sensitive), or nullptr.
template <class T>
T* FindByName(const RecordList<T>* list, std::string_view name) {
  if (!list) return nullptr;
  for (size_t i = 0; i < list->size(); ++i) {
    T* r = (*list)[i].get();
    if (r && r->Name == name) return r;
  }
  return nullptr;
}

}  // namespace types
