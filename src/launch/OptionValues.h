// What the emulator option dialogs show and store, with no widget: the lists and their stored
// values, slider positions, label texts, enable rules and the preview geometry.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace options {

// A list control: the captions shown and the value stored for each.
struct ValueList {
  std::vector<std::string> captions;
  std::vector<std::string> values;
};

const ValueList& VesaModes();
const ValueList& Resolutions();  // "Automatic" = "AUTO", then the 24 sizes
const ValueList& ColorDepths();
const ValueList& FrameSkips();
const ValueList& Monitors();
const ValueList& ScanRates();    // index = vgafreq + 1
const ValueList& SoundCards();   // index = soundcard + 1
const ValueList& SampleRates();
const ValueList& Joysticks();
const ValueList& YesNoAuto();    // "Automatic", "Yes", "No"

// The item whose value equals the stored text, -1 when none does.
int IndexOfValue(const ValueList& list, const std::string& stored);
// The value stored for a selection: the previous value when nothing is selected.
std::string StoredValue(const ValueList& list, int index, const std::string& previous);

// Sliders hold a real value times `scale` (10 or 100), rounded to the nearest position and
// kept inside the slider's range.
int SliderPosition(float value, int scale, int minimum, int maximum);
// The label of a slider value: position / scale with two decimals ("1.00").
std::string SliderLabel(int position, int scale);
// The volume label: "00 dB", "-05 dB", "-32 dB".
std::string VolumeLabel(int position);

// The rotation demo's picture name for the rotation buttons.
std::string RotationPicture(bool norotate, bool rol, bool ror, bool flipx, bool flipy);

// Width and height of a resolution item (1..24); 0 x 0 for "Automatic" and out of range.
struct Size {
  int width = 0, height = 0;
};
Size ResolutionSize(int index);

// The viewable-area preview of a game screen larger than the resolution.
struct ViewableArea {
  bool active = false;              // false: no game, automatic, or the game fits
  bool xEnabled = false, yEnabled = false;
  int scale = 1;
  int frameWidth = 0, frameHeight = 0;     // the game screen, scaled
  int windowWidth = 0, windowHeight = 0;   // the visible window, scaled
  int windowCenterX = 51, windowCenterY = 36;
  int skipColumns = 0, skipLines = 0;      // limited
};
ViewableArea ComputeViewableArea(int gameWidth, int gameHeight, int resolutionIndex,
                                 int skipColumns, int skipLines);
// The centering values kept inside -8..8 and -16..16.
int ClampCenterX(int value);
int ClampCenterY(int value);

// The directories dialog.
struct DirectoryRow {
  const char* label;
  const char* defaultName;  // "" for the emulator folder itself
  bool mustExist;           // false for the path lists (roms, samples)
};
extern const DirectoryRow kDirectoryRows[11];
// The question asked when `blank` path cells are empty.
std::string BlankPathsQuestion(int blank);

}  // namespace options
