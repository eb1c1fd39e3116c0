#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTableWidget>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "frontend/FormulaFilter.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/NewFilterDialog.h"
#include "frontend/formulas.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "support/Records.h"
#include "support/TempDir.h"

namespace {

using formulafilter::Vocabulary;

std::unique_ptr<GameRecord> MakeGame(const char* name, const char* description, uint16_t year,
                                     const char* maker, uint8_t control) {
  auto g = Game(name, description);
  g->Year = year;
  g->Manufacturer = maker;
  g->Control = control;
  return g;
}

// A small catalogue: a parent, its clone, a BIOS chain with a cycle, dual-stick games.
struct Catalogue {
  GameList games;
  GameList resources;
  Catalogue() {
    auto pac = MakeGame("PACMAN", "Pac-Man", 1980, "Namco / Midway", 1);
    pac->Colors = 256;
    pac->Chips = std::make_unique<ChipList>();
    pac->Chips->push_back(types::NewChipRecord());
    pac->Chips->back()->Name = "Z80";
    games.push_back(std::move(pac));
    auto clone = MakeGame("PUCKMAN", "Puck Man", 1980, "Namco", 1);
    clone->CloneOf = "PACMAN";
    clone->RomOf = "PACMAN";
    games.push_back(std::move(clone));
    games.push_back(MakeGame("ROBOTRON", "Robotron: 2084", 1982, "Williams", 3));
    games.push_back(MakeGame("SMASHTV", "Smash T.V.", 1990, "Williams", 4));
    games.push_back(MakeGame("TEMPEST", "Tempest", 1980, "Atari", 5));
    auto neo = MakeGame("MSLUG", "Metal Slug", 1996, "Nazca", 2);
    neo->RomOf = "NEOGEO";
    games.push_back(std::move(neo));
    auto loop = MakeGame("LOOPA", "Loop A", 1999, "Nobody", 0);
    loop->RomOf = "LOOPB";
    games.push_back(std::move(loop));
    auto loopB = MakeGame("LOOPB", "Loop B", 1999, "Nobody", 0);
    loopB->RomOf = "LOOPA";
    games.push_back(std::move(loopB));
    auto bios = MakeGame("NEOGEO", "Neo-Geo", 1990, "SNK", 0);
    bios->Kind = KIND_RESOURCE;
    resources.push_back(std::move(bios));
  }
  GameRecord* Find(const std::string& name) {
    for (GameList* l : {&games, &resources})
      for (auto& g : *l)
        if (g->Name.str() == name) return g.get();
    return nullptr;
  }
  Vocabulary::Hooks Hooks() {
    Vocabulary::Hooks h;
    h.FindGame = [this](const std::string& n) { return Find(n); };
    h.SetFound = [](const std::string& n, uint8_t kind) { return kind == 1 && n == "TEMPEST"; };
    return h;
  }
};

// Compiles and evaluates for one game: "true", "false" or the error text.
std::string Outcome(const std::string& formula, const GameRecord* game, Vocabulary& vocabulary,
                const TVariablesArray& params = {}) {
  TEvaluator e(&formulafilter::Keywords(), true);
  e.Params = params;
  vocabulary.Attach(e);
  vocabulary.Current = game;
  std::vector<std::string> tokens;
  std::string error;
  if (!e.Tokenize(formula, tokens, error)) return error;
  if (std::string c = e.Compile(tokens); !c.empty()) return c;
  bool truth = false;
  if (!e.Evaluate(truth, error)) return error;
  return truth ? "true" : "false";
}

}  // namespace

