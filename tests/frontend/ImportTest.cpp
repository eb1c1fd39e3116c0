#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <fstream>
#include <unistd.h>

#include "frontend/CategoryFile.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/import.h"

namespace {

// LF line ends, lower-case keys, a section whose name holds a blank.
const char* const kCatList =
    ";; Catver.ini 0.61 ;;\n"
    "[fileinfo]\n"
    "filtername=My categories\n"
    "release=2001-01-10\n"
    "info_Main Category=Main categories\n"
    "\n"
    "[Main Category]\n"
    "pacman=Maze\n"
    "galaxian=Shooter / Flying\\\\Vertical\n"
    "; a comment\n"
    "[VerAdded]\n"
    "pacman=.37b5\n"
    "mspacman=.36\n";

// The entries as the tab shows them (sorted by description).
std::string Entries(const FilterDescriptor& f) {
  std::string r;
  for (const auto& e : *f.Entries) r += e->Folder + e->Game->Name.str() + ";";
  return r;
}

// Bytes this process has read through system calls so far.
uint64_t BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

}  // namespace

TEST(CategoryFiles, CatListAndMacMameReading) {
  auto list = categoryfile::ParseCatList(kCatList);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->Title, "Catver.ini 0.61");
  EXPECT_EQ(list->FilterName, "My categories");
  EXPECT_EQ(list->Release, "2001-01-10");
  ASSERT_EQ(list->Sections.size(), 2u);
  EXPECT_EQ(list->Sections[0].Name, "Main Category");
  EXPECT_EQ(list->Sections[0].Info, "Main categories");
  std::vector<const categoryfile::CatList::Section*> both{&list->Sections[0], &list->Sections[1]};
  const auto folders = categoryfile::CatListFolders(both);
  EXPECT_EQ(folders.at("PACMAN"), "\\Maze\\.37b5\\");
  EXPECT_EQ(folders.at("GALAXIAN"), "\\Shooter / Flying\\Vertical\\");  // the empty part is dropped
  EXPECT_EQ(folders.at("MSPACMAN"), "\\.36\\");
  EXPECT_EQ(folders.count("NOSUCH"), 0u);
  EXPECT_EQ(list->Find("verADDED"), &list->Sections[1]);
  EXPECT_EQ(list->Find("FileInfo"), nullptr);
  EXPECT_EQ(categoryfile::ParseCatList(";;\r\n")->Title, "");
  EXPECT_FALSE(categoryfile::ParseCatList("; Catver ;;\n[A]\nx=y\n"));

  std::string mac = std::string(categoryfile::kMacMameHeader) +
                    "\r\n// comment\r\npacman    Maze\r\nmspacman\r\n\r\n"
                    "longername10 Cat\r\ndkong\tPlatform\\\\Apes\r\n";
  std::string got;
  ASSERT_TRUE(categoryfile::ParseMacMame(
      mac, [&](const std::string& s, const std::string& f) { got += f + s + ";"; }));
  EXPECT_EQ(got, "\\Maze\\PACMAN;\\Maze\\MSPACMAN;\\me10 Cat\\LONGERNA;\\Platform\\Apes\\DKONG;");
  EXPECT_FALSE(categoryfile::ParseMacMame("// MacMAME\r\npacman Maze", {}));
  // A UTF-8 byte-order mark before the first line is skipped.
  EXPECT_EQ(categoryfile::ParseCatList("\xEF\xBB\xBF" + std::string(kCatList))->Title,
            "Catver.ini 0.61");
  got.clear();
  ASSERT_TRUE(categoryfile::ParseMacMame(
      "\xEF\xBB\xBF" + mac, [&](const std::string& s, const std::string& f) { got += f + s + ";"; }));
  EXPECT_EQ(got.substr(0, 13), "\\Maze\\PACMAN;");
}

