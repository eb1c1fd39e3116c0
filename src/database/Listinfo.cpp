#include "database/Listinfo.h"

#include <array>

#include "database/TextStream.h"
#include "platform/SafeName.h"

namespace listinfo {

namespace {

// Byte classes: separators are the blank and every byte below 14; a to z are upper-cased.
enum : uint8_t { SEPARATOR = 1, LOWER = 2 };
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 14; ++c) t[static_cast<size_t>(c)] = SEPARATOR;
  t[32] = SEPARATOR;
  for (int c = 'a'; c <= 'z'; ++c) t[static_cast<size_t>(c)] = LOWER;
  return t;
}
constexpr std::array<uint8_t, 256> kClass = MakeClasses();

inline uint8_t ClassOf(char c) { return kClass[static_cast<unsigned char>(c)]; }
inline bool IsSeparator(char c) { return ClassOf(c) & SEPARATOR; }

// A vocabulary table with a small open-addressing hash: 1-based position, or 0.
class Vocabulary {
 public:
  template <size_t N>
  explicit Vocabulary(const std::array<std::string_view, N>& words) {
    static_assert(N < kSlots / 2);
    words_.assign(words.begin(), words.end());
    slots_.fill(0);
    for (size_t i = 0; i < N; ++i) {
      size_t h = Hash(words[i]);
      while (slots_[h] != 0) h = (h + 1) & (kSlots - 1);
      slots_[h] = static_cast<uint8_t>(i + 1);
    }
  }
  int Find(std::string_view s) const {
    if (s.empty()) return 0;
    size_t h = Hash(s);
    for (;;) {
      uint8_t v = slots_[h];
      if (v == 0) return 0;
      if (words_[v - 1u] == s) return v;
      h = (h + 1) & (kSlots - 1);
    }
  }

 private:
  static constexpr size_t kSlots = 64;
  static size_t Hash(std::string_view s) {
    size_t h = s.size() * 131u + static_cast<unsigned char>(s[0]) * 31u +
               static_cast<unsigned char>(s[s.size() - 1]) * 7u +
               static_cast<unsigned char>(s[s.size() / 2]);
    return h & (kSlots - 1);
  }
  std::vector<std::string_view> words_;
  std::array<uint8_t, kSlots> slots_{};
};

const Vocabulary& EntryWords() { static const Vocabulary v(types::EntryKeywords); return v; }
const Vocabulary& GameWords() { static const Vocabulary v(types::GameTags); return v; }
const Vocabulary& SubWords() { static const Vocabulary v(types::SubTags); return v; }

// Positions in GameTags and SubTags.
enum GameTag { T_NAME = 1, T_DESCRIPTION, T_YEAR, T_MANUFACTURER, T_CLONEOF, T_ROMOF, T_ROM,
               T_CHIP, T_VIDEO, T_SOUND, T_INPUT, T_DIPSWITCH, T_DRIVER, T_SAMPLE, T_SAMPLEOF,
               T_HISTORY };
enum SubTag { S_NAME = 1, S_MERGE, S_SIZE, S_CRC, S_TYPE, S_FLAGS, S_CLOCK, S_SCREEN,
              S_ORIENTATION, S_X, S_Y, S_COLORS, S_FREQ, S_CHANNELS, S_PLAYERS, S_CONTROL,
              S_BUTTONS, S_TILT, S_SERVICE, S_COINS, S_ENTRY, S_DEFAULT, S_STATUS, S_COLOR,
              S_SOUND, S_COLORDEEP, S_REGION, S_OFFS };