TEST(FormulaLanguage, ResultsAndErrors) {
  Catalogue c;
  Vocabulary v(c.Hooks(), {}, "", "/nonexistent/");
  const GameRecord* pac = c.Find("PACMAN");
  struct Case {
    const char* formula;
    const char* expected;
    TVariablesArray params = {};
  };
  const Case cases[] = {
      {"TRUE", "true"},
      {"FALSE", "false"},
      {"1 OR 0 AND 0", "false"},  // left to right: (1 OR 0) AND 0
      {"0 AND 0 OR 1", "true"},
      {"1 OR ( 0 AND 0 )", "true"},
      {"%YEAR = 1980", "true"},
      {"%YEAR>=1980", "true"},
      {"1980 >= %YEAR", "true"},
      {"%COLORS", "true"},  // 256 colours are a true value
      {"256", "true"},
      {"256 > 255", "true"},
      {"NOT 2", "false"},
      {"2 XOR 1", "false"},
      {"2 XNOR 1", "true"},
      {"1 NAND 1", "false"},
      {"0 NOR 0", "true"},
      {"1 <> 2", "true"},
      {"2 < 1", "false"},
      {"1 <= 1", "true"},
      {"\"$10\" = 16", "true"},
      {"\"0x1F\" = 31", "true"},
      {"\" -5\" < 0", "true"},
      {"\"abc\"", "false"},  // a lone operand gives its value
      {"\"abc\" AND 1", "true"},  // a non-empty text is true
      {"0 OR \"\"", "false"},  // an empty text is false
      {"\"abc\" = 0", "true"},
      {"%YEAR >= %0", "false", {"1981"}},
      {"%0", "true", {"%year"}},
      {"%0 = 1980", "true", {"%YEAR"}},
      {"TITLE %0", "true", {"\"man\""}},
      {"TITLE \"pac\"", "true"},
      {"TITLE \"\"", "false"},
      {"MANUFACTURER \"MIDWAY\"", "true"},
      {"CHIP \"z80\"", "true"},
      {"nOt %raster", "false"},
      {"NOT NOT %RASTER", "true"},
      {"( NOT NOT %RASTER ) AND %MASTER", "true"},
      {"( %YEAR = 1980 ) OR ( %YEAR = 1981 )", "true"},
      {"NOT ( 1 )", "false"},
      {"%YEAR = 1980 XOR %CLONE", "true"},
      {"   \r\n ", "Formula string empty"},
      {"%YEAR >=", "Unexpected end of formula at symbol 2"},
      {"NOT", "Unexpected end of formula at symbol 1"},
      {"AND %CLONE", "Unary operator or expression expected but binary operator found at symbol 0"},
      {"%YEAR NOT %CLONE", "Binary operator expected but unary operator found at symbol 1"},
      {"%YEAR %CLONE", "Operator expected but operand found at symbol 1"},
      {"%CLONE AND NOT %MASTER", "Operand expected but operator found at symbol 2"},
      {"\"\" AND 1", "Operator expected but operand found at symbol 2"},
      {"%YEAR > )", "Operand missing at symbol 2"},
      {"( )", "Operand missing at symbol 1"},
      {"%CLONE )", "Closing parenthesis without an opening one at symbol 1"},
      {"1 ) OR 1", "Closing parenthesis without an opening one at symbol 1"},
      {"( %CLONE", "Closing parenthesis expected but end of formula found at symbol 2"},
      {"( ( 1 )", "Closing parenthesis expected but end of formula found at symbol 4"},
      {"%X1", "Unknown variable name at character 1"},
      {"12a", "Syntax error at character 1"},
      {"1980>=%YEAR", "Syntax error at character 1"},
      {"NOTE", "Syntax error at character 4"},
      {"1 = \"abc", "Unterminated string at character 5"},
      {"%0", "Parameter %0 names no variable at symbol 0", {"%RESULT0"}},
      {"1 AND %3", "Parameter %3 names no variable at symbol 2", {"", "", "", "%NOSUCH"}},
      {"%YEAR >= %0", "false", {" 1981 "}},  // cells are trimmed
      {"%YEAR >= %0", "Parameter %0 is not a 32-bit integer at symbol 2", {"4294967296"}},
      {"%YEAR >= %0", "Parameter %0 is not a 32-bit integer at symbol 2", {"19x"}},
      {"%YEAR >= %0", "true", {" "}},  // an empty cell is the number 0
      {"%0 = 0", "true"},
      {"%YEAR >= 99999999999", "Number 99999999999 is not a 32-bit integer at symbol 2"},
      {"%YEAR < 4294967296", "Number 4294967296 is not a 32-bit integer at symbol 2"},
      {"2147483647 > 0", "true"},
  };
  for (const Case& k : cases)
    EXPECT_EQ(Outcome(k.formula, pac, v, k.params), k.expected) << k.formula;
}