TEST(CategoryFiles, ImportsMakeUnsavedFilters) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"PACMAN", "MSPACMAN", "GALAXIAN", "DKONG"}, h.home.path());
  std::string cat = h.home.write("catver.ini", kCatList);

  // The options window: VerAdded moved above Main Category, the name edited; a name the
  // filter file cannot hold is refused first, over the window, which stays shown.
  h.seam.fileAnswers = {cat};
  h.seam.modalHandlers.push_back([&h](QWidget* win) {
    auto* d = static_cast<TFilterImportFRM*>(win);
    d->show();
    QCoreApplication::processEvents();
    d->FilterTitle->setText(QString::fromUtf8("\u65E5\u672C"));
    d->OkBTN->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(h.seam.messages.size() == 1 ? h.seam.messages[0].owner : nullptr, d);
    EXPECT_EQ(d->FolderSelector->item(0)->text(), "Main Category (Main categories)");
    d->FolderSelector->setCurrentRow(1);
    d->MoveUpBTN->click();
    d->FilterTitle->setText("Versions");
    d->OkBTN->click();
    return int(mrOk);
  });
  w.FileFilterImportCatVerACTNExecute();
  ASSERT_EQ(w.Filters->size(), 2u) << h.seam.AllMessages();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].flags, unsigned(plat::MB_ICONERROR));
  h.seam.messages.clear();
  FilterDescriptor* f = (*w.Filters)[1].get();
  EXPECT_EQ(f->Name, "Versions");
  EXPECT_EQ(f->Modified, 1);
  EXPECT_EQ(f->FileName, "");
  EXPECT_EQ(Entries(*f),
            "\\Shooter / Flying\\Vertical\\GALAXIAN;\\.36\\MSPACMAN;\\.37b5\\Maze\\PACMAN;");

  // Cancelling the options makes no filter; a wrong format is told.
  h.seam.fileAnswers = {cat, h.home.write("bad.ini", "[A]\n")};
  w.FileFilterImportCatVerACTNExecute();
  w.FileFilterImportCatVerACTNExecute();
  EXPECT_EQ(w.Filters->size(), 2u);
  EXPECT_EQ(h.seam.AllMessages(), "Cannot import " + h.home.file("bad.ini") + ": unknown format");

  // A huge file of another kind is refused by its first line, without being read whole.
  h.seam.messages.clear();
  const std::string huge = h.home.write("huge.ini", "not a list\n");
  ASSERT_EQ(truncate(huge.c_str(), off_t(8) << 30), 0);
  h.seam.fileAnswers = {huge};
  const uint64_t before = BytesRead();
  w.FileFilterImportCatVerACTNExecute();
  EXPECT_LT(BytesRead() - before, uint64_t(1) << 20);
  EXPECT_EQ(h.seam.AllMessages(), "Cannot import " + huge + ": unknown format");

  // A file whose first line passes is still refused beyond the size bound, unread, and a
  // pipe is never waited on.
  const std::string big = h.home.write("big.ini", kCatList);
  ASSERT_EQ(truncate(big.c_str(), off_t(2) << 30), 0);
  const std::string pipe = h.home.file("pipe.ini");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const auto& [file, why] : {std::pair{big, "Larger than 64 MB"}, {pipe, "Not a regular file"}}) {
    h.seam.messages.clear();
    h.seam.fileAnswers = {file};
    w.FileFilterImportCatVerACTNExecute();
    EXPECT_EQ(h.seam.AllMessages(), "Cannot import " + file + ": " + why);
  }

  // Two MacMAME files: the bad one is told, the other imported under its file name (as the
  // filter file holds it).
  h.seam.messages.clear();
  std::string good = h.home.write("Arcade group\u00E9s",
                                  std::string(categoryfile::kMacMameHeader) +
                                      "\nPACMAN Maze\nnosuch\ndkong Platform\n");
  h.seam.fileAnswers = {h.home.file("bad.ini") + "\n" + good};
  w.FileFilterImportMacMameACTNExecute();
  EXPECT_TRUE(h.seam.fileRequests.back().multiSelect);
  EXPECT_EQ(h.seam.AllMessages(), "Cannot import " + h.home.file("bad.ini") + ": unknown format");
  ASSERT_EQ(w.Filters->size(), 3u);
  EXPECT_EQ((*w.Filters)[2]->Name, "Arcade group\xE9s");
  EXPECT_EQ(Entries(*(*w.Filters)[2]), "\\Platform\\DKONG;\\Maze\\PACMAN;");
}

// Many sections import, their options list filled with no row changed once it is in the list
// (each such change looks the row up among all of them: quadratic in the sections; the whole
// import's growth is BM_CatListImportSections in bench/); folders deeper than the tree takes
// refuse the file.
TEST(CategoryFiles, ManySectionsAndDeepFolders) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"PACMAN", "DKONG"}, h.home.path());
  // `set` in every section, or a set of each section's own.
  auto sections = [](size_t count, const char* set) {
    std::string text = ";; Many ;;\n";
    for (size_t s = 0; s < count; ++s)
      text += "[S" + std::to_string(s) + "]\n" + (set ? set : "x" + std::to_string(s)) + "=F\n";
    return text;
  };
  std::string deepMac = std::string(categoryfile::kMacMameHeader) + "\npacman ";
  for (int i = 0; i < 300; ++i) deepMac += "a\\";
  struct Case { std::string name, text; bool mac, deep; };
  const Case cases[] = {
      {"wide.ini", sections(7500, nullptr) + "[S1]\npacman=Maze\n[S6]\ndkong=F6\n", false, false},
      {"deep.ini", sections(300, "pacman"), false, true},
      {"deep.txt", deepMac, true, true},
  };
  size_t changed = 0;
  h.seam.modalHandlers.assign(2, [&changed](QWidget* win) {
    auto* options = static_cast<TFilterImportFRM*>(win);
    QObject::connect(options->FolderSelector->model(), &QAbstractItemModel::dataChanged,
                     [&changed] { ++changed; });
    options->ResetBTN->click();  // filled again, watched
    options->OkBTN->click();
    return int(mrOk);
  });
  for (const Case& c : cases) {
    h.seam.messages.clear();
    h.seam.fileAnswers = {h.home.write(c.name, c.text)};
    c.mac ? w.FileFilterImportMacMameACTNExecute() : w.FileFilterImportCatVerACTNExecute();
    ASSERT_EQ(w.Filters->size(), 2u) << c.name;
    if (c.deep) {
      EXPECT_EQ(h.seam.AllMessages(),
                "Cannot import " + h.home.file(c.name) + ": its folders nest deeper than 256 levels");
    }
  }
  EXPECT_TRUE(h.seam.modalHandlers.empty());
  EXPECT_EQ(changed, 0u);
  EXPECT_EQ(Entries(*(*w.Filters)[1]), "\\F6\\DKONG;\\Maze\\PACMAN;");
}