// Which sub-tags each block allows, as bit sets over the SubTags positions.
constexpr uint32_t Bit(int s) { return 1u << s; }
uint32_t AllowedSubTags(int block) {
  switch (block) {
    case T_ROM:
      return Bit(S_NAME) | Bit(S_MERGE) | Bit(S_REGION) | Bit(S_SIZE) | Bit(S_CRC) | Bit(S_OFFS) |
             Bit(S_FLAGS);
    case T_CHIP: return Bit(S_TYPE) | Bit(S_FLAGS) | Bit(S_NAME) | Bit(S_CLOCK);
    case T_VIDEO:
      return Bit(S_SCREEN) | Bit(S_ORIENTATION) | Bit(S_X) | Bit(S_Y) | Bit(S_COLORS) |
             Bit(S_FREQ);
    case T_SOUND: return Bit(S_CHANNELS);
    case T_INPUT:
      return Bit(S_PLAYERS) | Bit(S_BUTTONS) | Bit(S_COINS) | Bit(S_CONTROL) | Bit(S_TILT) |
             Bit(S_SERVICE);
    case T_DIPSWITCH: return Bit(S_NAME) | Bit(S_DEFAULT) | Bit(S_ENTRY);
    case T_DRIVER: return Bit(S_STATUS) | Bit(S_COLOR) | Bit(S_SOUND) | Bit(S_COLORDEEP);
    default: return 0;
  }
}

// Two-word tables whose first word gives 1 and the second 0.
template <size_t N>
int PositionIn(const std::array<std::string_view, N>& table, std::string_view s) {
  for (size_t i = 0; i < N; ++i)
    if (table[i] == s) return static_cast<int>(i + 1);
  return 0;
}

}  // namespace

TListinfoParser::TListinfoParser(std::string_view text, const catalogue::Limits& limits)
    : text_(text), counter_(limits) {}

bool TListinfoParser::Count(catalogue::Kind kind, size_t inEntry) {
  if (counter_.Add(kind, inEntry, types::EntryKeywords[static_cast<size_t>(entryKind_ - 1)],
                   game_ ? std::string_view(game_->Name) : std::string_view()))
    return true;
  result_.Refusal = counter_.Refusal();
  return false;
}

uint8_t TListinfoParser::NextChar() {
  if (pos_ >= text_.size()) return 0;
  return static_cast<uint8_t>(text_[pos_++]);
}

std::string_view TListinfoParser::NextToken() {
  const char* p = text_.data();
  const size_t n = text_.size();
  size_t i = pos_;
  while (i < n && IsSeparator(p[i])) ++i;
  quoted_ = false;
  if (i >= n) {
    pos_ = n;
    tok_ = {};
    return tok_;
  }
  if (p[i] == '"') {
    quoted_ = true;
    const size_t start = ++i;
    while (i < n && p[i] != '"' && p[i] != '\\') ++i;
    if (i >= n || p[i] == '"') {  // no escape: the token is a view of the text
      tok_ = std::string_view(p + start, i - start);
      pos_ = i < n ? i + 1 : n;
      return tok_;
    }
    buf_.assign(p + start, i - start);
    while (i < n) {
      const char c = p[i++];
      if (c == '"') break;
      if (c != '\\') {
        buf_.push_back(c);
        continue;
      }
      if (i >= n) break;
      switch (p[i++]) {
        case '"': buf_.push_back('"'); break;
        case 'n': case 'N': buf_.push_back('\r'); break;
        case '\\': buf_.push_back('\\'); break;
        default: break;  // an unknown escape is dropped with its letter
      }
    }
    pos_ = i;
    tok_ = buf_;
    return tok_;
  }
  // One pass: copied upper-cased into the buffer while looking for its end.
  if (buf_.size() < 64) buf_.resize(64);
  char* out = buf_.data();
  size_t cap = buf_.size(), k = 0;
  for (; i < n; ++i) {
    const char c = p[i];
    const uint8_t cls = ClassOf(c);
    if (cls & SEPARATOR) break;
    if (k == cap) {
      buf_.resize(cap * 2);
      out = buf_.data();
      cap = buf_.size();
    }
    out[k++] = static_cast<char>(c - ((cls & LOWER) << 4));  // a..z less 32
  }
  pos_ = i;
  tok_ = std::string_view(out, k);
  return tok_;
}

