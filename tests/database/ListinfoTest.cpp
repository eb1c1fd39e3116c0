#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/Listinfo.h"
#include "platform/Numbers.h"

using listinfo::ParseListinfo;
using listinfo::ParseResult;
using listinfo::TListinfoParser;

namespace {

std::vector<std::string> Lines(const ParseResult& r) {
  std::vector<std::string> out;
  for (const auto& e : r.Errors) out.push_back(listinfo::ErrorLine(*e));
  return out;
}

std::vector<std::string> Tokens(std::string_view text) {
  TListinfoParser p(text);
  std::vector<std::string> out;
  while (p.Position() < text.size()) out.emplace_back(p.NextToken());
  return out;
}

const GameRecord& OnlyGame(const ParseResult& r) {
  EXPECT_EQ(r.Games->size(), 1u);
  return *r.Games->at(0);
}

}  // namespace

TEST(ListinfoTokens, SeparatorsQuotesEscapesAndCase) {
  // Blanks and bytes below 14 separate; 14..31 do not; parentheses are tokens only alone.
  EXPECT_EQ(Tokens("game (\tname\r\npacman)\x0b)\x01 )"),
            (std::vector<std::string>{"GAME", "(", "NAME", "PACMAN)", ")", ")"}));
  EXPECT_EQ(Tokens("a\x0e" "b c"), (std::vector<std::string>{"A\x0e" "B", "C"}));
  EXPECT_EQ(Tokens(std::string_view("x\0y", 3)), (std::vector<std::string>{"X", "Y"}));
  // Quoted strings keep case and blanks; escapes are case-free; unknown escapes vanish.
  EXPECT_EQ(Tokens("\"Pac Man\" \"a\\\"b\" \"l1\\nl2\\Nl3\" \"c\\\\d\" \"x\\qy\""),
            (std::vector<std::string>{"Pac Man", "a\"b", "l1\rl2\rl3", "c\\d", "xy"}));
  // A quote runs to the end of the text when never closed; what follows a closing quote
  // is a new token.
  EXPECT_EQ(Tokens("\"open to the end"), (std::vector<std::string>{"open to the end"}));
  EXPECT_EQ(Tokens("\"ab\"cd"), (std::vector<std::string>{"ab", "CD"}));
  EXPECT_EQ(Tokens("\"a\\"), (std::vector<std::string>{"a"}));
  // Only a to z are upper-cased: Windows-1252 bytes stay as read.
  EXPECT_EQ(Tokens("caf\xe9 \xe0z"), (std::vector<std::string>{"CAF\xe9", "\xe0Z"}));
  // Trailing separators end in one empty token.
  EXPECT_EQ(Tokens("a  \r\n"), (std::vector<std::string>{"A", ""}));

  TListinfoParser p("ab");
  EXPECT_EQ(p.NextChar(), 'a');
  EXPECT_EQ(p.NextChar(), 'b');
  EXPECT_EQ(p.NextChar(), 0);
  EXPECT_EQ(p.Position(), 2u);
}

TEST(ListinfoParse, GameFieldsAndIndexes) {
  ParseResult r = ParseListinfo(
      "game (\n"
      "\tname pacman\n"
      "\tdescription \"Pac-Man (Midway)\\nRev 2\"\n"
      "\tyear 1980\n"
      "\tmanufacturer \"[Namco] (Midway license)\"\n"
      "\thistory \"ignored\"\n"
      "\tcloneof puckman\n\tromof puckmanlong\n"
      "\tsample s1.wav sample \"S2.Wav\" sampleof pacsampl\n"
      ")\n"
      "resource ( name neogeo description \"Neo-Geo\" )\n"
      "game ( name mspacman )\n");
  EXPECT_TRUE(r.Errors.empty()) << Lines(r).front();
  ASSERT_EQ(r.Games->size(), 2u);
  ASSERT_EQ(r.Resources->size(), 1u);
  const GameRecord& g = *r.Games->at(0);
  EXPECT_EQ(g.Kind, KIND_GAME);
  EXPECT_EQ(g.Index, 1);
  EXPECT_EQ(g.Name, "PACMAN");
  EXPECT_EQ(g.Description, "Pac-Man (Midway)\rRev 2");
  EXPECT_EQ(g.Year, 1980);
  EXPECT_EQ(g.Manufacturer, "[Namco] (Midway license)");
  EXPECT_EQ(g.CloneOf, "PUCKMAN");
  EXPECT_EQ(g.RomOf, "PUCKMANL");  // set names keep 8 characters
  EXPECT_EQ(*g.Samples, (StringList{"S1.WAV", "S2.Wav"}));
  EXPECT_EQ(g.SampleOf, "PACSAMPL");
  EXPECT_EQ(g.Screen, 1);  // raster until told otherwise
  EXPECT_EQ(r.Games->at(1)->Index, 2);
  EXPECT_EQ(r.Games->at(1)->Name, "MSPACMAN");
  EXPECT_EQ(r.Resources->at(0)->Index, 1);
  EXPECT_EQ(r.Resources->at(0)->Kind, KIND_RESOURCE);
  EXPECT_EQ(r.Resources->at(0)->Description, "Neo-Geo");
}

