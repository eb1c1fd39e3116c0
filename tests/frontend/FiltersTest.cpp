#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <filesystem>
#include <sys/stat.h>

#include "../../fuzz/FilterFuzzChecks.h"
#include "frontend/FilterFile.h"
#include "frontend/InputQuery.h"
#include "frontend/GameTreeModel.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/TreeLayout.h"
#include "platform/Files.h"
#include "support/CorpusCheck.h"

namespace {

const std::string kHeader = "Velmora filter file v1.0=";

FilterEntryDescriptor* AddEntry(FilterDescriptor& f, GameRecord* g, const std::string& folder) {
  auto e = types::NewFilterEntryDescriptor();
  e->Game = g;
  e->Folder = folder;
  FilterEntryDescriptor* raw = e.get();
  f.Entries->push_back(std::move(e));
  return raw;
}

struct FilterWindow : MainWindowHarness {
  FilterWindow() {
    Make();
    LoadGames({"ZYPHON", "MOONRUN", "PIXBLAST", "TANKWARZ"}, home.path());
  }
  TMainFRM& w() { return *window; }
  size_t FilterCount() { return window->Filters->size(); }
  FilterDescriptor* FilterAt(size_t i) { return (*window->Filters)[i].get(); }
};

}  // namespace

TEST(FilterFileFormat, WrittenByteForByte) {
  FilterWindow h;
  FilterDescriptor* f = h.AddFilter("My shooters", {}, 1, h.home.file("shooters.vrf"));
  AddEntry(*f, h.Game("ZYPHON"), "");
  AddEntry(*f, h.Game("MOONRUN"), "\\");
  AddEntry(*f, h.Game("PIXBLAST"), "\\Shooters\\Vertical\\");
  AddEntry(*f, nullptr, "\\Lost\\");  // no game: skipped
  AddEntry(*f, h.Game("TANKWARZ"), "Tanks");
  ASSERT_TRUE(h.w().SaveFilterFile(f));
  EXPECT_EQ(h.home.read("shooters.vrf"),
            kHeader + "My shooters\r\n"
                      "\r\n"
                      "\\ZYPHON\r\n"
                      "\\MOONRUN\r\n"
                      "\\Shooters\\Vertical\\PIXBLAST\r\n"
                      "\\Tanks\\TANKWARZ\r\n");
  EXPECT_EQ(f->Modified, 0);
  // Saving leaves the recent-filter list alone.
  EXPECT_EQ(h.w().RecentFilters[0], "");
}

TEST(FilterFileFormat, ReadBackGivesTheSameEntries) {
  FilterWindow h;
  std::string file = h.home.write("f.vrf", kHeader + "  Mixed  \n\n"
                                                     "\\zyphon\n"
                                                     "  \\Shooters\\Vertical\\PIXBLAST  \n"
                                                     "\n"
                                                     "\\Gone\\NOSUCH\n"
                                                     "Tanks\\TANKWARZ\r"
                                                     "MOONRUN");
  ASSERT_TRUE(h.w().LoadFilterFile(file)) << h.seam.AllMessages();
  EXPECT_TRUE(h.seam.messages.empty());
  ASSERT_EQ(h.FilterCount(), 2u);
  FilterDescriptor* f = h.FilterAt(1);
  EXPECT_EQ(f->Name, "Mixed");
  EXPECT_EQ(f->FileName, file);
  EXPECT_EQ(f->Modified, 0);
  ASSERT_EQ(f->Entries->size(), 4u);
  EXPECT_EQ((*f->Entries)[0]->Game, h.Game("ZYPHON"));
  EXPECT_EQ((*f->Entries)[0]->Folder, "\\");
  EXPECT_EQ((*f->Entries)[1]->Game, h.Game("PIXBLAST"));
  EXPECT_EQ((*f->Entries)[1]->Folder, "\\Shooters\\Vertical\\");
  EXPECT_EQ((*f->Entries)[2]->Folder, "\\Tanks\\");
  EXPECT_EQ((*f->Entries)[3]->Game, h.Game("MOONRUN"));
  EXPECT_EQ((*f->Entries)[3]->Folder, "\\");
  EXPECT_EQ(h.w().RecentFilters[0], file);

  // Written again, the file is the program's own form of the same filter.
  f->FileName = h.home.file("again.vrf");
  ASSERT_TRUE(h.w().SaveFilterFile(f));
  EXPECT_EQ(h.home.read("again.vrf"), kHeader + "Mixed\r\n\r\n\\ZYPHON\r\n"
                                                "\\Shooters\\Vertical\\PIXBLAST\r\n"
                                                "\\Tanks\\TANKWARZ\r\n\\MOONRUN\r\n");
}