void TListinfoParser::RecordError(uint8_t kind, std::string_view path, std::string_view value) {
  path = path.substr(0, String255::Capacity);
  auto& errors = result_.Errors;
  for (size_t i = 0; i < errors.size(); ++i)
    if (errors[i]->Kind == kind && errors[i]->Path == path) return;
  if (errors.size() > MaxErrors) return;
  auto e = types::NewParseErrorRecord();
  if (errors.size() < MaxErrors) {
    e->Kind = kind;
    e->Path = path;
    e->Value = value;
  } else {
    e->Kind = 6;
    e->Path = TooManyErrorsText;
    e->Value = ">100";
  }
  errors.push_back(std::move(e));
}

void TListinfoParser::AddParseError(uint8_t kind, std::string_view path) {
  const std::string where(path);  // the path may view the token about to be replaced
  if (kind == 2) NextToken();
  RecordError(kind, where, tok_);
  if (!IsOpen()) return;
  int level = 1;
  while (level > 0 && pos_ < text_.size()) {
    NextToken();
    if (IsOpen())
      ++level;
    else if (IsClose())
      --level;
  }
}

std::string TListinfoParser::EntryPath() const {
  return std::string(types::EntryKeywords[static_cast<size_t>(entryKind_ - 1)]);
}

std::string TListinfoParser::BlockPath() const {
  std::string s = EntryPath();
  s += '\\';
  s += types::GameTags[static_cast<size_t>(block_ - 1)];
  return s;
}

void TListinfoParser::Parse(const ProgressFn& progress) {
  const size_t size = text_.size();
  int32_t shown = -1;
  size_t nextCheck = 0;  // the percentage cannot change before this position
  while (pos_ < size && result_.Refusal.empty()) {
    NextToken();
    if (progress && (pos_ >= nextCheck || pos_ == size)) {
      const int32_t p = Percentage(static_cast<int64_t>(pos_), static_cast<int64_t>(size));
      if (p != shown) {
        shown = p;
        progress(p);
      }
      nextCheck = pos_ + size / 1000;
    }
    switch (state_) {
      case 1: BetweenEntries(); break;
      case 2: InsideEntry(); break;
      default: InsideBlock(); break;
    }
  }
  EndOfText();
}

void TListinfoParser::BetweenEntries() {
  const int k = quoted_ ? 0 : EntryWords().Find(tok_);
  if (k == 0) {
    if (!tok_.empty()) AddParseError(2, tok_);
    return;
  }
  entryKind_ = k;
  if (!Count(k == 1 ? catalogue::Kind::Game : catalogue::Kind::Resource)) return;
  NextToken();
  game_ = types::NewGameRecord();
  if (k == 1) {
    game_->Index = static_cast<uint16_t>(++gameCounter_);
    game_->Kind = KIND_GAME;
  } else {
    game_->Index = static_cast<uint16_t>(++resourceCounter_);
    game_->Kind = KIND_RESOURCE;
  }
  state_ = 2;
  if (!IsOpen()) AddParseError(1, types::EntryKeywords[static_cast<size_t>(k - 1)]);
}

void TListinfoParser::InsideEntry() {
  if (IsClose()) {
    state_ = 1;
    if (game_->Kind == KIND_GAME)
      result_.Games->push_back(std::move(game_));
    else
      result_.Resources->push_back(std::move(game_));
    return;
  }
  const int t = quoted_ ? 0 : GameWords().Find(tok_);
  if (t == 0) {
    if (!AtEnd()) AddParseError(2, EntryPath() + "\\" + std::string(tok_));
    return;
  }
  if (types::GameTagIsBlock[static_cast<size_t>(t - 1)]) {
    block_ = t;
    NextToken();
    state_ = 3;
    if (t == T_ROM) rom_ = types::NewRomRecord();
    else if (t == T_CHIP) chip_ = types::NewChipRecord();
    else if (t == T_DIPSWITCH) dip_ = types::NewDipSwitchRecord();
    if (!IsOpen()) AddParseError(1, BlockPath());
    return;
  }
  NextToken();
  StoreGameTag(t);
}

