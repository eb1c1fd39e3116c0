#include "launch/MameCfg.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "database/TextStream.h"
#include "platform/Files.h"
#include "platform/Numbers.h"
#include "platform/Ini.h"

namespace mamecfg {

namespace {
const char* const kDir = "directory";
const char* const kCfg = "config";

// One option of the config section and where it lives in the record.
enum class Kind { Flag, Int, Real, Text, FileName };
struct Option {
  const char* key;
  Kind kind;
  uint8_t MAMEConfigFile::*flag = nullptr;
  int32_t MAMEConfigFile::*integer = nullptr;
  float MAMEConfigFile::*real = nullptr;
  std::string MAMEConfigFile::*text = nullptr;
  const char* def = "";  // as the file would spell it
};

Option Flag(const char* k, uint8_t MAMEConfigFile::*f, const char* d) {
  return Option{k, Kind::Flag, f, nullptr, nullptr, nullptr, d};
}
Option Int(const char* k, int32_t MAMEConfigFile::*f, const char* d) {
  return Option{k, Kind::Int, nullptr, f, nullptr, nullptr, d};
}
Option Real(const char* k, float MAMEConfigFile::*f, const char* d) {
  return Option{k, Kind::Real, nullptr, nullptr, f, nullptr, d};
}
Option Text(const char* k, std::string MAMEConfigFile::*f, const char* d) {
  return Option{k, Kind::Text, nullptr, nullptr, nullptr, f, d};
}
// File names keep the user's spelling; the others are held upper-cased.
Option FileName(const char* k, std::string MAMEConfigFile::*f, const char* d) {
  return Option{k, Kind::FileName, nullptr, nullptr, nullptr, f, d};
}

using C = MAMEConfigFile;
const Option kOptions[] = {
    Flag("scanlines", &C::scanlines, "yes"),
    Flag("stretch", &C::stretch, "yes"),
    Flag("artwork", &C::artwork, "yes"),
    Flag("samples", &C::samples, "yes"),
    Flag("vsync", &C::vsync, "no"),
    Flag("waitvsync", &C::waitvsync, "no"),
    Flag("triplebuffer", &C::triplebuffer, "no"),
    Flag("tweak", &C::tweak, "yes"),
    Text("vesamode", &C::vesamode, "vesa3"),
    Text("mmx", &C::mmx, "auto"),
    Text("dirty", &C::dirty, "auto"),
    Flag("antialias", &C::antialias, "yes"),
    Flag("translucency", &C::translucency, "yes"),
    Int("vgafreq", &C::vgafreq, "-1"),
    Flag("alwayssynced", &C::alwayssynced, "no"),
    Text("depth", &C::depth, "auto"),
    Int("skiplines", &C::skiplines, "0"),
    Int("skipcolumns", &C::skipcolumns, "0"),
    Real("beam", &C::beam, "1"),
    Real("flicker", &C::flicker, "0"),
    Real("gamma", &C::gamma, "1"),
    Text("frameskip", &C::frameskip, "auto"),
    Flag("norotate", &C::norotate, "no"),
    Flag("ror", &C::ror, "no"),
    Flag("rol", &C::rol, "no"),
    Flag("flipx", &C::flipx, "no"),
    Flag("flipy", &C::flipy, "no"),
    Int("soundcard", &C::soundcard, "-1"),
    Flag("ym3812opl", &C::ym3812opl, "no"),
    Text("samplerate", &C::samplerate, "22050"),
    Flag("stereo", &C::stereo, "yes"),
    Int("volume", &C::volume, "0"),
    Flag("sampleratedetect", &C::sampleratedetect, "yes"),
    Flag("resamplefilter", &C::resamplefilter, "yes"),
    Flag("mouse", &C::mouse, "yes"),
    Text("joystick", &C::joystick, "none"),
    Flag("hotrod", &C::hotrod, "no"),
    Flag("hotrodse", &C::hotrodse, "no"),
    Flag("steadykey", &C::steadykey, "no"),
    Flag("cheat", &C::cheat, "no"),
    Flag("debug", &C::debug, "no"),
    FileName("cheatfile", &C::cheatfile, "CHEAT.DAT"),
    FileName("historyfile", &C::historyfile, "HISTORY.DAT"),
    FileName("mameinfofile", &C::mameinfofile, "MAMEINFO.DAT"),
    Text("resolution", &C::resolution, "auto"),
    Text("vectorres", &C::vectorres, "auto"),
    Text("language", &C::language, "english"),
    Text("monitor", &C::monitor, "standard"),
    Int("centerx", &C::centerx, "0"),
    Int("centery", &C::centery, "0"),
    Flag("waitinterlace", &C::waitinterlace, "no"),
};

struct DirOption {
  const char* key;
  std::string MAMEDirectoryRecord::*field;
  const char* def;
};
// In the order they are written.
const DirOption kDirs[] = {
    {"inp", &MAMEDirectoryRecord::inp, "INP"},
    {"hi", &MAMEDirectoryRecord::hi, "HI"},
    {"cfg", &MAMEDirectoryRecord::cfg, "CFG"},
    {"snap", &MAMEDirectoryRecord::snap, "SNAP"},
    {"memcard", &MAMEDirectoryRecord::memcard, "MEMCARD"},
    {"artwork", &MAMEDirectoryRecord::artwork, "ARTWORK"},
    {"rompath", &MAMEDirectoryRecord::rompath, "ROMS"},
    {"samplepath", &MAMEDirectoryRecord::samplepath, ".;SAMPLES"},
    {"nvram", &MAMEDirectoryRecord::nvram, "NVRAM"},
    {"cheat", &MAMEDirectoryRecord::cheat, "."},
    {"sta", &MAMEDirectoryRecord::sta, "STA"},
};

void ApplyDefault(const Option& o, MAMEConfigFile& cfg) {
  switch (o.kind) {
    case Kind::Flag: cfg.*o.flag = IsYes(o.def) ? 1 : 0; break;
    case Kind::Int: ParseInteger(o.def, cfg.*o.integer); break;
    case Kind::Real: ParseReal(o.def, cfg.*o.real); break;
    case Kind::Text: cfg.*o.text = plat::UpperCase(o.def); break;
    case Kind::FileName: cfg.*o.text = o.def; break;
  }
}

std::string Trimmed(std::string_view s) { return plat::Trim(s); }

}  // namespace

bool IsYes(std::string_view text) { return plat::UpperCase(text) == "YES"; }

bool ReadYesNo(const plat::IniFile& ini, std::string_view section, std::string_view key, bool def) {
  return IsYes(ini.ReadString(section, key, def ? "yes" : "no"));
}

void WriteYesNo(plat::IniFile& ini, std::string_view section, std::string_view key, bool flag) {
  ini.WriteString(section, key, flag ? "yes" : "no");
}

std::string FormatReal(float v) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 7);
  if (ec != std::errc()) return "0.0000000";
  return std::string(buf, p);
}