TEST(FilterFileFormat, RefusedFiles) {
  FilterWindow h;
  std::string lower = h.home.write("lower.vrf", "velmora filter file v1.0=x\r\n\r\n\\ZYPHON\r\n");
  EXPECT_FALSE(h.w().LoadFilterFile(lower));
  std::string missing = h.home.file("missing.vrf");
  EXPECT_FALSE(h.w().LoadFilterFile(missing));
  // Larger than any filter: refused unread (the file takes no disk).
  std::string huge = h.home.write("huge.vrf", kHeader + "Huge\r\n\r\n");
  std::filesystem::resize_file(huge, filterfile::kMaxFileSize + 1);
  EXPECT_FALSE(h.w().LoadFilterFile(huge));
  // A pipe is there, not missing: never opened.
  std::string pipe = h.home.file("pipe.vrf");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(h.w().LoadFilterFile(pipe));
  ASSERT_EQ(h.seam.messages.size(), 4u);
  EXPECT_EQ(h.seam.messages[3].text, "Filter file " + pipe + " could not be read (Not a regular file)");
  EXPECT_EQ(h.seam.messages[0].text, "Filter file format unknown for file " + lower);
  EXPECT_EQ(h.seam.messages[0].flags, 16u);
  EXPECT_EQ(h.seam.messages[1].text, "Filter file " + missing + " not found");
  EXPECT_EQ(h.seam.messages[2].text,
            "Filter file " + huge + " could not be read (Larger than 8 MB)");
  EXPECT_EQ(h.FilterCount(), 1u);
  EXPECT_EQ(h.w().RecentFilters[0], "");
}

TEST(FilterFileFormat, FileNameIsFoundWithoutRegardToCase) {
  FilterWindow h;
  h.home.write("Shooters.VRF", kHeader + "S\r\n\r\n\\ZYPHON\r\n");
  ASSERT_TRUE(h.w().LoadFilterFile(h.home.file("shooters.vrf"))) << h.seam.AllMessages();
  EXPECT_EQ(h.FilterAt(1)->FileName, h.home.file("shooters.vrf"));
}

TEST(FilterFileFormat, UnwritableFileKeepsTheFilterUnsaved) {
  FilterWindow h;
  ASSERT_TRUE(plat::MakeDirs(h.home.file("taken.vrf")));
  FilterDescriptor* f = h.AddFilter("Taken", {"ZYPHON"}, 1, h.home.file("taken.vrf"));
  EXPECT_FALSE(h.w().SaveFilterFile(f));
  EXPECT_EQ(f->Modified, 1);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text.rfind("The \"Taken\" filter could not be saved to " +
                                              h.home.file("taken.vrf") + ":\r",
                                          0),
            0u)
      << h.seam.messages[0].text;
  EXPECT_GT(h.seam.messages[0].text.size(), 60u);  // the reason follows
  EXPECT_FALSE(h.working->isVisible());
}

