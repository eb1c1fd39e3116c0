#include "platform/Rtf.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "platform/Cp1252.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

namespace {

QTextCharFormat Format(const QString& font, double size, bool bold = false, bool italic = false,
                       bool underline = false, bool strike = false, QColor color = QColor()) {
  QTextCharFormat f;
  plat::SetCharFontName(f, font);
  f.setFontPointSize(size);
  f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(italic);
  f.setFontUnderline(underline);
  f.setFontStrikeOut(strike);
  if (color.isValid()) f.setForeground(color);
  return f;
}

QString FirstFamily(const QTextCharFormat& f) {
  QStringList fams = f.fontFamilies().toStringList();
  return fams.isEmpty() ? QString() : fams.first();
}

// A document touching everything the writer knows.
void BuildSample(QTextDocument& doc) {
  QTextCursor c(&doc);
  QTextBlockFormat centre;
  centre.setAlignment(Qt::AlignHCenter);
  c.setBlockFormat(centre);
  c.insertText("Heading", Format("Times New Roman", 14, true, true));
  QTextBlockFormat left;
  left.setAlignment(Qt::AlignLeft);
  c.insertBlock(left);
  c.insertText("plain ", Format("Courier New", 10));
  c.insertText("bold", Format("Courier New", 10, true));
  c.insertText(" under", Format("Courier New", 10, false, false, true));
  c.insertText(" strike", Format("Courier New", 10, false, false, false, true));
  c.insertText(" red", Format("Arial", 12, false, false, false, false, QColor(200, 10, 20)));
  QTextBlockFormat right;
  right.setAlignment(Qt::AlignRight);
  c.insertBlock(right);
  c.insertText(QString::fromUtf8("caf\u00e9 \u20ac \u201cq\u201d \u03a9 {x} a\\b\tt"),
               Format("Arial", 9));
  c.insertText(QString(QChar(0x2028)) + "second line", Format("Arial", 9));
  c.insertText(QString::fromUtf8(" \U0001F600"), Format("Arial", 9));
  c.insertBlock(left);
  c.insertText("item one", Format("Arial", 10));
  QTextListFormat lf;
  lf.setStyle(QTextListFormat::ListDisc);
  c.createList(lf);
  c.insertBlock();  // stays in the list
  c.insertText("item two", Format("Arial", 10));
  c.insertBlock(QTextBlockFormat());
  c.setBlockFormat(left);
  c.insertBlock(left);  // an empty line, then a last one
  c.insertText("end", Format("MS Sans Serif", 8));
}

std::vector<QTextBlock> Blocks(const QTextDocument& doc) {
  std::vector<QTextBlock> r;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) r.push_back(b);
  return r;
}

QTextCharFormat FormatAt(const QTextDocument& doc, int pos) {
  QTextCursor c(const_cast<QTextDocument*>(&doc));
  c.setPosition(pos + 1);
  return c.charFormat();
}

}  // namespace

