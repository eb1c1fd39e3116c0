#include "frontend/PreferenceValues.h"

#include "platform/Files.h"

namespace prefs {

void AssignJoyButton(JoyButtons& buttons, int function, uint8_t button) {
  if (function < 0 || function >= static_cast<int>(buttons.size())) return;
  const uint8_t old = buttons[static_cast<size_t>(function)];
  for (uint8_t& b : buttons)
    if (b == button) b = old;
  buttons[static_cast<size_t>(function)] = button;
}

std::string JoyButtonCaption(int function, uint8_t button) {
  static const char* const kNames[6] = {"Play", "List top", "List bottom",
                                        "Page up", "Page down", "Random select"};
  if (function < 0 || function >= 6) return {};
  return std::string(kNames[function]) + ": B" + std::to_string(button);
}

int FontSizeItem(int32_t size) {
  for (size_t i = 0; i < kFontSizes.size(); ++i)
    if (kFontSizes[i] == size) return static_cast<int>(i);
  return 1;  // "10"
}

int TidyPictureRows(std::vector<PictureRow>& rows) {
  int missing = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    PictureRow& r = rows[i];
    r.name = plat::Trim(r.name);
    if (r.name.empty()) r.name = "Collection " + std::to_string(i + 1);
    r.folder = plat::WithSlash(plat::Trim(r.folder));
    if (r.folder.empty()) ++missing;
  }
  return missing;
}

std::string UnstorableTabName(const PictureRow& row) {
  const std::string& name = row.name;
  if (row.nameLost) return "characters the settings file cannot hold";
  if (name.find_first_of("\r\n") != std::string::npos) return "a line break";
  if (name.find('=') != std::string::npos) return "\"=\"";
  if (name.find(']') != std::string::npos) return "\"]\"";
  if (!name.empty() && (name[0] == '[' || name[0] == ';')) return "\"" + name.substr(0, 1) + "\" in front";
  return {};
}

int SameNameRow(const std::vector<PictureRow>& rows, size_t row) {
  for (size_t i = 0; i < row && row < rows.size(); ++i)
    if (plat::SameText(rows[i].name, rows[row].name)) return static_cast<int>(i) + 1;
  return 0;
}

std::vector<PictureRow> DefaultPictureRows(const std::string& emulatorDir,
                                           const std::string& snapDir) {
  std::vector<PictureRow> rows;
  for (const char* name :
       {"Title", "Ingame", "Flyer", "Marquee", "Cabinet", "Hardware", "Control panels"})
    rows.push_back({name, plat::WithSlash(emulatorDir) + "Images/" + name});
  rows.push_back({"Your photos", snapDir});
  return rows;
}

std::string MissingFoldersQuestion(int count) {
  const bool one = count == 1;
  return std::to_string(count) + " collection" + (one ? " does" : "s do") +
         " not have a corresponding image collection directory.\rDo you want to remove " +
         (one ? "it" : "them") + " from the list?";
}

std::string CreateFolderQuestion(const std::string& folder) {
  return "The directory " + folder + " does not exist.\rDo you want Velmora to create it?";
}

std::string FolderNotCreated(const std::string& folder) {
  return "The directory " + folder + " could not be created.";
}

std::string PictureLabel(int tabs) {
  return "Installed picture types (" + std::to_string(tabs) + " total):";
}

}  // namespace prefs