TEST(FilterActions, TabZeroRefusesRenameSaveAndClose) {
  FilterWindow h;
  h.w().ListTabs->setCurrentIndex(0);
  // The list disables these actions on tab 0; their handlers refuse it all the same.
  EXPECT_FALSE(h.w().FileFilterRenameACTN->isEnabled());
  h.w().FileFilterRenameACTNExecute();
  h.w().FileFilterSaveACTNExecute();
  h.w().FileFilterSaveAsACTNExecute();
  h.w().FileFilterCloseACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 4u);
  EXPECT_EQ(h.seam.messages[0].text, "This filter cannot be renamed");
  EXPECT_EQ(h.seam.messages[0].flags, 64u);
  EXPECT_EQ(h.seam.messages[1].text, "This filter cannot be saved");
  EXPECT_EQ(h.seam.messages[2].text, "This filter cannot be saved");
  EXPECT_EQ(h.seam.messages[3].text, "This filter cannot be closed");
  EXPECT_EQ(h.seam.messages[3].flags, 16u);
  EXPECT_TRUE(h.seam.fileRequests.empty());
}

TEST(FilterActions, RenameThroughTheInputBox) {
  FilterWindow h;
  h.AddFilter("Old", {"ZYPHON"}, 0);
  h.w().ListTabs->setCurrentIndex(1);
  std::string prompt;
  QPoint offCentre(-1, -1);
  h.seam.modalHandlers.push_back([&prompt, &offCentre](QWidget* win) {
    auto* box = qobject_cast<TInputQueryFRM*>(win);
    if (!box) return 0;
    prompt = box->Prompt->text().toStdString();
    box->show();  // centred as every other dialog
    offCentre = box->geometry().center() - box->screen()->availableGeometry().center();
    box->hide();
    box->Edit->setText("");
    return static_cast<int>(mrOk);
  });
  h.w().FileFilterRenameACTN->trigger();
  EXPECT_EQ(prompt, "Rename Old filter:");
  EXPECT_LE(offCentre.manhattanLength(), 8);
  EXPECT_EQ(h.FilterAt(1)->Name, "");  // an empty name is taken as typed
  EXPECT_EQ(h.FilterAt(1)->Modified, 1);
  EXPECT_EQ(h.w().ListTabs->tabText(1), "");
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 1);
  // Cancel changes nothing.
  h.FilterAt(1)->Modified = 0;
  h.w().FileFilterRenameACTN->trigger();
  EXPECT_EQ(h.FilterAt(1)->Modified, 0);
  // A name the filter file cannot hold is refused over the box, which stays shown where it was
  // with the name in it.
  QWidget* box = nullptr;
  QRect before, after;
  QString again;
  h.seam.modalHandlers = {[&](QWidget* win) {
    auto* query = static_cast<TInputQueryFRM*>(win);
    box = query;
    query->show();
    QCoreApplication::processEvents();
    before = query->frameGeometry();
    query->Edit->setText(QString::fromUtf8("\u65E5\u672C"));
    query->OkBTN->click();
    after = query->isVisible() ? query->frameGeometry() : QRect();
    again = query->Edit->text();
    query->CancelBTN->click();
    return 0;
  }};
  h.w().FileFilterRenameACTN->trigger();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].shown,
            "The name \"\u65E5\u672C\" cannot be stored: it has characters that Velmora's files "
            "cannot hold.");
  EXPECT_EQ(h.seam.messages[0].owner, box);
  EXPECT_EQ(after, before);
  EXPECT_EQ(again, QString::fromUtf8("\u65E5\u672C"));
  EXPECT_EQ(h.FilterAt(1)->Name, "");
  EXPECT_EQ(h.FilterAt(1)->Modified, 0);
}