TEST(ListinfoParse, Blocks) {
  ParseResult r = ParseListinfo(
      "game ( name g\n"
      " rom ( name a.bin size 1024 crc 1f flags dispose )\n"
      " rom ( name longromname.bin merge m.bin region cpu1 offs 8000 size $10 crc 0x1F flags 0x24 )\n"
      " rom ( name c.bin flags soundonly )\n"
      " chip ( type cpu flags audio name \"Z80\" clock 3072000 )\n"
      " chip ( type audio name ym2151 )\n"
      " video ( screen vector orientation vertical x 256 y 224 colors 32 freq 60.61 )\n"
      " sound ( channels 258 )\n"
      " input ( players 2 control doublejoy8way buttons 6 coins 3 tilt yes service no )\n"
      " dipswitch ( name \"Lives\" entry \"3\" entry \"5\" default \"3\" )\n"
      " driver ( status good color imperfect sound preliminary colordeep 16 )\n"
      ")");
  EXPECT_TRUE(r.Errors.empty()) << Lines(r).front();
  const GameRecord& g = OnlyGame(r);
  ASSERT_EQ(g.Roms->size(), 3u);
  const RomRecord& a = *g.Roms->at(0);
  EXPECT_EQ(a.Name, "A.BIN");
  EXPECT_EQ(a.Size, 1024u);
  EXPECT_EQ(a.Crc, 0x1Fu);
  EXPECT_EQ(a.Flags, 0x10u);
  const RomRecord& b = *g.Roms->at(1);
  EXPECT_EQ(b.Name, "LONGROMNAME.");  // 12 characters
  EXPECT_EQ(b.Merge, "M.BIN");
  EXPECT_EQ(b.Region, "CPU1");
  EXPECT_EQ(b.Offs, 0x8000u);
  EXPECT_EQ(b.Size, 16u);
  EXPECT_EQ(b.Crc, 0x1Fu);
  EXPECT_EQ(b.Flags, 0x24u);
  EXPECT_EQ(g.Roms->at(2)->Flags, 0x20u);
  ASSERT_EQ(g.Chips->size(), 2u);
  EXPECT_EQ(g.Chips->at(0)->ChipType, 1);
  EXPECT_EQ(g.Chips->at(0)->Flags, 1);
  EXPECT_EQ(g.Chips->at(0)->Name, "Z80");
  EXPECT_EQ(g.Chips->at(0)->Clock, "3072000");
  EXPECT_EQ(g.Chips->at(1)->ChipType, 2);
  EXPECT_EQ(g.Chips->at(1)->Flags, 0);
  EXPECT_EQ(g.Screen, 0);
  EXPECT_EQ(g.Orientation, 1);
  EXPECT_EQ(g.Width, 256);
  EXPECT_EQ(g.Height, 224);
  EXPECT_EQ(g.Colors, 32u);
  EXPECT_EQ(g.Freq, "60.61");
  EXPECT_EQ(g.Channels, 2);  // low 8 bits of 258
  EXPECT_EQ(g.Players, 2);
  EXPECT_EQ(g.Control, 4);
  EXPECT_EQ(g.Buttons, 6);
  EXPECT_EQ(g.Coins, 3);
  EXPECT_EQ(g.Tilt, 1);
  EXPECT_EQ(g.Service, 0);
  ASSERT_EQ(g.DipSwitches->size(), 1u);
  EXPECT_EQ(g.DipSwitches->at(0)->Name, "Lives");
  EXPECT_EQ(*g.DipSwitches->at(0)->Entries, (DipEntryList{"3", "5"}));
  EXPECT_EQ(g.DipSwitches->at(0)->Default, "3");
  EXPECT_EQ(g.Status, 3);
  EXPECT_EQ(g.Color, 1);
  EXPECT_EQ(g.Sound, 2);
  EXPECT_EQ(g.ColorDeep, 1);
}