TEST(FormulaLanguage, CompilesLeftToRightIntoResultReferences) {
  TEvaluator e(&formulafilter::Keywords(), true);
  std::vector<std::string> tokens;
  std::string error;
  ASSERT_TRUE(e.Tokenize("( %CONTROL = 3 ) OR ( %CONTROL = 4 )", tokens, error));
  ASSERT_EQ(tokens.size(), 11u);
  ASSERT_EQ(e.Compile(tokens), "");
  struct Op { int32_t op; const char* a; const char* b; };
  const Op want[] = {{TEvaluator::kEqual, "%CONTROL", "3"}, {-1, "%RESULT0", ""},
                     {TEvaluator::kEqual, "%CONTROL", "4"}, {-1, "%RESULT2", ""},
                     {TEvaluator::kOr, "%RESULT1", "%RESULT3"}, {-1, "%RESULT4", ""}};
  ASSERT_EQ(e.Operations.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(e.Operations[i].OperatorIndex, want[i].op) << i;
    EXPECT_EQ(e.Operations[i].Operand1.Text, want[i].a) << i;
    EXPECT_EQ(e.Operations[i].Operand2.Text, want[i].b) << i;
  }
  // The symbol spelling gives the same table; nothing compiled cannot be evaluated.
  TEvaluator s(nullptr, false);
  EXPECT_EQ(s.FindKeyword("!^"), TEvaluator::kXnor);
  EXPECT_EQ(s.FindKeyword("=="), TEvaluator::kEqual);
  bool truth = true;
  EXPECT_FALSE(s.Evaluate(truth, error));
  EXPECT_EQ(error, "No formula compiled or empty formula; cannot evaluate result");
}

TEST(FormulaVocabulary, OperatorsVariablesAndDualStickFilter) {
  Catalogue c;
  TempDir emu;
  emu.write("cfg/robotron.cfg", "x");  // another case than the set name
  emu.write("Hi/SMASHTV.HI", "x");
  MAMEDirectoryRecord dirs;
  dirs.hi = "HI";
  dirs.cfg = "CFG";
  Vocabulary v(c.Hooks(), dirs, "faq", emu.path());
  EXPECT_EQ(Outcome("BIOS \"NEOGEO\"", c.Find("MSLUG"), v), "true");
  EXPECT_EQ(Outcome("BIOS \"NEOGEO\"", c.Find("NEOGEO"), v), "false");  // its own name is not compared
  EXPECT_EQ(Outcome("BIOS \"PACMAN\"", c.Find("PUCKMAN"), v), "true");
  EXPECT_EQ(Outcome("BIOS \"NEOGEO\"", c.Find("LOOPA"), v), "false");   // a cycle ends the walk
  EXPECT_EQ(Outcome("%CONFIGFOUND", c.Find("ROBOTRON"), v), "true");
  EXPECT_EQ(Outcome("%CONFIGFOUND", c.Find("SMASHTV"), v), "false");
  EXPECT_EQ(Outcome("%HISCOREFOUND", c.Find("SMASHTV"), v), "true");
  EXPECT_EQ(Outcome("%ROMFOUND AND ( NOT %SAMPLEFOUND )", c.Find("TEMPEST"), v), "true");

  TEvaluator e(&formulafilter::Keywords(), true);
  std::vector<std::string> tokens;
  std::string error;
  ASSERT_TRUE(e.Tokenize("( %CONTROL = 3 ) OR ( %CONTROL = 4 )", tokens, error));
  ASSERT_EQ(e.Compile(tokens), "");
  auto f = formulafilter::BuildFilter(e, v, c.games, "Dual", error);
  ASSERT_TRUE(f);
  ASSERT_EQ(f->Entries->size(), 2u);
  EXPECT_EQ((*f->Entries)[0]->Game->Name, "ROBOTRON");
  EXPECT_EQ((*f->Entries)[1]->Game->Name, "SMASHTV");
  EXPECT_EQ((*f->Entries)[0]->Folder, "");
}