TEST(FilterActions, SaveAsAsksForTheNameAndSaveUsesIt) {
  FilterWindow h;
  plat::MakeDirs(h.home.file("Filters"));
  h.AddFilter("New one", {"MOONRUN"}, 1);
  h.w().ListTabs->setCurrentIndex(1);
  h.seam.fileAnswers.push_back(h.home.file("Filters/new.vrf"));
  h.w().FileFilterSaveACTN->trigger();  // no file yet: save as
  ASSERT_EQ(h.seam.fileRequests.size(), 1u);
  const plat::FileDialogRequest& r = h.seam.fileRequests[0];
  EXPECT_TRUE(r.save);
  EXPECT_EQ(r.title, "Save filter");
  EXPECT_EQ(r.defaultExt, "VRF");
  EXPECT_EQ(r.filter, "Velmora filters (*.VRF)|*.VRF");
  EXPECT_EQ(r.initialDir, h.home.file("Filters/"));
  EXPECT_EQ(r.fileName, "New one.VRF");  // the filter's name is proposed
  EXPECT_TRUE(r.overwritePrompt);
  EXPECT_EQ(h.FilterAt(1)->FileName, h.home.file("Filters/new.vrf"));
  EXPECT_EQ(h.FilterAt(1)->Modified, 0);
  EXPECT_EQ(h.home.read("Filters/new.vrf"), kHeader + "New one\r\n\r\n\\MOONRUN\r\n");
  // Now it has a file: saving asks nothing.
  h.FilterAt(1)->Modified = 1;
  h.w().FileFilterSaveACTN->trigger();
  EXPECT_EQ(h.seam.fileRequests.size(), 1u);
  EXPECT_EQ(h.FilterAt(1)->Modified, 0);
}

TEST(FilterActions, OpenLoadsTheChosenFileAndSelectsItsTab) {
  FilterWindow h;
  std::string file = h.home.write("Filters/puzzle.vrf", kHeader + "Puzzle\r\n\r\n\\MOONRUN\r\n");
  h.seam.fileAnswers.push_back(file);
  h.w().FileFilterOpenACTN->trigger();
  ASSERT_EQ(h.seam.fileRequests.size(), 1u);
  const plat::FileDialogRequest& r = h.seam.fileRequests[0];
  EXPECT_FALSE(r.save);
  EXPECT_EQ(r.title, "Load filter");
  EXPECT_EQ(r.filter, "Velmora filters (*.VRF)|*.VRF|All files (*.*)|*.*");
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_TRUE(r.mustExist);
  EXPECT_EQ(r.initialDir, h.home.file("Filters/"));
  ASSERT_EQ(h.FilterCount(), 2u);
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 1);
  EXPECT_EQ(h.w().ListTabs->tabText(1), "Puzzle");
  // The reopen menu now offers it.
  QList<QAction*> items = h.w().ReopenFilterSUB->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0]->objectName(), "ReopenFilter1OPT");
  items[0]->trigger();
  EXPECT_EQ(h.FilterCount(), 3u);
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 2);
  // Many tabs in a narrow row keep their captions whole: the row scrolls.
  for (const char* name : {"Adventure games", "Lightgun shooters", "Racing and driving"})
    h.AddFilter(name, {"ZYPHON"}, 0);
  QTabBar* tabs = h.w().ListTabs;
  tabs->resize(300, tabs->sizeHint().height());
  for (int i = 0; i < tabs->count(); ++i)
    EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)))
        << tabs->tabText(i).toStdString();
}

TEST(FilterActions, CloseAsksOnlyForUnsavedFilters) {
  FilterWindow h;
  h.AddFilter("A", {"ZYPHON"}, 0);
  h.AddFilter("B", {"ZYPHON"}, 1);
  h.AddFilter("C", {"ZYPHON"}, 0);
  h.w().ListTabs->setCurrentIndex(2);
  h.seam.messageAnswers = {plat::IDCANCEL};
  h.w().FileFilterCloseACTN->trigger();
  EXPECT_EQ(h.FilterCount(), 4u);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, "The \"B\" filter is not saved yet.\rSave it first?");
  EXPECT_EQ(h.seam.messages[0].flags,
            plat::MB_ICONWARNING | plat::MB_YESNOCANCEL | plat::MB_SAVEDONTSAVE);
  h.seam.messageAnswers = {plat::IDNO};
  h.w().FileFilterCloseACTN->trigger();
  ASSERT_EQ(h.FilterCount(), 3u);
  EXPECT_EQ(h.FilterAt(2)->Name, "C");
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 2);  // the next filter takes the place
  h.w().FileFilterCloseACTN->trigger();          // saved: no question
  EXPECT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.FilterCount(), 2u);
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 1);  // past the end: the last tab
  EXPECT_TRUE(h.w().CloseFilter(7));             // no such filter
}

