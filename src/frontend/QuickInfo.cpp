#include "frontend/QuickInfo.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace quickinfo {

namespace {

const char* const kCrLf = "\r\n";

std::string Pad(const std::string& text, size_t width) {
  std::string s = text;
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string Hex(uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

// Appends a line, CR LF between lines; `lines` counts the lines added so far.
struct Lines {
  std::string& text;
  size_t count = 0;
  void Add(const std::string& line) {
    if (count++) text += kCrLf;
    text += line;
  }
};

const std::array<std::string_view, 7> kChannelWords = {
    "None", "Mono", "Stereo", "Stereo with sub-woofer", "Surround",
    "Surround with sub-woofer (Dolby surround PRO-Logic?)", "Polyphonic (more than 5 speakers)"};

const std::array<std::string_view, 8> kControlWords = {
    "joystick", "joystick (with diagonals)", "2 joysticks", "2 joysticks (with diagonals)",
    "dial", "analog stick", "paddle", "trackball"};

const std::array<std::string_view, 4> kRomWidths = {"8", "16", "32", "64"};

}  // namespace

std::string_view QualityWord(uint8_t code) { return types::DriverStateText(code); }

std::string_view ChannelWord(uint8_t channels) {
  return kChannelWords[channels < kChannelWords.size() ? channels : kChannelWords.size() - 1];
}

std::string_view ControlWord(uint8_t control) {
  if (control == 0) return {};
  return control <= kControlWords.size() ? kControlWords[control - 1]
                                         : std::string_view("unknown control");
}

std::string TwoDigits(uint32_t value) {
  std::string s = std::to_string(value);
  return value < 10 ? "0" + s : s;
}

std::string PlayText(const PlayStatRecord* r) {
  if (!r || r->TotTimes == 0) return "Never played";
  std::string s = "Played " + std::to_string(r->TotTimes) + " time";
  if (r->TotTimes > 1) s += "s";
  s += "; total time: " + TwoDigits(r->TotHours) + ":" + TwoDigits(r->TotMinutes) + ":" +
       TwoDigits(r->TotSeconds);
  return s;
}

std::string BuildQuickInfo(const GameRecord* g, const GameLookup& find,
                           const PlayStatList* stats) {
  if (!g) return {};
  std::string t;
  Lines out{t};
  out.Add("Game: .............[" + g->Name.str() + "] = " + g->Description.str());
  if (!g->CloneOf.empty() && find) {
    if (const GameRecord* parent = find(g->CloneOf.str()))
      out.Add("Clone of: .........[" + g->CloneOf.str() + "] = " + parent->Description.str());
  }
  out.Add("Copyright: ........" + (g->Year ? std::to_string(g->Year) : std::string("????")) +
                 " - " + g->Manufacturer.str());
  out.Add(std::string("Screen: ...........") + (g->Screen ? "Raster" : "Vector") + ", " +
                 (g->Orientation ? "vertical" : "horizontal"));
  if (g->Screen)
    out.Add("Resolution: ......." + std::to_string(g->Width) + "x" + std::to_string(g->Height) +
                   ", " + std::to_string(g->Colors) + " colors, " + g->Freq.str() + "Hz");
  out.Add("Sound: ............" + std::string(ChannelWord(g->Channels)));

  std::string c = "Controls: ........." + std::to_string(g->Players) + " player";
  if (g->Players != 1) c += "s";
  c += ", ";
  c += ControlWord(g->Control);
  if (g->Control != 0 && g->Buttons != 0) c += "+";
  if (g->Buttons != 0) {
    c += std::to_string(g->Buttons) + " button";
    if (g->Buttons > 1) c += "s";
  }
  if (g->Players > 1) c += " each player";
  out.Add(c);

  std::string coin = "Coinage: .........." + std::to_string(g->Coins) + " slot";
  if (g->Coins > 1) coin += "s";
  if (g->Tilt) coin += ", TILT supported";
  if (g->Service) coin += ", service button";
  out.Add(coin);

  if (g->DipSwitches) {
    size_t n = g->DipSwitches->size();
    std::string d = "Dip switches: ....." + (n ? std::to_string(n) : std::string("no")) + " setting";
    if (n != 1) d += "s";
    out.Add(d);
  }
  out.Add("Driver quality: ..." + std::string(QualityWord(g->Status)));
  out.Add("Color quality: ...." + std::string(QualityWord(g->Color)) + ", " +
                 (g->ColorDeep ? "16" : "8") + " bits");
  out.Add("Sound quality: ...." + std::string(QualityWord(g->Sound)));
  out.Add("Statistics: ......." + PlayText(types::FindByName(stats, g->Name.str())));
  return t;
}

void AddCloneListInfo(const GameRecord* g, const GameList* games, std::string& text,
                      uint16_t& count) {
  text.clear();
  count = 0;
  Lines out{text};
  if (!g || !games) return;
  const std::string master = g->CloneOf.empty() ? g->Name.str() : g->CloneOf.str();
  for (size_t i = 0; i < games->size(); ++i) {
    const GameRecord* r = (*games)[i].get();
    if (!r || r->CloneOf.str() != master) continue;
    std::string line = Pad("[" + r->Name.str() + "]", 10) + " = " + r->Description.str();
    if (r == g) line += " <- this set";
    out.Add(line);
    ++count;
  }
}

namespace {

template <class T>
const T* Present(const std::unique_ptr<T>& p) { return p.get(); }
template <class T>
const T* Present(const T& v) { return &v; }

// Clears text, then adds a line for each entry of a game's list (empty entries skipped), the
// first `most` at the most.
template <class List, class F>
void AddListLines(const std::unique_ptr<List>* list, std::string& text, F line,
                  size_t most = 65536) {
  text.clear();
  Lines out{text};
  if (!list || !*list) return;
  for (size_t i = 0; i < (*list)->size() && i < most; ++i)
    if (const auto* e = Present((**list)[i])) out.Add(line(*e));
}

}  // namespace

void AddChipInfo(const GameRecord* g, std::string& text) {
  AddListLines(g ? &g->Chips : nullptr, text, [](const ChipRecord& c) {
    std::string line = c.ChipType == 1 ? "CPU: ....." : c.ChipType == 2 ? "Audio: ..." : "Unknown: ";
    line += c.Name.str();
    if (!c.Clock.empty()) line += ", " + c.Clock.str() + "Hz clock";
    if (c.Flags == 1) line += " (sound)";
    return line;
  });
}

void AddRomInfo(const GameRecord* g, std::string& text) {
  AddListLines(g ? &g->Roms : nullptr, text, [g](const RomRecord& r) {
    std::string line = Pad(r.Name.str(), 12) + " ";
    line += r.Crc ? "$" + Hex(r.Crc, 8) : std::string(" ????????");
    line += " ";
    std::string size = std::to_string(r.Size);
    if (size.size() < 8) size.insert(0, 8 - size.size(), ' ');
    line += size + " ";
    line += "{$" + Hex(r.Offs, 8) + "..$" + Hex(r.Offs + r.Size - 1, 8) + "} " + r.Region.str();
    const uint32_t f = r.Flags;
    line += " (" + std::string(kRomWidths[f & 3]) + "bits";
    if (f & 3) line += std::string(", ") + ((f & 4) ? "big " : "little ") + "endian";
    if (f & 8) line += ", inverted";
    if (f & 0x10) line += ", dispose after init";
    if (f & 0x20) line += ", load only if sound enabled";
    if (f & 0x40) line += ", load in upper part of cpu space";
    if (f & 0x80) line += ", fill with $" + Hex((f >> 8) & 0xFF, 2);
    line += ")";
    if (r.Merge.str() == r.Name.str()) line += " - from master set " + g->RomOf.str();
    return line;
  });
}

void AddDipSwitchInfo(const GameRecord* g, std::string& text) {
  AddListLines(
      g ? &g->DipSwitches : nullptr, text,
      [](const DipSwitchRecord& d) {
        std::string line = Pad(d.Name.str(), 30);
        if (d.Entries && !d.Entries->empty()) {
          line += "= {";
          for (size_t e = 0; e < d.Entries->size(); ++e) {
            if (e) line += ", ";
            line += (*d.Entries)[e];
          }
          line += "}; Factory setting=" + d.Default.str();
        }
        return line;
      },
      SIZE_MAX);
}

void AddSampleInfo(const GameRecord* g, std::string& text) {
  AddListLines(g ? &g->Samples : nullptr, text, [g](const std::string& s) {
    std::string line = Pad(s, 12);
    if (!g->SampleOf.empty()) line += " - from sample set " + g->SampleOf.str();
    return line;
  });
}

}  // namespace quickinfo