TEST(FormulaArchive, BuiltInsWrittenByteForByteAndReadBack) {
  const std::string want =
      "[Neo Geo games only]\r\nFormula=BIOS \"NEOGEO\"\r\n"
      "[CVS games only]\r\nFormula=BIOS \"CVS\"\r\n"
      "[Play Choice 10 games only]\r\nFormula=BIOS \"PLAYCH10\"\r\n"
      "[DECO Cassette System games only]\r\nFormula=BIOS \"DECOCASS\"\r\n"
      "[Master sets only]\r\nFormula=%MASTER\r\n"
      "[Clone sets only]\r\nFormula=%CLONE\r\n"
      "[Recent games only (put lowest year in %0)]\r\nFormula=%YEAR >= %0\r\n"
      "[Oldest games only (put highest year in %0)]\r\nFormula=%YEAR <= %0\r\n"
      "[Taito games only]\r\nFormula=MANUFACTURER \"taito\"\r\n"
      "[Capcom games only]\r\nFormula=MANUFACTURER \"capcom\"\r\n"
      "[Sega games only]\r\nFormula=MANUFACTURER \"sega\"\r\n"
      "[Games requiring a sample set]\r\nFormula=%SAMPLES > 0\r\n"
      "[Games using a 68000 processor]\r\nFormula=CHIP \"68000\"\r\n"
      "[Exclude vector games]\r\nFormula=%RASTER\r\n"
      "[Vector games only]\r\nFormula=NOT %RASTER\r\n"
      "[Games with stereo audio]\r\nFormula=%AUDIO >= 2\r\n"
      "[Games playable head-on-head]\r\nFormula=%PLAYERS >= 2\r\n"
      "[Games with dual stick]\r\nFormula=( %CONTROL = 3 ) OR ( %CONTROL = 4 )\r\n"
      "[Games with dial]\r\nFormula=%CONTROL = 5\r\n"
      "[Games with analog stick]\r\nFormula=%CONTROL = 6\r\n"
      "[Games with trackball]\r\nFormula=%CONTROL = 8\r\n"
      "[Games with more than 3 buttons]\r\nFormula=%BUTTONS > 3\r\n"
      "[Games you have played (based on presence of .CFG files)]\r\nFormula=%CONFIGFOUND\r\n"
      "[Games you have saved hi-scores for (based on presence of .HI files)]\r\n"
      "Formula=%HISCOREFOUND\r\n"
      "[Games you have recordings to play back for]\r\nFormula=%INPFOUND\r\n"
      "[Games you have roms for (NOT ACCURATE: does not test if set is playable; even more "
      "faulty with merged sets)]\r\nFormula=%ROMFOUND\r\n"
      "[Master sets you have samples for]\r\nFormula=%SAMPLEFOUND\r\n"
      "[Games you have a saved state to resume playing from]\r\nFormula=%SAVESTATEFOUND\r\n"
      "[Games you have a FAQ file to read for]\r\nFormula=%FAQFOUND\r\n";
  EXPECT_EQ(formulafilter::BuiltInFormulas().size(), 29u);
  EXPECT_EQ(formulafilter::FormatArchive(formulafilter::BuiltInFormulas()), want);
  // Quotes at both ends and line breaks survive a round trip as one line.
  TempDir d;
  std::string error;
  ASSERT_TRUE(formulafilter::SaveArchive(d.file("FORMULAS.INI"),
                                         {{"Quoted", "\"a\" OR\r\n\"b\""}}, error));
  auto back = formulafilter::LoadArchive(d.file("FORMULAS.INI"));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].Formula, "\"a\" OR  \"b\"");
  // Names that differ only in case keep their own formulas, read and written.
  d.write("CASE.INI", "[Mine]\r\nFormula=%CLONE\r\n[MINE]\nformula = %MASTER\n");
  auto cased = formulafilter::LoadArchive(d.file("CASE.INI"));
  ASSERT_TRUE(formulafilter::SaveArchive(d.file("CASE.INI"), cased, error));
  cased = formulafilter::LoadArchive(d.file("CASE.INI"));
  ASSERT_EQ(cased.size(), 2u);
  EXPECT_EQ(cased[0].Name + cased[0].Formula, "Mine%CLONE");
  EXPECT_EQ(cased[1].Name + cased[1].Formula, "MINE%MASTER");
  d.write("EMPTY.INI", "; nothing\r\n");
  EXPECT_TRUE(formulafilter::LoadArchive(d.file("EMPTY.INI")).empty());
}