bool ParseReal(std::string_view text, float& out) {
  double v = 0;
  if (!plat::ParseDecimal(text, v) || !std::isfinite(static_cast<float>(v))) return false;
  out = static_cast<float>(v);
  return true;
}

bool ParseInteger(std::string_view text, int32_t& out) { return plat::ParseInteger(text, out); }

std::string AddCurrentDirToPath(std::string_view paths) {
  size_t start = 0;
  while (start <= paths.size()) {
    size_t end = paths.find(';', start);
    if (end == std::string_view::npos) end = paths.size();
    if (Trimmed(paths.substr(start, end - start)) == ".") return std::string(paths);
    start = end + 1;
  }
  return ".;" + std::string(paths);
}

void SetDefaults(MAMEDirectoryRecord& dirs, MAMEConfigFile& cfg) {
  for (const DirOption& d : kDirs) dirs.*d.field = d.def;
  for (const Option& o : kOptions) ApplyDefault(o, cfg);
  cfg.emulate_three = 0;
}

void ReadRecords(const plat::IniFile& ini, MAMEDirectoryRecord& dirs, MAMEConfigFile& cfg) {
  for (const DirOption& d : kDirs) dirs.*d.field = ini.ReadString(kDir, d.key, d.def);
  dirs.rompath = AddCurrentDirToPath(dirs.rompath);
  dirs.samplepath = AddCurrentDirToPath(dirs.samplepath);
  for (const Option& o : kOptions) {
    if (!ini.ValueExists(kCfg, o.key)) {
      ApplyDefault(o, cfg);
      continue;
    }
    std::string v = ini.ReadString(kCfg, o.key, o.def);
    switch (o.kind) {
      case Kind::Flag: cfg.*o.flag = IsYes(v) ? 1 : 0; break;
      case Kind::Int:
        if (!ParseInteger(v, cfg.*o.integer)) ApplyDefault(o, cfg);
        break;
      case Kind::Real:
        if (!ParseReal(v, cfg.*o.real)) ApplyDefault(o, cfg);
        break;
      case Kind::Text: cfg.*o.text = plat::UpperCase(v); break;
      case Kind::FileName: cfg.*o.text = v; break;
    }
  }
}