TEST(ListinfoErrors, EveryKindAndItsReportLine) {
  ParseResult r = ParseListinfo(
      "game name x y )\n"                          // 1: no "(" after GAME; X takes Y
      "game ( rom name a.bin ) ) )\n"              // 1 after GAME\ROM; A.BIN takes ")"
      "game ( speed 3 )\n"                         // 2 in an entry
      "game ( chip ( speed 1 ) )\n"                // 2 in a block
      "resource ( rom ( flags 24 ) )\n"            // 3
      "game ( sound ( players 2 ) )\n"             // 4
      "game ( video ( x 12K ) )\n"                 // 5
      "game ( input ( control wheel ) )\n");       // 3 with a vocabulary table
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "\"(\" expected after GAME tag but NAME found",
                          "Tag unknown: GAME\\X",
                          "\"(\" expected after GAME\\ROM tag but NAME found",
                          "Tag unknown: GAME\\ROM\\A.BIN",
                          "Tag unknown: GAME\\SPEED",
                          "Tag unknown: GAME\\CHIP\\SPEED",
                          "Value not allowed: RESOURCE\\ROM\\FLAGS=24",
                          "Tag not allowed: GAME\\SOUND\\PLAYERS",
                          "Cannot convert value to binary: GAME\\VIDEO\\X=12K",
                          "Value not allowed: GAME\\INPUT\\CONTROL=WHEEL",
                      }));
  // The values recorded with the errors.
  EXPECT_EQ(r.Errors[0]->Kind, 1);
  EXPECT_EQ(r.Errors[0]->Value, "NAME");
  EXPECT_EQ(r.Errors[4]->Kind, 2);
  EXPECT_EQ(r.Errors[4]->Value, "3");  // the unknown tag's value
  EXPECT_EQ(r.Errors[7]->Value, "2");
  // A kind-6 line is its path alone.
  ParseErrorRecord six;
  six.Kind = 6;
  six.Path = "free text";
  EXPECT_EQ(listinfo::ErrorLine(six), "free text");
}

TEST(ListinfoErrors, NamesThatCannotBeFileNamesAreListed) {
  ParseResult r = ParseListinfo(
      "game ( name ../up cloneof a\\b romof ok sample \"x/1.wav\" sampleof .. "
      "rom ( name ../MAME.CFG merge .  size 1 crc 0 ) rom ( name fine.bin ) )\n"
      "game ( name -cc cloneof -listxml romof \"-rompath\" sample -ok.wav sampleof ok ) \n");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "Value not allowed: GAME\\NAME=../UP",
                          "Value not allowed: GAME\\CLONEOF=A\\B",
                          "Value not allowed: GAME\\SAMPLE=x/1.wav",
                          "Value not allowed: GAME\\SAMPLEOF=..",
                          "Value not allowed: GAME\\ROM\\NAME=../MAME.CFG",
                          "Value not allowed: GAME\\ROM\\MERGE=.",
                          // a set name the emulator would take for an option
                          "Value not allowed: GAME\\NAME=-CC",
                          "Value not allowed: GAME\\CLONEOF=-LISTXML",
                          "Value not allowed: GAME\\ROMOF=-rompath",
                      }));
  ASSERT_EQ(r.Games->size(), 2u);  // the game stays; every use of its names refuses them
}