TEST(NewFilterDialog, ArchiveEditingOkAndTheNewTab) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ROBOTRON", "SMASHTV", "PACMAN"}, h.home.path());
  h.Game("ROBOTRON")->Control = 3;
  h.Game("SMASHTV")->Control = 4;
  {
    TNewFilterFRM d(&w);
    ASSERT_EQ(d.Archive().size(), 29u);
    EXPECT_EQ(d.FormulaArchive->currentIndex(), 0);
    EXPECT_EQ(d.FilterName->text(), "Neo Geo games only");
    // A name that exists is replaced with consent; "]" is refused.
    d.FilterName->setText("Clone sets only");
    d.Formula->setPlainText("%CLONE OR\n%MASTER");
    h.seam.messageAnswers = {plat::IDYES};
    d.AddBTNClick();
    EXPECT_EQ(d.Archive().size(), 29u);
    EXPECT_EQ(d.Archive()[5].Formula, "%CLONE OR\n%MASTER");
    d.FilterName->setText("Bad ] name");
    d.AddBTNClick();
    EXPECT_EQ(d.Archive().size(), 29u);
    // Replace refuses another entry's name (any case): both formulas stay.
    d.SelectEntry(17);
    d.FilterName->setText("clone SETS only");
    h.seam.messages.clear();
    h.seam.messageAnswers = {plat::IDYES};
    d.ReplaceBTNClick();
    ASSERT_EQ(h.seam.messages.size(), 1u);
    EXPECT_EQ(d.Archive()[17].Name, "Games with dual stick");
    EXPECT_EQ(d.Archive()[5].Formula, "%CLONE OR\n%MASTER");
    // Replace with nothing selected is refused.
    d.SelectEntry(-1);
    d.FilterName->setText("Mine");
    d.Formula->setPlainText("%CLONE");
    h.seam.messages.clear();
    d.ReplaceBTNClick();
    ASSERT_EQ(h.seam.messages.size(), 1u);
    EXPECT_EQ(h.seam.messages[0].text,
              "No items selected. Cannot replace formula. Select an item and try again.");
    // Add and OK refuse a name the files cannot hold.
    d.FilterName->setText(QString::fromUtf8("\u65E5\u672C"));
    d.AddBTNClick();
    EXPECT_EQ(d.Archive().size(), 29u);
    h.seam.messages.clear();
    d.OkBTNClick();
    ASSERT_EQ(h.seam.messages.size(), 1u);
    EXPECT_EQ(d.property("modalResult").toInt(), 0);
    // OK on a formula that does not compile keeps the dialog and the text.
    d.FilterName->setText("Mine");
    d.Formula->setPlainText("%YEAR >=");
    h.seam.messages.clear();
    d.OkBTNClick();
    ASSERT_EQ(h.seam.messages.size(), 1u);
    EXPECT_EQ(h.seam.messages[0].text, "Unexpected end of formula at symbol 2");
    EXPECT_EQ(d.property("modalResult").toInt(), 0);
    EXPECT_EQ(w.Filters->size(), 1u);
    d.SelectEntry(17);
    EXPECT_EQ(d.FilterName->text(), "Games with dual stick");
    d.OkBTNClick();
    EXPECT_EQ(d.property("modalResult").toInt(), mrOk);
  }
  ASSERT_EQ(w.Filters->size(), 2u);
  FilterDescriptor* f = (*w.Filters)[1].get();
  EXPECT_EQ(f->Name, "Games with dual stick");
  EXPECT_EQ(f->Modified, 1);
  EXPECT_EQ(f->Entries->size(), 2u);
  EXPECT_EQ(w.ListTabs->currentIndex(), 1);
  EXPECT_EQ(w.ListTabs->tabText(1), "Games with dual stick");
  // The archive was written at destruction, line breaks as blanks.
  auto saved = formulafilter::LoadArchive(h.home.file("FORMULAS.INI"));
  ASSERT_EQ(saved.size(), 29u);
  EXPECT_EQ(saved[5].Formula, "%CLONE OR %MASTER");
}