void TListinfoParser::StoreGameTag(int tag) {
  GameRecord& g = *game_;
  // Set and sample names become file names: one that could leave its folder is listed (and
  // refused wherever a path would be built from it); so is a set name the emulator would take
  // for an option.
  switch (tag) {
    case T_NAME: case T_CLONEOF: case T_ROMOF: case T_SAMPLE: case T_SAMPLEOF:
      if (!tok_.empty() && (tag == T_SAMPLE || tag == T_SAMPLEOF ? !plat::IsPlainName(tok_)
                                                                 : !IsAllowedSetName(tok_)))
        RecordError(3, EntryPath() + "\\" +
                           std::string(types::GameTags[static_cast<size_t>(tag - 1)]) + "=" +
                           std::string(tok_),
                    tok_);
      break;
    default: break;
  }
  switch (tag) {
    case T_NAME: g.Name = tok_; break;
    case T_DESCRIPTION: g.Description = tok_; break;
    case T_YEAR: {
      int32_t v = 0;
      if (StrToInt(tok_, v)) {
        g.Year = static_cast<uint16_t>(v);
      } else {
        g.Year = 0;
        AddParseError(5, EntryPath() + "\\YEAR=" + std::string(tok_));
      }
      break;
    }
    case T_MANUFACTURER: g.Manufacturer = tok_; break;
    case T_CLONEOF: g.CloneOf = tok_; break;
    case T_ROMOF: g.RomOf = tok_; break;
    case T_SAMPLE:
      if (Count(catalogue::Kind::Sample, g.Samples->size())) g.Samples->emplace_back(tok_);
      break;
    case T_SAMPLEOF: g.SampleOf = tok_; break;
    default: break;  // HISTORY: read and ignored
  }
}

void TListinfoParser::InsideBlock() {
  if (IsClose()) {
    state_ = 2;
    using catalogue::Kind;
    if (block_ == T_ROM && rom_) {
      if (Count(Kind::Rom, game_->Roms->size())) game_->Roms->push_back(std::move(rom_));
    } else if (block_ == T_CHIP && chip_) {
      if (Count(Kind::Chip, game_->Chips->size())) game_->Chips->push_back(std::move(chip_));
    } else if (block_ == T_DIPSWITCH && dip_) {
      if (Count(Kind::DipSwitch, game_->DipSwitches->size()))
        game_->DipSwitches->push_back(std::move(dip_));
    }
    return;
  }
  const int s = quoted_ ? 0 : SubWords().Find(tok_);
  if (s == 0) {
    if (!AtEnd()) AddParseError(2, BlockPath() + "\\" + std::string(tok_));
    return;
  }
  NextToken();
  if ((AllowedSubTags(block_) & Bit(s)) == 0) {
    AddParseError(4, BlockPath() + "\\" + std::string(types::SubTags[static_cast<size_t>(s - 1)]));
    return;
  }
  StoreSubTag(s);
}

bool TListinfoParser::ToInteger(std::string_view subTag, uint32_t& field) {
  int32_t v = 0;
  if (StrToInt(tok_, v)) {
    field = static_cast<uint32_t>(v);
    return true;
  }
  field = 0;
  AddParseError(5, BlockPath() + "\\" + std::string(subTag) + "=" + std::string(tok_));
  return false;
}