TEST(Rtf, RoundTripKeepsTextFormatsAlignmentAndBullets) {
  QTextDocument doc;
  BuildSample(doc);
  std::string rtf = plat::WriteRtf(doc);
  QTextDocument back;
  plat::ReadRtf(rtf, back);

  EXPECT_EQ(back.toPlainText(), doc.toPlainText());
  auto a = Blocks(doc), b = Blocks(back);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a[i].text(), b[i].text());
    EXPECT_EQ(a[i].blockFormat().alignment() & (Qt::AlignHCenter | Qt::AlignRight),
              b[i].blockFormat().alignment() & (Qt::AlignHCenter | Qt::AlignRight));
    EXPECT_EQ(a[i].textList() != nullptr, b[i].textList() != nullptr);
  }
  // Both bullet items are in one list.
  ASSERT_NE(b[3].textList(), nullptr);
  EXPECT_EQ(b[3].textList(), b[4].textList());
  EXPECT_EQ(b[3].textList()->format().style(), QTextListFormat::ListDisc);

  // Character formats, character by character.
  const QString text = doc.toPlainText();
  for (int pos = 0; pos < text.size(); ++pos) {
    if (text[pos] == '\n') continue;
    SCOPED_TRACE(pos);
    QTextCharFormat x = FormatAt(doc, pos), y = FormatAt(back, pos);
    EXPECT_EQ(FirstFamily(x), FirstFamily(y));
    EXPECT_DOUBLE_EQ(x.fontPointSize(), y.fontPointSize());
    EXPECT_EQ(x.fontWeight() >= QFont::Bold, y.fontWeight() >= QFont::Bold);
    EXPECT_EQ(x.fontItalic(), y.fontItalic());
    EXPECT_EQ(x.fontUnderline(), y.fontUnderline());
    EXPECT_EQ(x.fontStrikeOut(), y.fontStrikeOut());
    EXPECT_EQ(x.foreground().style() != Qt::NoBrush, y.foreground().style() != Qt::NoBrush);
    if (x.foreground().style() != Qt::NoBrush) {
      EXPECT_EQ(x.foreground().color().rgb(), y.foreground().color().rgb());
    }
    EXPECT_EQ(x.fontFixedPitch(), y.fontFixedPitch());
  }

  // Writing what was read gives the same file again.
  EXPECT_EQ(plat::WriteRtf(back), rtf);
}

TEST(Rtf, WriterEscapesAndTables) {
  QTextDocument doc;
  BuildSample(doc);
  std::string rtf = plat::WriteRtf(doc);
  for (unsigned char ch : rtf) ASSERT_LT(ch, 0x80) << "RTF output must be 7-bit";
  EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
  EXPECT_NE(rtf.find("\\fmodern\\fprq1\\fcharset0 Courier New;"), std::string::npos);
  EXPECT_NE(rtf.find("\\froman\\fprq2\\fcharset0 Times New Roman;"), std::string::npos);
  EXPECT_NE(rtf.find("{\\colortbl ;\\red200\\green10\\blue20;}"), std::string::npos);
  EXPECT_NE(rtf.find("caf\\'e9 \\'80 \\'93q\\'94 \\u937? \\{x\\} a\\\\b\\tab t"),
            std::string::npos);
  EXPECT_NE(rtf.find("\\line second line"), std::string::npos);
  EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);  // a surrogate pair
  EXPECT_NE(rtf.find("\\b\\i"), std::string::npos);
  EXPECT_NE(rtf.find("\\qc"), std::string::npos);
  EXPECT_NE(rtf.find("\\qr"), std::string::npos);
  EXPECT_NE(rtf.find("\\pnlvlblt"), std::string::npos);
  EXPECT_NE(rtf.find("\\par\r\n"), std::string::npos);
  EXPECT_TRUE(rtf.ends_with("}\r\n"));
  // Braces balance.
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (rtf[i] == '{') ++depth;
    if (rtf[i] == '}') --depth;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
}