TEST(NewFilterDialog, AnArchiveThatCannotBeWrittenIsTold) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  const std::string file = h.home.write("FORMULAS.INI", "[Mine]\r\nFormula=%CLONE\r\n");
  chmod(file.c_str(), 0444);  // read-only: kept as it is
  { TNewFilterFRM d(&w); }
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text.rfind("The formulas could not be written to " +
                                              h.home.file("FORMULAS.INI") + ":\r", 0),
            0u)
      << h.seam.messages[0].text;
  EXPECT_EQ(h.home.read("FORMULAS.INI"), "[Mine]\r\nFormula=%CLONE\r\n");
}

TEST(NewFilterDialog, AnArchiveThatCannotBeReadIsToldAndNeverWritten) {
  // A file past the bound, a folder, a pipe and a link to one: each is named, and left as it is.
  for (const char* kind : {"huge", "folder", "fifo", "link to fifo"}) {
    SCOPED_TRACE(kind);
    MainWindowHarness h;
    TMainFRM& w = h.Make();
    const std::string file = h.home.file("FORMULAS.INI");
    std::string why = "Not a regular file";
    if (kind == std::string("huge")) {
      h.home.write("FORMULAS.INI", "[Mine]\r\nFormula=%CLONE\r\n");
      std::filesystem::resize_file(file, plat::IniFile::kMaxFileSize + 1);  // sparse
      why = "Larger than 64 MB";
    } else if (kind == std::string("folder")) {
      plat::MakeDirs(file);
      why = "Is a directory";
    } else if (kind == std::string("fifo")) {
      ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    } else {
      ASSERT_EQ(mkfifo(h.home.file("pipe").c_str(), 0600), 0);
      ASSERT_EQ(symlink("pipe", file.c_str()), 0);
    }
    const auto before = std::filesystem::symlink_status(file).type();
    {
      TNewFilterFRM d(&w);
      ASSERT_EQ(h.seam.messages.size(), 1u);
      EXPECT_EQ(h.seam.messages[0].text,
                "The formulas file " + file + " could not be read:\r" + why +
                    "\rIt is left as it is: formulas added now are not saved.");
      EXPECT_TRUE(d.Archive().empty());
      d.FilterName->setText("New one");
      d.Formula->setPlainText("%MASTER");
      d.AddBTNClick();
      EXPECT_EQ(d.Archive().size(), 1u);
    }
    EXPECT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
    EXPECT_EQ(std::filesystem::symlink_status(file).type(), before);
    if (before != std::filesystem::file_type::regular) continue;
    EXPECT_EQ(std::filesystem::file_size(file), plat::IniFile::kMaxFileSize + 1);
    std::string head;
    EXPECT_TRUE(plat::ReadRegularFileHead(file, head, 6));
    EXPECT_EQ(head, "[Mine]");
  }
}
