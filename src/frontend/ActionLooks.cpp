#include "frontend/ActionLooks.h"

#include <QAction>
#include <QActionGroup>

#include "database/Looks.h"
#include "frontend/main.h"

namespace looks {
namespace {

struct Look {
  QAction* TMainFRM::*member;
  const char* theme;  // the desktop theme's icon name
  const char* glyph;  // the drawn icon's text when the theme has none
  unsigned colour;    // the drawn icon's background
  const char* hint;
};

enum : unsigned {
  kFile = 0x3465a4, kFilter = 0x4e9a06, kPlay = 0xc4451c, kOption = 0x75507b,
  kFind = 0xc17d11, kSort = 0x5c6b7a, kPicture = 0x06989a, kHelp = 0x204a87, kDanger = 0xa40000
};

#define LOOK(n) &TMainFRM::n

const Look kLooks[] = {
    {LOOK(FileProfileNewACTN), "document-new", "+", kFile,
     "Create a new profile from an emulator's catalogue"},
    {LOOK(FileProfileOpenACTN), "document-open", "\u25B2", kFile, "Open a profile"},
    {LOOK(FileProfileInfoACTN), "document-properties", "i", kFile,
     "Show information about the profile in use"},
    {LOOK(FileQuitACTN), "application-exit", "\u00D7", kDanger, "Quit Velmora"},
    {LOOK(MamePlayACTN), "media-playback-start", "\u25B6", kPlay, "Play the selected game"},
    {LOOK(MameRomsetDetailACTN), "document-preview", "\u2261", kPlay,
     "Show the details of the selected game's rom set"},
    {LOOK(MameVideoACTN), "video-display", "V", kOption, "Change the emulator's video settings"},
    {LOOK(MameAudioACTN), "audio-card", "\u266A", kOption, "Change the emulator's audio settings"},
    {LOOK(MameMiscACTN), "preferences-other", "\u2026", kOption,
     "Change the emulator's miscellaneous settings"},
    {LOOK(MameDirectoriesACTN), "folder", "D", kOption,
     "Change the folders where the emulator looks for its files"},
    {LOOK(MameVerifyACTN), "tools-check-spelling", "\u2713", kPlay,
     "Verify the rom and sample sets of the collection"},
    {LOOK(DeleteConfigACTN), "edit-delete", "C", kDanger,
     "Delete the selected game's configuration file"},
    {LOOK(DeleteHiscoreACTN), "edit-delete", "H", kDanger,
     "Delete the selected game's high scores"},
    {LOOK(DeleteNVRamACTN), "edit-delete", "N", kDanger, "Delete the selected game's NV-RAM"},
    {LOOK(DeleteDefaultConfigACTN), "edit-delete", "D", kDanger,
     "Delete the emulator's default configuration file"},
    {LOOK(FindGameACTN), "edit-find", "G", kFind, "Find games by their description"},
    {LOOK(FindRomsetACTN), "edit-find", "R", kFind, "Find a game by its rom set name"},
    {LOOK(FindCloneACTN), "edit-find", "C", kFind, "Find the clones of a game"},
    {LOOK(FindManufacturerACTN), "edit-find", "M", kFind, "Find games by their manufacturer"},
    {LOOK(FindRandomACTN), "media-playlist-shuffle", "?", kFind, "Select a game at random"},
    {LOOK(FindNextMatchACTN), "go-next", "\u2192", kFind, "Select the next game found"},
    {LOOK(SortNoneACTN), "view-sort", "\u2012", kSort, "List the games unsorted"},
    {LOOK(SortDescriptionACTN), "view-sort", "De", kSort, "Sort the games by description"},
    {LOOK(SortManufacturerACTN), "view-sort", "Ma", kSort, "Sort the games by manufacturer"},
    {LOOK(SortYearACTN), "view-sort", "Yr", kSort, "Sort the games by year"},
    {LOOK(SortMostPlayedACTN), "view-sort", "Pl", kSort, "Sort the games by number of plays"},
    {LOOK(SortSetNameACTN), "view-sort", "Se", kSort, "Sort the games by set name"},
    {LOOK(SortAzACTN), "view-sort-ascending", "\u2193", kSort, "Sort in ascending order"},
    {LOOK(SortZaACTN), "view-sort-descending", "\u2191", kSort, "Sort in descending order"},
    {LOOK(OptionsPreferencesACTN), "preferences-system", "\u2699", kOption,
     "Change Velmora's preferences"},
    {LOOK(OptionsShowQuickInfoesACTN), "view-list-details", "Q", kOption,
     "Show or hide the quick information under the game list"},
    {LOOK(OptionsCommandLineACTN), "utilities-terminal", ">_", kOption,
     "View and edit the emulator's command line"},
    {LOOK(ScreenshotsOpenImageDirACTN), "folder-open", "\u25A1", kPicture,
     "Show the picture's folder in the file manager"},
    {LOOK(OptionsShowFaqACTN), "help-faq", "F", kHelp, "Show the selected game's FAQ file"},
    {LOOK(OptionsSysInfoACTN), "computer", "S", kHelp, "Show information about this computer"},
    {LOOK(OptionsCDInfoACTN), "media-optical", "\u25CE", kOption,
     "Show the information of the MAMECD disc in the drive"},
    {LOOK(OptionsCreateCdACTN), "media-optical", "\u25C9", kOption,
     "Write the collection as a set of MAMECD discs"},
    {LOOK(OptionsStatResetACTN), "edit-clear", "0", kDanger, "Forget every game's play statistics"},
    {LOOK(StatsNPlaysACTN), "x-office-spreadsheet", "#", kOption,
     "Show the games played most often"},
    {LOOK(StatsPlayingTimeACTN), "appointment-soon", "T", kOption,
     "Show the games played longest"},
    {LOOK(HelpMameSiteACTN), "web-browser", "W", kHelp, "Open the emulator's web site"},
    {LOOK(HelpWhatsNewACTN), "help-contents", "!", kHelp, "Read what is new in this version"},
    {LOOK(HelpVisitMyWebACTN), "web-browser", "W", kHelp, "Open Velmora's web site"},
    {LOOK(HelpEMailACTN), "mail-send", "@", kHelp, "Write to the author"},
    {LOOK(HelpAboutACTN), "help-about", "i", kHelp, "About Velmora"},
    {LOOK(ScreenshotsSlideShowACTN), "media-playlist-repeat", "\u21BB", kPicture,
     "Show the game's pictures one after the other"},
    {LOOK(ScreenshotsShowStretchACTN), "zoom-fit-best", "\u2194", kPicture,
     "Stretch the picture to the available area"},
    {LOOK(ScreenshotsLocateImageACTN), "find-location", "L", kPicture,
     "Show the picture file in the file manager"},
    {LOOK(ScreenshotsOpenImageInEditorACTN), "image-x-generic", "\u25A3", kPicture,
     "Open the picture in the desktop's picture viewer"},
    {LOOK(ScreenshotsBackACTN), "go-previous", "\u25C0", kPicture, "Show the previous picture"},
    {LOOK(ScreenshotsForwACTN), "go-next", "\u25B6", kPicture, "Show the next picture"},
    {LOOK(FileFilterNewACTN), "list-add", "+", kFilter, "Create a new filter"},
    {LOOK(FileFilterRenameACTN), "edit-rename", "\u270E", kFilter, "Rename the filter"},
    {LOOK(FileFilterOpenACTN), "document-open", "\u25B2", kFilter, "Open a filter file"},
    {LOOK(FileFilterSaveACTN), "document-save", "\u2193", kFilter, "Save the filter"},
    {LOOK(FileFilterSaveAsACTN), "document-save-as", "\u21D3", kFilter,
     "Save the filter under another name"},
    {LOOK(FileFilterCloseACTN), "window-close", "\u00D7", kFilter, "Close the filter"},
    {LOOK(FileFilterImportCatVerACTN), "document-import", "Ca", kFilter,
     "Make filters from category files"},
    {LOOK(FileFilterImportMacMameACTN), "document-import", "Gr", kFilter,
     "Make filters from grouping files"},
    {LOOK(HelpTipsACTN), "dialog-information", "\u2605", kHelp, "Show the tip of the day"},
    {LOOK(ListExpandACTN), "list-add", "\u229E", kSort, "Expand every folder of the list"},
    {LOOK(ListCollapseACTN), "list-remove", "\u229F", kSort, "Collapse every folder of the list"},
};

#undef LOOK

}  // namespace

void ApplyActionLooks(TMainFRM& w) {
  for (const Look& look : kLooks)
    if (QAction* a = w.*look.member) Dress(a, ThemedIcon(look.theme, look.glyph, look.colour), look.hint);
  // The sort order and the direction are each one choice of several.
  auto* order = new QActionGroup(&w);
  auto* direction = new QActionGroup(&w);
  const auto sorts = w.SortActions();
  for (size_t i = 0; i < sorts.size(); ++i) (i < 6 ? order : direction)->addAction(sorts[i]);
  // A held Enter or Ctrl+P starts one game.
  w.MamePlayACTN->setAutoRepeat(false);
}

}  // namespace looks
