#include "launch/OptionValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace options {

namespace {

ValueList Same(std::vector<std::string> captions, std::vector<std::string> values) {
  return {std::move(captions), std::move(values)};
}

const int kSizes[24][2] = {{224, 288}, {240, 256}, {240, 320}, {256, 240}, {256, 256},
                           {288, 224}, {320, 240}, {320, 256}, {336, 240}, {352, 240},
                           {352, 256}, {368, 224}, {368, 240}, {368, 256}, {384, 224},
                           {384, 240}, {384, 256}, {512, 224}, {512, 256}, {512, 448},
                           {512, 512}, {640, 480}, {800, 600}, {1024, 768}};

}  // namespace

const ValueList& VesaModes() {
  static const ValueList l = Same({"VESA 1.0", "VESA 2.0 (banked)", "VESA 2.0 (linear)", "VESA 3.0"},
                                  {"VESA1", "VESA2B", "VESA2L", "VESA3"});
  return l;
}

const ValueList& Resolutions() {
  static const ValueList l = [] {
    ValueList r{{"Automatic"}, {"AUTO"}};
    for (const auto& s : kSizes) {
      r.captions.push_back(std::to_string(s[0]) + " x " + std::to_string(s[1]));
      r.values.push_back(std::to_string(s[0]) + "X" + std::to_string(s[1]));
    }
    return r;
  }();
  return l;
}

const ValueList& ColorDepths() {
  static const ValueList l = Same({"Automatic", "8 bits", "16 bits"}, {"AUTO", "8", "16"});
  return l;
}

const ValueList& FrameSkips() {
  static const ValueList l = [] {
    ValueList r{{"Automatic", "None"}, {"AUTO", "0"}};
    for (int i = 1; i <= 11; ++i) {
      r.captions.push_back(std::to_string(i) + " every 12");
      r.values.push_back(std::to_string(i));
    }
    return r;
  }();
  return l;
}

const ValueList& Monitors() {
  static const ValueList l =
      Same({"Standard", "NTSC", "PAL", "Arcade"}, {"STANDARD", "NTSC", "PAL", "ARCADE"});
  return l;
}

const ValueList& ScanRates() {
  static const ValueList l =
      Same({"Automatic", "60 Hz", "70 Hz", "75 Hz", "85 Hz"}, {"-1", "0", "1", "2", "3"});
  return l;
}

const ValueList& SoundCards() {
  static const ValueList l = Same(
      {"Ask interactively", "None (silence)", "Sound Blaster", "Sound Blaster AWE32/64",
       "Pro Audio Spectrum (PAS16)", "Gravis Ultrasound MAX (GUS MAX)", "Gravis Ultrasound (GUS)",
       "Windows Sound System (WSS)", "Ensoniq SoundScape (ESS)"},
      {"-1", "0", "1", "2", "3", "4", "5", "6", "7"});
  return l;
}

const ValueList& SampleRates() {
  static const ValueList l =
      Same({"11025 Hz", "22050 Hz", "44100 Hz"}, {"11025", "22050", "44100"});
  return l;
}

const ValueList& Joysticks() {
  static const ValueList l = [] {
    ValueList r = Same(
        {"None", "Autodetect", "Normal 2 button joystick", "Two joysticks",
         "Stick/Pad with 4 buttons", "Stick/Pad with 6 buttons", "Stick/Pad with 8 buttons",
         "CH Flightstick Pro", "Logitech Wingman Extreme", "Logitech Wingman Warrior",
         "Microsoft Sidewinder (up to 4)", "Gravis GamePad Pro", "Gravis GrIP",
         "Gravis GrIP constrained to 4 directions only"},
        {"NONE", "AUTO", "STANDARD", "DUAL", "4BUTTON", "6BUTTON", "8BUTTON", "FSPRO", "WINGEX",
         "WINGWARRIOR", "SIDEWINDER", "GAMEPADPRO", "GRIP", "GRIP4"});
    for (const char* pad : {"SNES", "PSX", "N64"})
      for (int port = 1; port <= 3; ++port) {
        r.captions.push_back(std::string(pad) + " pad on LPT" + std::to_string(port) +
                             " (needs special hardware)");
        r.values.push_back(std::string(pad) + "LPT" + std::to_string(port));
      }
    r.captions.push_back("Sega Saturn (special hardware on ISA slot)");
    r.values.push_back("SEGAISA");
    r.captions.push_back("Sega Saturn (special hardware on PCI slot)");
    r.values.push_back("SEGAPCI");
    return r;
  }();
  return l;
}