TEST(ListinfoErrors, BadValuesKeepOrZeroTheirFields) {
  ParseResult r = ParseListinfo(
      "game ( name a year 19?? video ( screen tube x 1e3 ) driver ( status broken ) "
      "input ( tilt maybe ) rom ( size -1 ) )\n"
      "game ( name b year 19?? )\n"
      "resource ( name c year 19?? )\n");
  ASSERT_EQ(r.Games->size(), 2u);
  const GameRecord& a = *r.Games->at(0);
  EXPECT_EQ(a.Year, 0);
  EXPECT_EQ(a.Screen, 1);  // a value outside the table keeps the field
  EXPECT_EQ(a.Width, 0);
  EXPECT_EQ(a.Status, 0);
  EXPECT_EQ(a.Tilt, 0);
  EXPECT_EQ(a.Roms->at(0)->Size, 0xFFFFFFFFu);  // -1 keeps its 32 bits
  // The same bad year is listed once per entry keyword, however many entries carry it.
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "Cannot convert value to binary: GAME\\YEAR=19??",
                          "Value not allowed: GAME\\VIDEO\\SCREEN=TUBE",
                          "Cannot convert value to binary: GAME\\VIDEO\\X=1E3",
                          "Value not allowed: GAME\\DRIVER\\STATUS=BROKEN",
                          "Value not allowed: GAME\\INPUT\\TILT=MAYBE",
                          "Cannot convert value to binary: RESOURCE\\YEAR=19??",
                      }));
}

TEST(ListinfoErrors, UnknownEntriesAreSkippedWholeAndParsingRecovers) {
  ParseResult r = ParseListinfo(
      "machine ( name x rom ( name a size 1 ) nested ( a ( b ) ) )\n"
      "game ( name one rom ( name r1 size 1 ) weird ( deep ( deeper ) x ) rom ( name r2 size 2 ) )\n"
      "game ( name two rom ( name r3 size 3 ) )\n");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"Tag unknown: MACHINE", "Tag unknown: GAME\\WEIRD"}));
  EXPECT_EQ(r.Errors[0]->Value, "(");
  ASSERT_EQ(r.Games->size(), 2u);
  const GameRecord& one = *r.Games->at(0);
  EXPECT_EQ(one.Name, "ONE");
  ASSERT_EQ(one.Roms->size(), 2u);
  EXPECT_EQ(one.Roms->at(1)->Name, "R2");
  EXPECT_EQ(r.Games->at(1)->Name, "TWO");
  EXPECT_EQ(r.Games->at(1)->Roms->at(0)->Size, 3u);
}

TEST(ListinfoErrors, TopLevelTokensAfterABrokenKeyword) {
  ParseResult r = ParseListinfo("game( name broken ) game ( name ok )");
  // GAME( takes NAME as its value; BROKEN takes ")" as its value.
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"Tag unknown: GAME(", "Tag unknown: BROKEN"}));
  ASSERT_EQ(r.Games->size(), 1u);
  EXPECT_EQ(r.Games->at(0)->Name, "OK");
}

TEST(ListinfoErrors, QuotedKeywordsMatchNothing) {
  ParseResult r = ParseListinfo("\"game\" ( name a ) game ( \"name\" b rom \"(\" ) ) ");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "Tag unknown: game",
                          "Tag unknown: GAME\\name",
                          "\"(\" expected after GAME\\ROM tag but ( found",
                      }));
}

TEST(ListinfoErrors, LimitOfAHundredAndTheTooManyLine) {
  std::string text = "game ( name g\n";
  for (int i = 0; i < 150; ++i) text += " tag" + std::to_string(i) + " v\n";
  text += ")\n";
  ParseResult r = ParseListinfo(text);
  ASSERT_EQ(r.Errors.size(), 101u);
  EXPECT_EQ(listinfo::ErrorLine(*r.Errors[99]), "Tag unknown: GAME\\TAG99");
  EXPECT_EQ(r.Errors[100]->Kind, 6);
  EXPECT_EQ(listinfo::ErrorLine(*r.Errors[100]),
            "Too many errors encountered (>100): the rest were ignored.");
  EXPECT_EQ(r.Errors[100]->Value, ">100");
  // Parsing went on to the end: the entry is whole.
  EXPECT_EQ(OnlyGame(r).Name, "G");

  // Exactly a hundred distinct errors give no extra line.
  std::string hundred = "game ( name g\n";
  for (int i = 0; i < 100; ++i) hundred += " tag" + std::to_string(i) + " v tag0 v\n";
  hundred += ")\n";
  EXPECT_EQ(ParseListinfo(hundred).Errors.size(), 100u);
}