void WriteRecords(plat::IniFile& ini, const MAMEDirectoryRecord& dirs, const MAMEConfigFile& cfg) {
  for (const DirOption& d : kDirs) ini.WriteString(kDir, d.key, dirs.*d.field);
  for (const Option& o : kOptions) {
    switch (o.kind) {
      case Kind::Flag: WriteYesNo(ini, kCfg, o.key, cfg.*o.flag != 0); break;
      case Kind::Int: ini.WriteString(kCfg, o.key, std::to_string(cfg.*o.integer)); break;
      case Kind::Real: ini.WriteString(kCfg, o.key, FormatReal(cfg.*o.real)); break;
      case Kind::Text:
      case Kind::FileName: ini.WriteString(kCfg, o.key, cfg.*o.text); break;
    }
  }
}

std::string LineKey(std::string_view line) {
  size_t eq = line.find('=');
  return Trimmed(eq == std::string_view::npos ? line : line.substr(0, eq));
}

std::string ReadTopKey(std::string_view fileText, std::string_view key, std::string_view def) {
  TTextStream in;
  in.LineEnd = TTextStream::TOLERANT;
  in.LoadFromString(std::string(fileText));
  std::string line;
  while (!in.Eof()) {
    in.ReadLn(line);
    std::string t = Trimmed(line);
    if (!plat::SameText(LineKey(t), key)) continue;
    size_t eq = t.find('=');
    if (eq == std::string::npos) break;
    return plat::UpperCase(Trimmed(std::string_view(t).substr(eq + 1)));
  }
  return plat::UpperCase(def);
}

std::string WriteTopKey(std::string_view fileText, std::string_view key, std::string_view value) {
  TTextStream in;
  in.LineEnd = TTextStream::TOLERANT;
  in.LoadFromString(std::string(fileText));
  TTextStream out;
  out.LineEnd = TTextStream::CRLF;
  const std::string entry = std::string(key) + "=" + std::string(value);
  bool done = false;
  std::string line;
  while (!in.Eof()) {
    in.ReadLn(line);
    // Lines other than the key's keep their exact text.
    std::string t = Trimmed(line);
    if (!done) {
      if (t.size() > 1 && t.front() == '[' && t.back() == ']') {
        out.WriteLn(entry);
        done = true;
      } else if (plat::SameText(LineKey(t), key)) {
        line = entry;
        done = true;
      }
    }
    out.WriteLn(line);
  }
  if (!done) out.WriteLn(entry);
  return out.Data();
}

}  // namespace mamecfg