const ValueList& YesNoAuto() {
  static const ValueList l = Same({"Automatic", "Yes", "No"}, {"AUTO", "YES", "NO"});
  return l;
}

int IndexOfValue(const ValueList& list, const std::string& stored) {
  auto it = std::find(list.values.begin(), list.values.end(), stored);
  return it == list.values.end() ? -1 : static_cast<int>(it - list.values.begin());
}

std::string StoredValue(const ValueList& list, int index, const std::string& previous) {
  if (index < 0 || static_cast<size_t>(index) >= list.values.size()) return previous;
  return list.values[static_cast<size_t>(index)];
}

int SliderPosition(float value, int scale, int minimum, int maximum) {
  if (!std::isfinite(value)) return minimum;
  const double p = std::round(static_cast<double>(value) * scale);
  return static_cast<int>(std::clamp(p, static_cast<double>(minimum), static_cast<double>(maximum)));
}

std::string SliderLabel(int position, int scale) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(position) / scale);
  return buf;
}

std::string VolumeLabel(int position) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s%02d dB", position != 0 ? "-" : "", std::abs(position));
  return buf;
}

std::string RotationPicture(bool norotate, bool rol, bool ror, bool flipx, bool flipy) {
  if (!norotate) return "MAME0";
  const int code = (rol ? 1 : 0) + (ror ? 2 : 0) + (flipy ? 4 : 0) + (flipx ? 8 : 0);
  switch (code) {
    case 1: case 14: return "MAME270";
    case 2: case 13: return "MAME90";
    case 4: return "3MAM180";
    case 5: case 10: return "3MAM90";
    case 6: case 9: return "3MAM270";
    case 8: return "3MAM0";
    case 12: return "MAME180";
    default: return "MAME0";
  }
}

Size ResolutionSize(int index) {
  if (index < 1 || index > 24) return {};
  return {kSizes[index - 1][0], kSizes[index - 1][1]};
}

ViewableArea ComputeViewableArea(int gameWidth, int gameHeight, int resolutionIndex,
                                 int skipColumns, int skipLines) {
  ViewableArea a;
  const Size res = ResolutionSize(resolutionIndex);
  if (gameWidth <= 0 || gameHeight <= 0 || res.width == 0 ||
      (gameWidth <= res.width && gameHeight <= res.height))
    return a;
  a.active = true;
  a.xEnabled = gameWidth > res.width;
  a.yEnabled = gameHeight > res.height;
  const int s = gameWidth / 84 + 1, t = gameHeight / 54 + 1;
  a.scale = gameWidth / t > 84 ? s : t;
  a.frameWidth = gameWidth / a.scale;
  a.frameHeight = gameHeight / a.scale;
  const int maxX = std::abs((gameWidth - res.width) / 2);
  const int maxY = std::abs((gameHeight - res.height) / 2);
  auto limit = [](int v, int m) { return v < -m || v > m ? (v < 1 ? -m : m) : v; };
  a.skipColumns = a.xEnabled ? limit(skipColumns, maxX) : 0;
  a.skipLines = a.yEnabled ? limit(skipLines, maxY) : 0;
  a.windowWidth = std::min(gameWidth, res.width) / a.scale;
  a.windowHeight = std::min(gameHeight, res.height) / a.scale;
  a.windowCenterX = 51 + a.skipColumns / a.scale;
  a.windowCenterY = 36 + a.skipLines / a.scale;
  return a;
}

int ClampCenterX(int value) { return std::clamp(value, -8, 8); }
int ClampCenterY(int value) { return std::clamp(value, -16, 16); }

const DirectoryRow kDirectoryRows[11] = {
    {"Game recordings", "INP", true},     {"High scores", "HI", true},
    {"Game configurations", "CFG", true}, {"Snapshot save", "SNAP", true},
    {"Memory cards", "MEMCARD", true},    {"Artworks", "ARTWORK", true},
    {"Roms", "ROMS", false},              {"Samples", "SAMPLES", false},
    {"Non Volatile RAMs", "NVRAM", true}, {"Cheats", "", true},
    {"Saved games", "STA", true},
};

std::string BlankPathsQuestion(int blank) {
  return std::to_string(blank) + " path" + (blank > 1 ? "s" : "") +
         " has been left blank.\rUse default paths for " +
         (blank > 1 ? "all blank fields?" : "the blank field?");
}

}  // namespace options