void TListinfoParser::StoreSubTag(int sub) {
  GameRecord& g = *game_;
  const std::string_view subTag = types::SubTags[static_cast<size_t>(sub - 1)];
  auto notAllowed = [&] {
    AddParseError(3, BlockPath() + "\\" + std::string(subTag) + "=" + std::string(tok_));
  };
  // Integers keep their low bits.
  auto integer = [&](auto& field) {
    uint32_t v = 0;
    ToInteger(subTag, v);
    field = static_cast<std::remove_reference_t<decltype(field)>>(v);
  };
  // Tables whose first word stores 1 and second 0.
  auto yesNo = [&](const std::array<std::string_view, 2>& table, uint8_t& field) {
    const int p = PositionIn(table, tok_);
    if (p == 0) notAllowed();
    else field = p == 1 ? 1 : 0;
  };
  auto position = [&](const auto& table, uint8_t& field) {
    const int p = PositionIn(table, tok_);
    if (p == 0) notAllowed();
    else field = static_cast<uint8_t>(p);
  };
  switch (block_) {
    case T_ROM: {
      RomRecord& r = *rom_;
      if ((sub == S_NAME || sub == S_MERGE) && !tok_.empty() && !plat::IsPlainName(tok_))
        RecordError(3, BlockPath() + "\\" + std::string(subTag) + "=" + std::string(tok_), tok_);
      switch (sub) {
        case S_NAME: r.Name = tok_; break;
        case S_MERGE: r.Merge = tok_; break;
        case S_REGION: r.Region = tok_; break;
        case S_SIZE: {
          // Sizes reach past 2^31 - 1: read as the unsigned 32-bit number they are stored as.
          uint32_t v = 0;
          if (StrToUInt32(tok_, v)) r.Size = v;
          else ToInteger(subTag, r.Size);
          break;
        }
        case S_CRC: r.Crc = HexNum::HexToInt(tok_); break;
        case S_OFFS: r.Offs = HexNum::HexToInt(tok_); break;
        case S_FLAGS: {
          if (IsHexString(tok_)) {
            r.Flags = HexStrToInt(tok_);
          } else {
            const int p = PositionIn(types::RomFlagNames, tok_);
            if (p == 0) notAllowed();
            else r.Flags = types::RomFlagValues[static_cast<size_t>(p - 1)];
          }
          break;
        }
        default: break;
      }
      break;
    }
    case T_CHIP: {
      ChipRecord& c = *chip_;
      switch (sub) {
        case S_TYPE: position(types::ChipTypeNames, c.ChipType); break;
        case S_FLAGS: {
          const int p = PositionIn(types::ChipFlagNames, tok_);
          if (p == 0) notAllowed();
          else c.Flags = 1;
          break;
        }
        case S_NAME: c.Name = tok_; break;
        case S_CLOCK: c.Clock = tok_; break;
        default: break;
      }
      break;
    }
    case T_VIDEO:
      switch (sub) {
        case S_SCREEN: yesNo(types::ScreenNames, g.Screen); break;
        case S_ORIENTATION: yesNo(types::OrientationNames, g.Orientation); break;
        case S_X: integer(g.Width); break;
        case S_Y: integer(g.Height); break;
        case S_COLORS: integer(g.Colors); break;
        case S_FREQ: g.Freq = tok_; break;
        default: break;
      }
      break;
    case T_SOUND: integer(g.Channels); break;
    case T_INPUT:
      switch (sub) {
        case S_PLAYERS: integer(g.Players); break;
        case S_BUTTONS: integer(g.Buttons); break;
        case S_COINS: integer(g.Coins); break;
        case S_CONTROL: position(types::ControlNames, g.Control); break;
        case S_TILT: yesNo(types::YesNoNames, g.Tilt); break;
        case S_SERVICE: yesNo(types::YesNoNames, g.Service); break;
        default: break;
      }
      break;
    case T_DIPSWITCH: {
      DipSwitchRecord& d = *dip_;
      switch (sub) {
        case S_NAME: d.Name = tok_; break;
        case S_DEFAULT: d.Default = tok_; break;
        case S_ENTRY:
          if (d.Entries->size() < MaxDipSwitchEntries) {
            if (Count(catalogue::Kind::DipSetting)) d.Entries->emplace_back(tok_);
          } else {
            std::string text = "Too many entries (>255) in the dip switch \"" + d.Name.str() +
                               "\" of " + EntryPath() + " " + g.Name.str() +
                               ": the rest were ignored.";
            RecordError(6, text, tok_);
          }
          break;
        default: break;
      }
      break;
    }
    case T_DRIVER:
      switch (sub) {
        case S_STATUS: position(types::DriverStateNames, g.Status); break;
        case S_COLOR: position(types::DriverStateNames, g.Color); break;
        case S_SOUND: position(types::DriverStateNames, g.Sound); break;
        case S_COLORDEEP: yesNo(types::ColorDepthNames, g.ColorDeep); break;
        default: break;
      }
      break;
    default: break;
  }
}