TEST(Rtf, ReadsForeignFilesAndSkipsWhatItDoesNotKnow) {
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033"
      "{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}{\\f1\\fmodern\\fprq1 Lucida Console"
      "{\\*\\panose 020b0609040504020204};}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Hidden title}{\\author Someone}}"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
      "\\pard\\sa200\\sl276\\slmult1\\qc\\f0\\fs28\\lang9 Centred \\b bold\\b0  "
      "\\cf1 red\\cf0\\par\r\n"
      "\\pard\\ql Euro \\u8364\\'80 and {\\*\\unknowndest skipped {nested}} text"
      "{\\pict\\wmetafile8\\picw100 0123456789abcdef}{\\pict\\bin6 {}{}\\\\ }after\\line next\\par\r\n"
      "{\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{link}}}\\tab\\f1 mono\\par\r\n"
      "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}"
      "\\fi-720\\li720 first\\par\r\n"
      "{\\pntext\\f2\\'B7\\tab}second\\par\r\n"
      "\\pard \\emdash\\lquote q\\rquote\\~\\{\\}\\par\r\n"
      "}\r\ntrailing junk {\\b ignored}";
  QTextDocument doc;
  plat::ReadRtf(rtf, doc);
  auto b = Blocks(doc);
  ASSERT_EQ(b.size(), 6u) << doc.toPlainText().toStdString();
  EXPECT_EQ(b[0].text(), "Centred bold red");
  EXPECT_TRUE(b[0].blockFormat().alignment() & Qt::AlignHCenter);
  EXPECT_EQ(b[1].text(), QString::fromUtf8("Euro \u20ac and  text") + "after" + QChar(0x2028) +
                             "next");
  EXPECT_FALSE(b[1].blockFormat().alignment() & Qt::AlignHCenter);
  EXPECT_EQ(b[2].text(), "link\tmono");
  EXPECT_EQ(b[3].text(), "first");
  EXPECT_EQ(b[4].text(), "second");
  ASSERT_NE(b[3].textList(), nullptr);
  EXPECT_EQ(b[3].textList(), b[4].textList());
  EXPECT_EQ(b[5].text(), QString::fromUtf8("\u2014\u2018q\u2019\u00a0{}"));
  EXPECT_EQ(b[5].textList(), nullptr);

  // Formats: size 14 pt, bold, the colour table, the fixed-pitch font.
  QTextCursor c(&doc);
  c.setPosition(b[0].position() + 10);  // inside "bold"
  EXPECT_TRUE(c.charFormat().fontWeight() >= QFont::Bold);
  EXPECT_DOUBLE_EQ(c.charFormat().fontPointSize(), 14);
  EXPECT_EQ(FirstFamily(c.charFormat()), "Calibri");
  c.setPosition(b[0].position() + 15);  // inside "red"
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_FALSE(c.charFormat().fontWeight() >= QFont::Bold);
  c.setPosition(b[2].position() + 7);  // inside "mono"
  EXPECT_EQ(FirstFamily(c.charFormat()), "Lucida Console");
  EXPECT_TRUE(c.charFormat().fontFixedPitch());
}

TEST(Rtf, MalformedInputNeverBreaksTheReader) {
  const std::vector<std::string> cases = {
      "{\\rtf1",                                   // nothing else
      "{\\rtf1 unterminated {\\b group",           // unbalanced
      "{\\rtf1 a}}}}}} b",                         // too many closing braces
      "{\\rtf1 \\'",                               // truncated hex
      "{\\rtf1 \\'zz x\\'4",                       // invalid hex
      "{\\rtf1 \\u",                               // parameterless \u
      "{\\rtf1 \\u99999999999999999999 \\fs-5 \\f99999999999 x}",
      "{\\rtf1 \\bin99999999999 abc}",
      "{\\rtf1 \\bin-5 abc}",
      "{\\rtf1 {\\fonttbl{\\f0 unterminated",
      "{\\rtf1 {\\colortbl\\red999\\green-4;;;}\\cf2 x\\cf-1 y\\cf100 z}",
      "{\\rtf1 \\uc100 \\u65 abc}",
      "{\\rtf1 \\",
      std::string("{\\rtf1 a\0b}", 11),
  };
  for (const std::string& s : cases) {
    SCOPED_TRACE(s);
    QTextDocument doc;
    plat::ReadRtf(s, doc);
    (void)plat::WriteRtf(doc);
  }
  // Text read before the damage is kept.
  QTextDocument doc;
  plat::ReadRtf("{\\rtf1 kept text\\par more {\\b bold", doc);
  EXPECT_EQ(doc.toPlainText(), "kept text\nmore bold");

  // Very deep nesting.
  std::string deep = "{\\rtf1 " + std::string(200000, '{') + "deep" + std::string(200000, '}') +
                     "}";
  QTextDocument d2;
  plat::ReadRtf(deep, d2);
  EXPECT_EQ(d2.toPlainText(), "deep");

  // Random garbage after the header, reproducibly.
  QRandomGenerator rng(12345);
  const char alphabet[] = "{}\\'*abcdefuxbinpar0123456789- ;\r\n\xe9";
  for (int round = 0; round < 300; ++round) {
    std::string s = "{\\rtf1 ";
    int len = static_cast<int>(rng.bounded(400));
    for (int i = 0; i < len; ++i) s += alphabet[rng.bounded(static_cast<int>(sizeof alphabet - 1))];
    QTextDocument d;
    plat::ReadRtf(s, d);
  }
  // Damaged copies of a real file: bytes changed, dropped and the file cut short.
  QTextDocument sample;
  BuildSample(sample);
  const std::string good = plat::WriteRtf(sample);
  const int rounds = qEnvironmentVariableIntValue("VELMORA_RTF_ROUNDS");
  for (int round = 0; round < (rounds > 0 ? rounds : 300); ++round) {
    std::string s = good;
    int edits = 1 + static_cast<int>(rng.bounded(8));
    for (int e = 0; e < edits && !s.empty(); ++e) {
      size_t at = rng.bounded(static_cast<quint32>(s.size()));
      switch (rng.bounded(3)) {
        case 0: s[at] = alphabet[rng.bounded(static_cast<int>(sizeof alphabet - 1))]; break;
        case 1: s.erase(at, 1 + rng.bounded(20)); break;
        default: s.resize(at); break;
      }
    }
    QTextDocument d;
    plat::ReadRtf(s, d);
    (void)plat::WriteRtf(d);
  }
}