TEST(FilterChange, RememberedFilesFollowTheOpenFilters) {
  FilterWindow h;
  h.AddFilter("A", {"ZYPHON"}, 0, "/f/a.vrf");
  h.AddFilter("NoFile", {"ZYPHON"}, 1);
  h.AddFilter("B", {"ZYPHON"}, 1, "/f/b.vrf");
  h.AddFilter("C", {"ZYPHON"}, 0, "/f/c.vrf");
  h.w().FiltersToOpen = {"/f/old.vrf"};
  h.seam.messageAnswers = {plat::IDYES, plat::IDNO};
  EXPECT_FALSE(h.w().ConfirmUnsavedFilters());
  ASSERT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.seam.messages[0].text,
            "The \"NoFile\" filter is not saved yet.\rContinue with the operation?");
  EXPECT_EQ(h.seam.messages[1].flags, 52u);
  EXPECT_EQ(h.w().FiltersToOpen, (StringList{"/f/a.vrf", "/f/b.vrf", "/f/c.vrf"}));
  EXPECT_EQ(h.FilterAt(3)->Modified, 1);
}

TEST(FilterChange, ClosedFiltersDoNotComeBack) {
  FilterWindow h;
  h.w().FiltersToOpen = {"/f/from-start.vrf"};
  h.AddFilter("A", {"ZYPHON"}, 0, "/f/a.vrf");
  h.w().ListTabs->setCurrentIndex(1);
  h.w().FileFilterCloseACTN->trigger();
  ASSERT_EQ(h.FilterCount(), 1u);
  EXPECT_TRUE(h.w().ConfirmUnsavedFilters());
  EXPECT_TRUE(h.w().FiltersToOpen.empty());
}

TEST(FilterChange, BeforeTheFirstProfileTheListStands) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.FiltersToOpen = {"/f/boot.vrf", "/f/arg.vrf"};
  EXPECT_TRUE(w.ConfirmUnsavedFilters());
  EXPECT_EQ(w.FiltersToOpen, (StringList{"/f/boot.vrf", "/f/arg.vrf"}));
  EXPECT_TRUE(h.seam.messages.empty());
}

TEST(FilterChange, RememberedFilesAreLoadedAgainInOrder) {
  FilterWindow h;
  std::string a = h.home.write("a.vrf", kHeader + "A\r\n\r\n\\ZYPHON\r\n");
  std::string b = h.home.write("b.vrf", kHeader + "B\r\n\r\n\\MOONRUN\r\n");
  h.w().FiltersToOpen = {b, h.home.file("gone.vrf"), a};
  h.w().LastSelectedFilter = 3;  // A, the third file
  h.w().ReloadRememberedFilters();
  ASSERT_EQ(h.FilterCount(), 3u);
  EXPECT_EQ(h.FilterAt(1)->Name, "B");
  EXPECT_EQ(h.FilterAt(2)->Name, "A");
  EXPECT_EQ(h.w().LastSelectedFilter, 2);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, "Filter file " + h.home.file("gone.vrf") + " not found");
  EXPECT_EQ(h.w().FiltersToOpen.size(), 3u);  // not cleared
  // Many failures make one message that names the first ten.
  h.seam.messages.clear();
  h.w().FiltersToOpen.assign(12, h.home.file("gone.vrf"));
  h.w().ReloadRememberedFilters();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += "Filter file " + h.home.file("gone.vrf") + " not found\r";
  EXPECT_EQ(h.seam.messages[0].text, ten + "(and 2 more filter files)");
}