TEST(ListinfoErrors, OpenEntryAtTheEndIsReported) {
  ParseResult r = ParseListinfo("game ( name ok )\ngame ( name cut rom ( name a.bin size 1\r\n");
  ASSERT_EQ(r.Games->size(), 1u);
  EXPECT_EQ(r.Games->at(0)->Name, "OK");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "End of file reached inside the GAME\\ROM block of the GAME entry CUT: "
                          "the entry was ignored."}));

  ParseResult r2 = ParseListinfo("resource ( name neo");
  EXPECT_TRUE(r2.Resources->empty());
  EXPECT_EQ(Lines(r2), (std::vector<std::string>{
                           "End of file reached inside the RESOURCE entry NEO: the entry was "
                           "ignored."}));

  ParseResult r3 = ParseListinfo("game");
  EXPECT_EQ(Lines(r3), (std::vector<std::string>{
                           "\"(\" expected after GAME tag but  found",
                           "End of file reached inside the GAME entry: the entry was ignored."}));
}

TEST(ListinfoErrors, DipSwitchKeepsAtMost255Entries) {
  std::string text = "game ( name big dipswitch ( name \"Sw\"";
  for (int i = 0; i < 300; ++i) text += " entry e" + std::to_string(i);
  text += " default e0 ) )";
  ParseResult r = ParseListinfo(text);
  const GameRecord& g = OnlyGame(r);
  ASSERT_EQ(g.DipSwitches->size(), 1u);
  EXPECT_EQ(g.DipSwitches->at(0)->Entries->size(), 255u);
  EXPECT_EQ(g.DipSwitches->at(0)->Entries->back(), "E254");
  EXPECT_EQ(g.DipSwitches->at(0)->Default, "E0");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "Too many entries (>255) in the dip switch \"Sw\" of GAME BIG: the rest "
                          "were ignored."}));
}

TEST(ListinfoErrors, ACataloguePastABoundIsRefusedThereAndKeepsNothing) {
  // Bounds lowered to a few records; the text after the record that passes one is never read
  // (its unknown tag would be listed).
  catalogue::Limits l;
  l.entries = 3;
  l.romsPerGame = 2;
  l.roms = 3;
  l.chipsPerGame = 1;
  l.samplesPerGame = 2;
  l.samples = 3;
  l.dipSwitchesPerGame = 1;
  l.dipSettings = 3;
  auto rep = [](int n, const std::string& s) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  const std::string rom = "rom ( name r ) ";
  struct Row {
    std::string text, refusal;
  } rows[] = {
      {rep(3, "game ( ) ") + rep(3, "resource ( ) "), ""},
      {rep(4, "game ( ) "), "more than 3 games"},
      {rep(3, "game ( ) ") + rep(4, "resource ( ) "), "more than 3 resources"},
      {"game ( name a " + rep(2, rom) + ") game ( " + rom + ")", ""},
      {"game ( name a " + rep(3, rom) + ")", "more than 2 roms in GAME A"},
      {"resource ( name n " + rep(3, rom) + ")", "more than 2 roms in RESOURCE N"},
      {"game ( " + rep(2, rom) + ") game ( " + rep(2, rom) + ")", "more than 3 roms in all"},
      {"game ( name c chip ( name z ) chip ( name y ) )", "more than 1 chips in GAME C"},
      {"game ( name s sample a sample b sample c )", "more than 2 samples in GAME S"},
      {"game ( sample a sample b ) game ( sample c sample d )", "more than 3 samples in all"},
      {"game ( name d dipswitch ( ) dipswitch ( ) )", "more than 1 dip switches in GAME D"},
      {"game ( dipswitch ( entry 1 entry 2 entry 3 entry 4 ) )", "more than 3 dip switch settings"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ParseResult r = ParseListinfo(row.text + " junk ( )", {}, l);
    EXPECT_EQ(r.Refusal, row.refusal);
    if (row.refusal.empty()) {
      EXPECT_EQ(Lines(r), (std::vector<std::string>{"Tag unknown: JUNK"}));
      continue;
    }
    EXPECT_TRUE(r.Errors.empty());
    EXPECT_TRUE(r.Games->empty());
    EXPECT_TRUE(r.Resources->empty());
  }
  // Records of all kinds are bounded together by what they take: the 8,182nd rom of the third
  // game passes 1 MB.
  catalogue::Limits small;
  small.memory = 1 << 20;
  const std::string game = "game ( " + rep(4000, rom) + ") ";
  EXPECT_EQ(ParseListinfo(game + game + game, {}, small).Refusal,
            "more records than fit in 1 MB (3 entries, 8,182 roms, 0 dip switches with 0 "
            "settings)");
  EXPECT_EQ(plat::Thousands(65535), "65,535");
  EXPECT_EQ(plat::Thousands(1000000), "1,000,000");
  EXPECT_EQ(plat::Thousands(999), "999");
}

TEST(ListinfoParse, EmptyAndBlankTexts) {
  for (const char* text : {"", "   \r\n\r\n", "\x01\x02"}) {
    ParseResult r = ParseListinfo(text);
    EXPECT_TRUE(r.Games->empty());
    EXPECT_TRUE(r.Resources->empty());
    EXPECT_TRUE(r.Errors.empty());
  }
}

TEST(ListinfoParse, ProgressRisesOnlyWhenThePercentChanges) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "game ( name g" + std::to_string(i) + " )\n";
  std::vector<int32_t> seen;
  ParseResult r = ParseListinfo(text, [&](int32_t p) { seen.push_back(p); });
  EXPECT_EQ(r.Games->size(), 500u);
  ASSERT_FALSE(seen.empty());
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_LE(seen.size(), 101u);
}