// Text stops at the line or paragraph past its bound; list items, fonts, colours and format
// changes past theirs are read without their format.
TEST(Rtf, DocumentsPastTheirBoundsAreCut) {
  auto repeat = [](const std::string& unit, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += unit;
    return s;
  };
  auto table = [&](const char* kind, const char* entry, int n) {
    std::string t = std::string("{\\") + kind;
    for (int i = 0; i < n; ++i)
      t += kind[0] == 'f' ? "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}" : entry;
    return t + "}";
  };
  const int lines = plat::kMaxDocumentLines;
  const int items = plat::kMaxListItems;
  const int changes = plat::kMaxFormatChanges;
  const int fonts = plat::kMaxFonts;
  const int colors = plat::kMaxColors;
  const std::string bullet = "{\\pntext\\'b7\\tab}a\\par ";
  // Runs each in a new size and style, an empty paragraph in the last.
  auto variants = [](int n) {
    std::string s = "{\\rtf1 ";
    for (int i = 0; i < n; ++i)
      s += "\\fs" + std::to_string(2 + i % 190) + "\\b" + std::to_string(i / 190 % 2) + "\\i" +
           std::to_string(i / 380 % 2) + (i + 1 < n ? " w" : "\\par\\par ");
    return s + "}";
  };
  struct Row {
    std::string input, past;
    int blocks, bullets;
    QString end;  // the document's last characters
  } rows[] = {
      {repeat("\n", lines), "", lines, 0, ""},  // a final line end adds no line
      {repeat("\n", lines) + "x", "more than 100,000 lines", lines, 0, ""},
      {repeat("a\r\n", lines) + "b", "more than 100,000 lines", lines, 0, "a"},
      {"{\\rtf1 " + repeat("a\\par ", lines) + "b}", "more than 100,000 paragraphs", lines, 0, "a"},
      {"{\\rtf1 " + repeat(bullet, items + 1) + "}", "more than 20,000 list items", items + 1,
       items, "a"},
      {"{\\rtf1 " + repeat("\\b a\\b0 b", changes / 2 + 1) + "}", "more than 50,000 changes of format",
       1, 0, "ab"},
      {"{\\rtf1" + table("fonttbl", "", fonts + 1) + "\\f" + std::to_string(fonts) + " x}",
       "more than 1,000 fonts", 1, 0, "x"},
      {"{\\rtf1" + table("colortbl", "\\red1;", colors + 1) + "\\cf" + std::to_string(colors + 1) + " x}",
       "more than 1,000 colours", 1, 0, "x"},
      {variants(plat::kMaxFontVariants + 1), "more than 500 font variants (faces, sizes and styles)",
       2, 0, ""},
      {variants(plat::kMaxFontVariants), "", 2, 0, ""},
      {"{\\rtf1\\fs193 x}", "letters larger than 96 points", 1, 0, "x"},
      {"{\\rtf1\\fs192 x}", "", 1, 0, "x"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.past);
    QTextDocument doc;
    EXPECT_EQ(plat::ReadRtf(r.input, doc), r.past);
    EXPECT_EQ(plat::RtfPastBound(r.input), r.past);
    EXPECT_EQ(doc.blockCount(), r.blocks);
    int bullets = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) bullets += b.textList() != nullptr;
    EXPECT_EQ(bullets, r.bullets);
    EXPECT_TRUE(doc.toPlainText().endsWith(r.end));
  }
  // The format changes past the bound, the last font and colour: the text's own.
  QTextDocument doc;
  plat::ReadRtf(rows[5].input, doc);
  QTextCursor c(&doc);
  c.movePosition(QTextCursor::End);
  EXPECT_TRUE(c.charFormat().fontWeight() >= QFont::Bold);
  plat::ReadRtf(rows[6].input, doc);
  EXPECT_NE(FirstFamily(doc.begin().begin().fragment().charFormat()), "F1000");
  plat::ReadRtf(rows[7].input, doc);
  EXPECT_FALSE(doc.begin().begin().fragment().charFormat().hasProperty(
      QTextFormat::ForegroundBrush));
  // The paragraph past the bound on variants keeps the run's before it; letters are at most
  // 96 points.
  for (int row : {8, 9}) {
    plat::ReadRtf(rows[row].input, doc);
    QTextCursor end(&doc);
    end.setPosition(doc.lastBlock().position() - 1);
    EXPECT_EQ(doc.lastBlock().charFormat().fontPointSize() == end.charFormat().fontPointSize(),
              row == 8);
  }
  plat::ReadRtf(rows[10].input, doc);
  EXPECT_EQ(doc.begin().begin().fragment().charFormat().fontPointSize(), plat::kMaxPointSize);
}