// Folders nested deeper than any filter needs, or more games or folders than the tree counts,
// refuse the file, however many (no recursion on the depth anywhere); the other filters stay.
TEST(FilterFileFormat, FiltersPastTheTreesLimitsAreRefused) {
  FilterWindow h;
  h.w().ListingFlags[gametree::FilterOwnFolders] = 1;
  auto nested = [](size_t depth) {
    std::string path;
    for (size_t i = 0; i < depth; ++i) path += "\\a";
    return path + "\\ZYPHON\r\n";
  };
  // n entries; `folders` of them in a folder of their own (two levels, case aside), the rest
  // in one folder met in every case.
  auto many = [](size_t n, size_t folders) {
    std::string text;
    for (size_t i = 0; i < n; ++i)
      text += i < folders ? "\\x\\" + std::to_string(i) + "\\ZYPHON\r\n"
                          : (i % 2 ? "\\Same\\ZYPHON\r\n" : "\\sAME\\zyphon\r\n");
    return text;
  };
  const std::string deep = " nests its folders deeper than 256 levels";
  const std::string games = " holds more than 65535 games", folders = " has more than 65535 folders";
  const struct {
    std::string entries;
    size_t count;  // games shown, or 0 when refused
    std::string refusal;
  } rows[] = {{nested(256), 1, ""},
              {nested(257), 0, deep},
              {nested(200000), 0, deep},
              {many(65535, 65533), 65535, ""},  // "x", 65533 below it and "Same"
              {many(65535, 65534), 0, folders},
              {many(65536, 0), 0, games},
              {many(65535, 0) + "\\Unknown\\NOSUCHSET\r\n", 65535, ""}};
  for (const auto& r : rows) {
    h.seam.messages.clear();
    std::string file = h.home.write("big.vrf", kHeader + "Big\r\n\r\n" + r.entries);
    EXPECT_EQ(h.w().LoadFilterFile(file), r.count > 0) << r.refusal;
    if (r.count > 0) {
      h.w().RebuildFilterTabs(static_cast<int32_t>(h.FilterCount()) - 1);
      EXPECT_EQ(h.w().GameTree()->GameCount(), r.count);
      continue;
    }
    ASSERT_EQ(h.seam.messages.size(), 1u) << r.refusal;
    EXPECT_EQ(h.seam.messages[0].text, "Filter file " + file + r.refusal);
  }
  EXPECT_EQ(h.FilterCount(), 4u);  // "All games" and the three that fit
}

TEST(FilterFileFormat, PureParserTakesALookup) {
  GameRecord g;
  g.Name = "ABC";
  FilterDescriptor f;
  auto lookup = [&g](const std::string& n) { return n == "ABC" ? &g : nullptr; };
  EXPECT_EQ(filterfile::Parse("Velmora filter file v1.0\r\n", lookup, f),
            filterfile::ParseResult::UnknownFormat);
  EXPECT_EQ(filterfile::Parse(kHeader + "N\r\n\r\nX:abc\r\n\\A\\B:abc\r\n", lookup, f),
            filterfile::ParseResult::Ok);
  ASSERT_EQ(f.Entries->size(), 2u);
  EXPECT_EQ((*f.Entries)[0]->Folder, "\\");
  EXPECT_EQ((*f.Entries)[1]->Folder, "\\A\\");
  EXPECT_EQ(filterfile::NormalizeFolder(""), "\\");
  EXPECT_EQ(filterfile::NormalizeFolder("A\\B"), "\\A\\B\\");
}

TEST(FilterFileFormat, FuzzSeedsAndRegressions) {
  CheckSeedsAndRegressions("filters", "frontend", fuzzchecks::CheckFilterFile);
}