TEST(ListinfoNumbers, HexAndIntegerConversions) {
  EXPECT_TRUE(listinfo::IsHexString("0x1F"));
  EXPECT_TRUE(listinfo::IsHexString("0X1F"));
  EXPECT_TRUE(listinfo::IsHexString("$1F"));
  EXPECT_FALSE(listinfo::IsHexString("1F"));
  EXPECT_FALSE(listinfo::IsHexString("0"));
  EXPECT_EQ(listinfo::HexStrToInt("0x24"), 0x24u);
  EXPECT_EQ(listinfo::HexStrToInt("$ff"), 0xFFu);
  EXPECT_EQ(listinfo::HexStrToInt("0XdeadBEEF"), 0xDEADBEEFu);

  int32_t v = 7;
  EXPECT_TRUE(listinfo::StrToInt("1980", v));
  EXPECT_EQ(v, 1980);
  EXPECT_TRUE(listinfo::StrToInt("-12", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(listinfo::StrToInt("+5", v));
  EXPECT_EQ(v, 5);
  EXPECT_TRUE(listinfo::StrToInt("$7fffffff", v));
  EXPECT_EQ(v, 0x7FFFFFFF);
  EXPECT_TRUE(listinfo::StrToInt("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(listinfo::StrToInt("2147483647", v));
  EXPECT_TRUE(listinfo::StrToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  v = 7;
  for (const char* bad : {"", "-", "$", "2147483648", "$100000000", "12K", "1 ", "0x10", "1.5"})
    EXPECT_FALSE(listinfo::StrToInt(bad, v)) << bad;
  EXPECT_EQ(v, 7);  // a failed conversion leaves the value alone

  // Integer fields keep their low bits; a rom size is unsigned 32-bit.
  ParseResult r = ParseListinfo(
      "game ( year 65537 video ( x 65792 ) input ( coins -1 ) rom ( name a size 2281701376 ) "
      "rom ( name b size 4294967295 ) rom ( name c size $10 ) rom ( name d size -1 ) )");
  EXPECT_TRUE(r.Errors.empty());
  const uint32_t sizes[] = {2281701376u, 4294967295u, 16u, 4294967295u};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(OnlyGame(r).Roms->at(i)->Size, sizes[i]);
  EXPECT_EQ(OnlyGame(r).Year, 1);
  EXPECT_EQ(OnlyGame(r).Width, 256);
  EXPECT_EQ(OnlyGame(r).Coins, 255);
}

TEST(ListinfoErrors, LongPathsAreCutAndStillListedOnce) {
  std::string junk(400, 'Z');
  ParseResult r = ParseListinfo("game ( " + junk + " 1 " + junk + "Y 2 )");
  ASSERT_EQ(r.Errors.size(), 1u);  // both paths agree in their first 255 characters
  EXPECT_EQ(r.Errors[0]->Path.size(), 255u);
}