// A document is laid out at the narrowest width until it is too tall or its processor time
// (scripted: a tenth of the share each paragraph) is spent, and cut there.
TEST(Rtf, LayoutCutsWhatTakesTooLong) {
  ScriptedSeam seam;
  auto paragraphs = [](int n, int halfPoints) {
    std::string s = "{\\rtf1\\fs" + std::to_string(halfPoints) + " ";
    for (int i = 0; i < n; ++i) s += "W\\par ";
    return s + "}";
  };
  const struct Row {
    std::string rtf;
    int64_t step;
    std::string past;
    int blocks;  // 0: fewer than were read
  } rows[] = {
      {paragraphs(30, 20), 0, "", 30},
      {paragraphs(30, 20), plat::kLayoutCpuMs / 10, "text that takes more than a second to lay out",
       12},  // the clock read after each: 0, 100, ... 1100
      {paragraphs(40000, 2 * plat::kMaxPointSize), 0, "text over 4,000,000 pixels tall", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.past);
    QTextDocument doc;
    plat::ReadRtf(r.rtf, doc);
    const int read = doc.blockCount();
    seam.cpuMs = 0;
    seam.cpuStepMs = r.step;
    EXPECT_EQ(plat::FitLayout(doc, 0), r.past);
    if (r.blocks) {
      EXPECT_EQ(doc.blockCount(), r.blocks);
    } else {
      EXPECT_LT(doc.blockCount(), read);
      EXPECT_LE(doc.size().height(), plat::kMaxTextHeight);
      EXPECT_GT(doc.size().height(), plat::kMaxTextHeight * 0.9);
    }
  }
}

TEST(Rtf, NonRtfDataIsReadAsPlainText) {
  QTextDocument doc;
  plat::ReadRtf("just text\r\nline 2", doc);
  EXPECT_EQ(doc.toPlainText(), "just text\nline 2");
  EXPECT_FALSE(plat::IsRtf("just text"));
  EXPECT_TRUE(plat::IsRtf("\r\n  {\\rtf1}"));
}