void TListinfoParser::EndOfText() {
  if (!result_.Refusal.empty()) {
    // Nothing of a refused catalogue is kept: its records go at once.
    types::FreeGameList(result_.Games);
    types::FreeGameList(result_.Resources);
    result_.Games = std::make_unique<GameList>();
    result_.Resources = std::make_unique<GameList>();
    game_.reset();
    rom_.reset();
    chip_.reset();
    dip_.reset();
    return;
  }
  if (state_ == 1 || !game_) return;
  // An entry still open is not added to any list; the user hears of it.
  std::string text = "End of file reached inside the ";
  text += state_ == 3 ? BlockPath() + " block of the " + EntryPath() : EntryPath();
  text += " entry";
  if (!game_->Name.empty()) text += " " + game_->Name.str();
  text += ": the entry was ignored.";
  RecordError(6, text, tok_);
  game_.reset();
  rom_.reset();
  chip_.reset();
  dip_.reset();
  state_ = 1;
}

ParseResult ParseListinfo(std::string_view text, const ProgressFn& progress,
                          const catalogue::Limits& limits) {
  TListinfoParser parser(text, limits);
  parser.Parse(progress);
  return std::move(parser.Result());
}

bool IsAllowedSetName(std::string_view name) {
  return plat::IsPlainName(name) && name.front() != '-';
}

std::string ErrorLine(const ParseErrorRecord& error) {
  const std::string& path = error.Path;
  switch (error.Kind) {
    case 1: return "\"(\" expected after " + path + " tag but " + error.Value.str() + " found";
    case 2: return "Tag unknown: " + path;
    case 3: return "Value not allowed: " + path;
    case 4: return "Tag not allowed: " + path;
    case 5: return "Cannot convert value to binary: " + path;
    default: return path;
  }
}

bool IsHexString(std::string_view text) {
  if (!text.empty() && text[0] == '$') return true;
  return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

uint32_t HexStrToInt(std::string_view text) {
  if (!text.empty() && text[0] == '$') return HexNum::HexToInt(text.substr(1));
  if (text.size() >= 2) return HexNum::HexToInt(text.substr(2));
  return 0;
}

bool StrToUInt32(std::string_view text, uint32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '+') ++i;
  if (i >= text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + static_cast<uint32_t>(text[i] - '0');
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

bool StrToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  uint64_t v = 0;
  if (text[i] == '$') {
    if (++i >= text.size()) return false;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      uint32_t d;
      if (c >= '0' && c <= '9') d = static_cast<uint32_t>(c - '0');
      else if (c >= 'A' && c <= 'F') d = static_cast<uint32_t>(c - 'A' + 10);
      else if (c >= 'a' && c <= 'f') d = static_cast<uint32_t>(c - 'a' + 10);
      else return false;
      v = v * 16 + d;
      if (v > 0xFFFFFFFFu) return false;
    }
    const uint32_t u = static_cast<uint32_t>(v);
    value = static_cast<int32_t>(negative ? 0u - u : u);
    return true;
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
    if (v > 2147483648u) return false;
  }
  if (!negative && v > 2147483647u) return false;
  value = negative ? static_cast<int32_t>(0 - v) : static_cast<int32_t>(v);
  return true;
}

}  // namespace listinfo
