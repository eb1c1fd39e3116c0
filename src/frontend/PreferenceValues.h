// What the preferences window decides without widgets: joystick button assignment, font
// size items, the picture rows and the texts of its questions.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace prefs {

constexpr int kMaxPictureTabs = 20;

// The six joystick functions, in the order of their button fields.
enum JoyFunction : int { JoyPlay = 0, JoyTop, JoyBottom, JoyPageUp, JoyPageDown, JoyRandom };
using JoyButtons = std::array<uint8_t, 6>;

// Gives `function` the button; a function that already had it takes the function's old
// button, so no two functions share one.
void AssignJoyButton(JoyButtons& buttons, int function, uint8_t button);
// "List top: B6" and the like.
std::string JoyButtonCaption(int function, uint8_t button);

// The report font sizes offered, and the item of a size (a size not offered gives "10").
inline constexpr std::array<int32_t, 6> kFontSizes = {8, 10, 12, 14, 16, 18};
int FontSizeItem(int32_t size);

struct PictureRow {
  std::string name;
  std::string folder;
  bool nameLost = false;  // the name as typed had characters Windows-1252 has not ("?" here)
};

// Trims each row; an empty name becomes "Collection " + row number, a folder gets its
// trailing "/". Gives the number of rows without a folder.
int TidyPictureRows(std::vector<PictureRow>& rows);
// A tab name the settings file cannot keep ("=", "]" or a line break in it, "[" or ";" in
// front, or characters it cannot hold) gives the reason; "" when it can be kept.
std::string UnstorableTabName(const PictureRow& row);
// The number (from 1) of an earlier row with the same name regardless of case, which the
// settings file would merge with this one; 0 when there is none.
int SameNameRow(const std::vector<PictureRow>& rows, size_t row);
// The eight default tabs: seven picture folders under the emulator's "Images" and the
// emulator's snapshot folder.
std::vector<PictureRow> DefaultPictureRows(const std::string& emulatorDir, const std::string& snapDir);

std::string MissingFoldersQuestion(int count);
std::string CreateFolderQuestion(const std::string& folder);
std::string FolderNotCreated(const std::string& folder);
std::string PictureLabel(int tabs);  // "Installed picture types (N total):"

}  // namespace prefs