TEST(Rtf, OutsideReaderUnderstandsOurFiles) {
  const QString unrtf = QStandardPaths::findExecutable("unrtf");
  if (unrtf.isEmpty()) GTEST_SKIP() << "unrtf is not installed";
  QTextDocument doc;
  BuildSample(doc);
  TempDir tmp;
  std::string path = tmp.write("sample.rtf", plat::WriteRtf(doc));
  QProcess p;
  p.start(unrtf, {"--text", QString::fromStdString(path)});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QByteArray raw = p.readAllStandardOutput();
  QString out = QString::fromLatin1(raw);
  for (const char* s : {"Heading", "plain bold under strike red", "second line", "item one",
                        "item two", "end", "{x}", "a\\b"})
    EXPECT_TRUE(out.contains(s)) << s << "\n" << out.toStdString();
  // The accented letter comes out as Latin-1 or UTF-8, depending on unrtf's set-up.
  EXPECT_TRUE(raw.contains("caf\xe9") || raw.contains("caf\xc3\xa9")) << raw.toStdString();

  // Its HTML output sees the bold and the italic heading.
  QProcess h;
  h.start(unrtf, {"--html", QString::fromStdString(path)});
  ASSERT_TRUE(h.waitForFinished(60000));
  QString html = QString::fromUtf8(h.readAllStandardOutput()).toLower();
  EXPECT_TRUE(html.contains("<b>bold") || html.contains("<b>\nbold")) << html.toStdString();
  EXPECT_TRUE(html.contains("<i>")) << html.toStdString();
}

TEST(Rtf, PlainTextIsWindows1252WithCrLf) {
  QTextDocument doc;
  doc.setPlainText(QString::fromUtf8("caf\u00e9 \u20ac\nsecond\n\nlast \u03a9"));
  std::string out = plat::WritePlainText(doc);
  EXPECT_EQ(out, "caf\xe9 \x80\r\nsecond\r\n\r\nlast ?\r\n");

  QTextDocument empty;
  EXPECT_EQ(plat::WritePlainText(empty), "");

  QTextDocument back;
  plat::ReadPlainText("caf\xe9\r\nunix\nmac\rend\r\n", back);
  EXPECT_EQ(back.toPlainText(), QString::fromUtf8("caf\u00e9\nunix\nmac\nend"));
  plat::ReadPlainText("a\r\n\r\n", back);
  EXPECT_EQ(back.blockCount(), 2);
  EXPECT_EQ(plat::WritePlainText(back), "a\r\n\r\n");
}

TEST(Rtf, WindowsFontNamesUseTheirStandIns) {
  EXPECT_EQ(plat::FontFamiliesFor("Courier New"), (QStringList{"Courier New", "Liberation Mono"}));
  EXPECT_EQ(plat::FontFamiliesFor("Times New Roman"),
            (QStringList{"Times New Roman", "Liberation Serif"}));
  EXPECT_EQ(plat::FontFamiliesFor("MS Sans Serif"),
            (QStringList{"MS Sans Serif", "Liberation Sans"}));
  EXPECT_EQ(plat::FontFamiliesFor("Verdana"), (QStringList{"Verdana"}));
  EXPECT_TRUE(plat::IsFixedPitchName("courier new"));
  EXPECT_FALSE(plat::IsFixedPitchName("Arial"));

  auto infoFor = [](const QString& name) {
    QTextCharFormat f;
    plat::SetCharFontName(f, name);
    f.setFontPointSize(10);
    return QFontInfo(f.font());
  };
  QFontInfo mono = infoFor("Courier New");
  EXPECT_TRUE(mono.fixedPitch()) << mono.family().toStdString();
  EXPECT_TRUE(mono.family().contains("Mono") || mono.family() == "Courier New")
      << mono.family().toStdString();
  EXPECT_FALSE(infoFor("Times New Roman").fixedPitch());
  QString sans = infoFor("MS Sans Serif").family();
  EXPECT_TRUE(sans == "Liberation Sans" || sans == "MS Sans Serif") << sans.toStdString();
}
