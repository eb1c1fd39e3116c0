#include "database/Report.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QCheckBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextList>
#include <QToolBar>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Rtf.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

namespace {

const char kFilter[] =
    "Rich Text Format (*.RTF)|*.RTF|Plain text (*.TXT)|*.TXT|All files (*.*)|*.*";
const char kQuestion[] = "The document hasn't been saved yet.\rAre you sure?";

class ReportTest : public ::testing::Test {
 protected:
  ScriptedSeam seam;
  TempDir tmp;
  std::unique_ptr<TReportFRM> w = std::make_unique<TReportFRM>();

  // A report as the system's features write them: headings and fixed-pitch text.
  void Heading(const std::string& text) {
    w->SetParagraph(2, false);
    w->SetTextFont("Times New Roman", Qt::black, 12, TReportFRM::fsBold | TReportFRM::fsItalic);
    w->AddLine(text);
    w->SetParagraph(0, false);
    w->SetTextFont("Courier New", Qt::black, 10, 0);
  }
  void Type(const QString& text) {
    QTextCursor c = w->Doc->textCursor();
    c.insertText(text);
    w->Doc->setTextCursor(c);
    QApplication::processEvents();  // the status follows on the next turn of the loop
  }
  void SelectAll() { w->Doc->selectAll(); }
  QString Text() const { return w->Doc->toPlainText(); }
};

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

void SendKey(QWidget* target, int key, const QString& text = {},
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(target, &release);
}

}  // namespace

TEST_F(ReportTest, ReadOnlyReportLooksLikeAReport) {
  std::string path = tmp.file("Profile_Report");
  w->NewDocument("", path, true, true);
  EXPECT_EQ(w->windowTitle().toStdString(), "Report [" + path + "]");
  EXPECT_EQ(w->FileMENU->title(), "&Report");
  EXPECT_TRUE(w->FontBAR->isHidden());
  EXPECT_TRUE(w->ParagraphBAR->isHidden());
  EXPECT_TRUE(w->ClipboardBAR->isHidden());
  EXPECT_FALSE(w->FileBAR->isHidden());
  EXPECT_TRUE(w->Doc->isReadOnly());
  for (QAction* a : {w->FileNewACTN, w->FileOpenACTN, w->FileSaveACTN, w->FontBoldACTN,
                     w->FontItalicsACTN, w->FontUnderlineACTN, w->FontStrikeOutACTN,
                     w->ParagraphAlignLeftACTN, w->ParagraphAlignCenterACTN,
                     w->ParagraphAlignRightACTN, w->ParagraphBulletListACTN, w->ClipboardCutACTN,
                     w->ClipboardPasteACTN, w->ClipboardDeleteACTN, w->ClipboardUndoACTN,
                     w->SearchReplaceACTN, w->FontColorACTN}) {
    EXPECT_FALSE(a->isVisible()) << a->objectName().toStdString();
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  }
  for (QAction* a : {w->FileSaveAsACTN, w->FileSetupPrinterACTN, w->FilePrintACTN,
                     w->FileCloseACTN, w->OptionsWordWrapACTN, w->FontChooseACTN})
    EXPECT_TRUE(a->isVisible() && a->isEnabled()) << a->objectName().toStdString();
  EXPECT_EQ(w->EditorStatus[2]->text(), "Read only");

  w->SetTextFont("Courier New", QColor(), 10, 0);
  w->AddLine("a line");
  w->RefreshStatus();
  EXPECT_FALSE(w->Modified());
  EXPECT_FALSE(w->windowTitle().endsWith("*"));
  EXPECT_TRUE(w->SearchFindACTN->isEnabled());
  EXPECT_TRUE(w->ClipboardSelectAllACTN->isEnabled());

  // Widened for 80 columns, a separator line of a report shows unwrapped.
  w->AddLine(std::string(80, '='));
  w->resize(200, 300);
  w->FitColumns(80);
  w->show();
  QApplication::processEvents();
  const QTextBlock rule = w->Doc->document()->find(QString(80, '=')).block();
  ASSERT_TRUE(rule.isValid());
  EXPECT_EQ(rule.layout()->lineCount(), 1);

  // Closing asks nothing.
  w->close();
  EXPECT_TRUE(seam.messages.empty());
  EXPECT_FALSE(w->isVisible());
}

TEST_F(ReportTest, EditableDefaultsAndNewDocument) {
  plat::SetCurrentDir(tmp.path());
  // The window starts as an empty editor with word wrap.
  EXPECT_EQ(w->FileMENU->title(), "&File");
  EXPECT_TRUE(w->WordWrap());
  EXPECT_TRUE(w->OptionsWordWrapACTN->isChecked());
  w->NewDocument("", "", false, false);
  EXPECT_EQ(w->DocumentFileName(), "new text file.rtf");
  EXPECT_EQ(w->DocumentFolder(), tmp.path());
  EXPECT_EQ(w->windowTitle().toStdString(),
            "Text Editor [" + tmp.file("new text file.rtf") + "]");
  EXPECT_FALSE(w->FontBAR->isHidden());
  EXPECT_FALSE(w->OptionsWordWrapACTN->isChecked());
  EXPECT_EQ(w->Doc->lineWrapMode(), QTextEdit::NoWrap);
  // Alignment only while word wrap is on.
  EXPECT_FALSE(w->ParagraphAlignCenterACTN->isEnabled());
  w->OptionsWordWrapACTN->trigger();
  EXPECT_TRUE(w->WordWrap());
  EXPECT_TRUE(w->ParagraphAlignCenterACTN->isEnabled());
  EXPECT_EQ(w->EditorStatus[2]->text(), "Editor");
  EXPECT_EQ(w->EditorStatus[0]->text(), "Row=1, Col.=1");
  EXPECT_EQ(w->EditorStatus[1]->text(), "Size=0 characters");
  EXPECT_FALSE(w->SearchFindACTN->isEnabled());  // nothing to search

  Type("hello\nworld");
  w->RefreshStatus();
  EXPECT_TRUE(w->Modified());
  EXPECT_TRUE(w->windowTitle().endsWith("]*"));
  EXPECT_EQ(w->EditorStatus[0]->text(), "Row=2, Col.=6");
  EXPECT_EQ(w->EditorStatus[1]->text(), "Size=11 characters");
  EXPECT_TRUE(w->ClipboardUndoACTN->isEnabled());
  EXPECT_FALSE(w->ClipboardCopyACTN->isEnabled());
  SelectAll();
  w->RefreshStatus();
  EXPECT_TRUE(w->ClipboardCopyACTN->isEnabled());
  EXPECT_TRUE(w->ClipboardCutACTN->isEnabled());

  // New with unsaved changes asks first; No keeps the text.
  seam.messageAnswers = {plat::IDNO};
  w->FileNewACTN->trigger();
  EXPECT_EQ(Text(), "hello\nworld");
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].title, "Text Editor");
  EXPECT_EQ(seam.messages[0].text, kQuestion);
  seam.messageAnswers = {plat::IDYES};
  w->FileNewACTN->trigger();
  EXPECT_EQ(Text(), "");
  EXPECT_FALSE(w->Modified());
  EXPECT_TRUE(w->WordWrap());  // kept
}

TEST_F(ReportTest, ClosingAsksAboutUnsavedChanges) {
  w->show();
  Type("changed");
  seam.messageAnswers = {plat::IDNO};
  w->close();
  EXPECT_TRUE(w->isVisible());
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, kQuestion);
  EXPECT_EQ(seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONWARNING);
  EXPECT_TRUE(w->Modified());
  seam.messageAnswers = {plat::IDYES};
  w->close();
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->Modified());
}

TEST_F(ReportTest, CloseActionGivesTheModalResult) {
  w->NewDocument("Notes", tmp.file("n.rtf"), false, true);
  seam.modalHandlers.push_back([](QWidget* win) {
    auto* r = static_cast<TReportFRM*>(win);
    r->FileCloseACTN->trigger();
    return r->property("modalResult").toInt();
  });
  EXPECT_EQ(w->ShowReport(), mrOk);

  Type("x");
  seam.messageAnswers = {plat::IDNO, plat::IDYES};
  seam.modalHandlers.push_back([](QWidget* win) {
    auto* r = static_cast<TReportFRM*>(win);
    r->FileCloseACTN->trigger();  // No: stays
    EXPECT_EQ(r->ModalResult(), mrNone);
    EXPECT_TRUE(r->IsModal());
    r->FileCloseACTN->trigger();  // Yes
    return r->ModalResult();
  });
  EXPECT_EQ(w->ShowReport(), mrCancel);
  EXPECT_EQ(seam.messages.size(), 2u);
  EXPECT_EQ(seam.modalWindows.back(), "TReportFRM");
}

TEST_F(ReportTest, ShortcutsAreUnique) {
  std::map<QString, QStringList> owners;
  for (QAction* a : w->findChildren<QAction*>())
    for (const QKeySequence& k : a->shortcuts())
      owners[k.toString(QKeySequence::PortableText)] << a->objectName();
  for (auto& [key, names] : owners)
    EXPECT_EQ(names.size(), 1) << key.toStdString() << ": " << names.join(", ").toStdString();
  const std::map<QAction*, QString> expected = {
      {w->FileNewACTN, "Ctrl+N"},           {w->FileOpenACTN, "Ctrl+O"},
      {w->FileSaveACTN, "Ctrl+S"},          {w->FileSetupPrinterACTN, "Ctrl+R"},
      {w->FilePrintACTN, "Ctrl+P"},         {w->FileCloseACTN, "Alt+F4"},
      {w->OptionsWordWrapACTN, "Ctrl+W"},   {w->FontBoldACTN, "Ctrl+Alt+B"},
      {w->FontItalicsACTN, "Ctrl+Alt+I"},   {w->FontUnderlineACTN, "Ctrl+Alt+U"},
      {w->FontStrikeOutACTN, "Ctrl+Alt+S"}, {w->FontChooseACTN, "Ctrl+Alt+F"},
      {w->FontColorACTN, "Ctrl+Alt+O"},     {w->ParagraphAlignLeftACTN, "Ctrl+Alt+L"},
      {w->ParagraphAlignCenterACTN, "Ctrl+Alt+C"}, {w->ParagraphAlignRightACTN, "Ctrl+Alt+R"},
      {w->ParagraphBulletListACTN, "Ctrl+L"}, {w->ClipboardCutACTN, "Ctrl+X"},
      {w->ClipboardCopyACTN, "Ctrl+C"},     {w->ClipboardPasteACTN, "Ctrl+V"},
      {w->ClipboardDeleteACTN, "Del"},      {w->ClipboardSelectAllACTN, "Ctrl+A"},
      {w->ClipboardUndoACTN, "Ctrl+Z"},     {w->SearchFindACTN, "Ctrl+F"},
      {w->SearchReplaceACTN, ""},           {w->FileSaveAsACTN, ""}};
  for (auto& [a, key] : expected)
    EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText), key)
        << a->objectName().toStdString();
  EXPECT_EQ(w->FileSaveAsACTN->text(), "S&ave as...");
  EXPECT_EQ(w->FileSetupPrinterACTN->text(), "P&rinter setup");
  EXPECT_EQ(w->FilePrintACTN->text(), "&Print...");
}

TEST_F(ReportTest, TenThousandLineReportShowsSavesAndReadsBack) {
  const std::string path = tmp.file("profile_report");
  w->NewDocument("Profile report", path, true, true);
  for (int i = 0; i < 10000; ++i) {
    if (i % 100 == 0) {
      Heading("Section " + std::to_string(i / 100));
    } else {
      char line[96];
      std::snprintf(line, sizeof line, "%-8s %-30s %5d caf\xe9 \x80", ("G" + std::to_string(i)).c_str(),
                    "Some description", i);
      w->AddLine(line);
    }
  }
  int rowsShown = 0;
  QString status0;
  seam.modalHandlers.push_back([&](QWidget* win) {
    win->show();
    QApplication::processEvents();
    auto* r = static_cast<TReportFRM*>(win);
    rowsShown = r->Doc->document()->blockCount();
    status0 = r->EditorStatus[0]->text();
    win->hide();
    return static_cast<int>(mrOk);
  });
  EXPECT_EQ(w->ShowReport(), mrOk);
  EXPECT_EQ(rowsShown, 10000);
  EXPECT_EQ(status0, "Row=1, Col.=1");  // the caret went to the start
  EXPECT_EQ(w->windowTitle().toStdString(), "Profile report [" + path + "]");
  EXPECT_FALSE(w->Modified());

  // The body font is fixed-pitch, the headings are bold italic and centred.
  QTextDocument* d = w->Doc->document();
  QTextBlock heading = d->findBlockByNumber(100), body = d->findBlockByNumber(101);
  EXPECT_EQ(heading.text(), "Section 1");
  EXPECT_TRUE(heading.blockFormat().alignment() & Qt::AlignHCenter);
  QTextCharFormat hf = heading.begin().fragment().charFormat();
  EXPECT_TRUE(hf.fontWeight() >= QFont::Bold && hf.fontItalic());
  QTextCharFormat bf = body.begin().fragment().charFormat();
  EXPECT_TRUE(QFontInfo(bf.font()).fixedPitch()) << QFontInfo(bf.font()).family().toStdString();
  EXPECT_FALSE(QFontInfo(hf.font()).fixedPitch());

  // Save as rich text.
  seam.fileAnswers = {tmp.file("Report.RTF")};
  w->FileSaveAsACTN->trigger();
  ASSERT_EQ(seam.fileRequests.size(), 1u);
  const plat::FileDialogRequest& req = seam.fileRequests[0];
  EXPECT_TRUE(req.save);
  EXPECT_EQ(req.title, "Save as...");
  EXPECT_EQ(req.filter, kFilter);
  EXPECT_EQ(req.filterIndex, 1);
  EXPECT_EQ(req.defaultExt, "RTF");
  EXPECT_TRUE(req.overwritePrompt);
  EXPECT_EQ(req.initialDir, tmp.path());
  EXPECT_EQ(req.fileName, "profile_report");
  EXPECT_EQ(w->DocumentFileName(), "Report.RTF");
  EXPECT_FALSE(w->PlainText());
  EXPECT_TRUE(seam.messages.empty()) << seam.AllMessages();

  std::string rtf = tmp.read("Report.RTF");
  ASSERT_TRUE(plat::IsRtf(rtf));
  QTextDocument back;
  plat::ReadRtf(rtf, back);
  ASSERT_EQ(back.blockCount(), 10000);
  EXPECT_EQ(back.toPlainText(), d->toPlainText());
  QTextBlock h2 = back.findBlockByNumber(100), b2 = back.findBlockByNumber(101);
  EXPECT_TRUE(h2.blockFormat().alignment() & Qt::AlignHCenter);
  QTextCharFormat hf2 = h2.begin().fragment().charFormat(), bf2 = b2.begin().fragment().charFormat();
  EXPECT_EQ(hf2.fontFamilies().toStringList().value(0), "Times New Roman");
  EXPECT_TRUE(hf2.fontWeight() >= QFont::Bold && hf2.fontItalic());
  EXPECT_DOUBLE_EQ(hf2.fontPointSize(), 12);
  EXPECT_EQ(bf2.fontFamilies().toStringList().value(0), "Courier New");
  EXPECT_DOUBLE_EQ(bf2.fontPointSize(), 10);
  EXPECT_TRUE(QFontInfo(bf2.font()).fixedPitch());

  // Save as plain text, chosen by the filter: Windows-1252, CR LF, no formatting.
  seam.fileAnswers = {tmp.file("report")};
  seam.filterAnswers = {2};
  w->FileSaveAsACTN->trigger();
  EXPECT_TRUE(w->PlainText());
  std::string txt = tmp.read("report");
  EXPECT_FALSE(plat::IsRtf(txt));
  EXPECT_TRUE(txt.starts_with("Section 0\r\nG1       Some description                   1 caf\xe9 \x80\r\n"))
      << txt.substr(0, 120);
  EXPECT_TRUE(txt.ends_with("9999 caf\xe9 \x80\r\n"));
  size_t crlf = 0;
  for (size_t i = 0; i + 1 < txt.size(); ++i)
    if (txt[i] == '\r' && txt[i + 1] == '\n') ++crlf;
  EXPECT_EQ(crlf, 10000u);
  EXPECT_EQ(txt.find('\n'), txt.find("\r\n") + 1);
}

TEST_F(ReportTest, SaveWritesTheDocumentFileOrAsksForOne) {
  w->NewDocument("", tmp.file("notes.rtf"), false, true);
  Type("some text");
  // The file does not exist yet: Save goes through Save as.
  seam.fileAnswers = {""};
  w->FileSaveACTN->trigger();
  EXPECT_EQ(seam.fileRequests.size(), 1u);
  EXPECT_TRUE(w->Modified());
  seam.fileAnswers = {tmp.file("notes.rtf")};
  w->FileSaveACTN->trigger();
  EXPECT_FALSE(w->Modified());
  EXPECT_TRUE(plat::IsRtf(tmp.read("notes.rtf")));
  // Now it exists: saved without a dialog.
  Type(" more");
  w->FileSaveACTN->trigger();
  EXPECT_EQ(seam.fileRequests.size(), 2u);
  EXPECT_FALSE(w->Modified());
  QTextDocument back;
  plat::ReadRtf(tmp.read("notes.rtf"), back);
  EXPECT_EQ(back.toPlainText(), "some text more");
}

TEST_F(ReportTest, OpenLoadsRichAndPlainText) {
  tmp.write("plain.TXT", "first caf\xe9\nsecond\rthird\r\n");
  QTextDocument src;
  src.setPlainText("rich text");
  tmp.write("rich.rtf", plat::WriteRtf(src));
  tmp.write("readme", "not rich at all\r\n");

  seam.fileAnswers = {tmp.file("plain.TXT")};
  w->FileOpenACTN->trigger();
  ASSERT_EQ(seam.fileRequests.size(), 1u);
  EXPECT_EQ(seam.fileRequests[0].title, "Open");
  EXPECT_FALSE(seam.fileRequests[0].save);
  EXPECT_EQ(seam.fileRequests[0].filter, kFilter);
  EXPECT_EQ(Text(), QString::fromUtf8("first caf\u00e9\nsecond\nthird"));
  EXPECT_TRUE(w->PlainText());
  EXPECT_FALSE(w->Modified());
  EXPECT_EQ(w->windowTitle().toStdString(), "Text Editor [" + tmp.file("plain.TXT") + "]");
  // Saved back as it came, with CR LF.
  Type("x");
  w->FileSaveACTN->trigger();
  EXPECT_EQ(tmp.read("plain.TXT"), "xfirst caf\xe9\r\nsecond\r\nthird\r\n");

  seam.fileAnswers = {tmp.file("rich.rtf")};
  seam.filterAnswers = {1};
  w->FileOpenACTN->trigger();
  EXPECT_EQ(Text(), "rich text");
  EXPECT_FALSE(w->PlainText());

  // A file that is not RTF is shown as text and saved as text.
  seam.fileAnswers = {tmp.file("readme")};
  w->FileOpenACTN->trigger();
  EXPECT_EQ(Text(), "not rich at all");
  EXPECT_TRUE(w->PlainText());
  EXPECT_TRUE(seam.messages.empty()) << seam.AllMessages();
}

TEST_F(ReportTest, LoadDocumentFindsTheFileWithoutRegardToCase) {
  QTextDocument src;
  src.setPlainText("quick reference");
  tmp.write("help0001.rtf", plat::WriteRtf(src));
  w->NewDocument("Formula help", tmp.file("HELP0001.RTF"), true, true);
  EXPECT_TRUE(w->LoadDocument());
  EXPECT_EQ(Text(), "quick reference");
  EXPECT_FALSE(w->Modified());
}

TEST_F(ReportTest, FailuresAreReportedAndLoseNothing) {
  w->NewDocument("My notes", tmp.file("keep.rtf"), false, true);
  Type("precious");

  // Open: a missing file and a folder.
  tmp.write("folder/x", "");
  seam.fileAnswers = {tmp.file("missing.rtf"), tmp.file("folder")};
  w->FileOpenACTN->trigger();  // the unsaved question is answered Yes by default
  w->FileOpenACTN->trigger();
  EXPECT_EQ(Text(), "precious");
  EXPECT_TRUE(w->Modified());
  EXPECT_EQ(w->DocumentFileName(), "keep.rtf");
  ASSERT_EQ(seam.messages.size(), 4u) << seam.AllMessages();
  EXPECT_EQ(seam.messages[1].title, "My notes");
  EXPECT_NE(seam.messages[1].text.find("missing.rtf"), std::string::npos);
  EXPECT_EQ(seam.messages[1].flags, plat::MB_OK | plat::MB_ICONERROR);
  EXPECT_EQ(seam.messages[3].title, "My notes");

  // Save as into a folder that does not exist.
  seam.messages.clear();
  seam.fileAnswers = {tmp.file("no/such/dir/out.rtf")};
  w->FileSaveAsACTN->trigger();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].title, "My notes");
  EXPECT_NE(seam.messages[0].text.find("out.rtf"), std::string::npos);
  EXPECT_TRUE(w->Modified());
  EXPECT_TRUE(w->windowTitle().endsWith("*"));
  EXPECT_EQ(w->DocumentFileName(), "keep.rtf");
  EXPECT_EQ(Text(), "precious");

  // LoadDocument of a missing file keeps the document and says so.
  seam.messages.clear();
  EXPECT_FALSE(w->LoadDocument());
  EXPECT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(Text(), "precious");

  // A file larger than any document is refused unread, with its name.
  seam.messages.clear();
  std::filesystem::resize_file(tmp.write("huge.txt", ""), (4u << 20) + 1);
  seam.fileAnswers = {tmp.file("huge.txt")};
  seam.filterAnswers = {2};
  w->FileOpenACTN->trigger();
  ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
  EXPECT_NE(seam.messages[1].text.find("huge.txt\" could not be opened.\rLarger than 4 MB"),
            std::string::npos);
  EXPECT_EQ(Text(), "precious");
  EXPECT_EQ(w->DocumentFileName(), "keep.rtf");

  // A file past the bound on lines is not edited (a save would lose its end); read only, it is
  // shown up to the bound, and said so.
  seam.messages.clear();
  tmp.write("long.txt", std::string(plat::kMaxDocumentLines, '\n') + "x");
  seam.fileAnswers = {tmp.file("long.txt")};
  w->FileOpenACTN->trigger();
  ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
  EXPECT_NE(seam.messages[1].text.find("long.txt\" could not be opened.\rIt holds more than "
                                       "100,000 lines"),
            std::string::npos);
  EXPECT_EQ(Text(), "precious");
  EXPECT_EQ(w->DocumentFileName(), "keep.rtf");
  seam.messages.clear();
  w->NewDocument("FAQ", tmp.file("long.txt"), true, true);
  EXPECT_TRUE(w->LoadDocument());
  EXPECT_EQ(w->Doc->document()->blockCount(), plat::kMaxDocumentLines);
  ASSERT_EQ(seam.messages.size(), 1u) << seam.AllMessages();
  EXPECT_NE(seam.messages[0].text.find("holds more than 100,000 lines, more than the window "
                                       "shows: it is shown in part."),
            std::string::npos);

  // A document laid out past its share of processor time (a tenth of it each paragraph): the
  // editor refuses it and keeps its text, read only it is shown up to there.
  std::string slow = "{\\rtf1 ";
  for (int i = 0; i < 30; ++i) slow += "a\\par ";
  tmp.write("slow.rtf", slow + "}");
  seam.cpuStepMs = plat::kLayoutCpuMs / 10;
  w->NewDocument("My notes", tmp.file("keep.rtf"), false, true);
  Type("precious");
  seam.messages.clear();
  seam.fileAnswers = {tmp.file("slow.rtf")};
  seam.filterAnswers = {1};
  w->FileOpenACTN->trigger();
  ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
  EXPECT_NE(seam.messages[1].text.find("slow.rtf\" could not be opened.\rIt holds text that "
                                       "takes more than a second to lay out"),
            std::string::npos);
  EXPECT_EQ(Text(), "precious");
  seam.messages.clear();
  w->NewDocument("FAQ", tmp.file("slow.rtf"), true, true);
  EXPECT_TRUE(w->LoadDocument());
  EXPECT_EQ(w->Doc->document()->blockCount(), 11);  // the clock read before, then after each
  ASSERT_EQ(seam.messages.size(), 1u) << seam.AllMessages();
  EXPECT_NE(seam.messages[0].text.find("more than a second to lay out, more than the window "
                                       "shows: it is shown in part."),
            std::string::npos);
}

TEST_F(ReportTest, LongLinesShowInPiecesAndSaveWhole) {
  // One unbroken run, then words, then a Windows-1252 letter: cut hard, then after blanks.
  std::string line(5000, 'x');
  for (int i = 0; i < 1200; ++i) line += "word ";
  line += "caf\xe9";
  const std::string wanted = "head\r\n" + line + "\r\ntail\r\n";
  QTextDocument rich;
  rich.setPlainText(plat::FromAnsi("head\n" + line + "\ntail"));
  tmp.write("long.txt", wanted);
  tmp.write("long.rtf", plat::WriteRtf(rich));
  struct Road {
    const char* name;
    std::function<void(TReportFRM&)> fill;
  };
  auto load = [&](const char* name) {
    return [&, name](TReportFRM& r) {
      r.NewDocument("", tmp.file(name), true, true);
      r.LoadDocument();
    };
  };
  const Road roads[] = {
      {"output", [&](TReportFRM& r) { r.AddLine("head"); r.AddText(line); r.AddLine("tail"); }},
      {"line", [&](TReportFRM& r) { r.AddLine("head\r\n" + line + "\r\ntail"); }},
      {"text file", load("long.txt")},
      {"rich file", load("long.rtf")},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    w = std::make_unique<TReportFRM>();
    w->NewDocument("Report", tmp.file("report"), true, true);
    road.fill(*w);
    QTextDocument* d = w->Doc->document();
    EXPECT_GT(d->blockCount(), 6);
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next())
      ASSERT_LE(b.length() - 1, plat::kShownPieceLength) << b.blockNumber();
    // Saved, the line is whole again, as text and as rich text.
    seam.fileAnswers = {tmp.file("saved.txt"), tmp.file("saved.rtf")};
    seam.filterAnswers = {2, 1};
    w->FileSaveAsACTN->trigger();
    w->FileSaveAsACTN->trigger();
    EXPECT_EQ(tmp.read("saved.txt"), wanted);
    QTextDocument back;
    plat::ReadRtf(tmp.read("saved.rtf"), back);
    EXPECT_EQ(back.blockCount(), 3);
    EXPECT_EQ(plat::WritePlainText(back), wanted);
  }
  EXPECT_TRUE(seam.messages.empty()) << seam.AllMessages();

  // Editing: Enter inside a piece starts a line of its own; the rest stays one line.
  w = std::make_unique<TReportFRM>();
  w->NewDocument("", tmp.file("long.txt"), false, true);
  ASSERT_TRUE(w->LoadDocument());
  w->show();
  const QTextBlock second = w->Doc->document()->findBlockByNumber(2);
  const size_t at = static_cast<size_t>(w->Doc->document()->findBlockByNumber(1).length() - 1) + 10;
  QTextCursor c(second);
  c.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 10);
  w->Doc->setTextCursor(c);
  SendKey(w->Doc, Qt::Key_Return, "\r");
  w->FileSaveACTN->trigger();
  EXPECT_EQ(tmp.read("long.txt"),
            "head\r\n" + line.substr(0, at) + "\r\n" + line.substr(at) + "\r\ntail\r\n");
  w->hide();
}

TEST_F(ReportTest, PrintsToPdf) {
  const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
  w->NewDocument("Romset details", tmp.file("romset_report"), true, true);
  Heading("Romset PACMAN");
  w->AddLine("PACMAN.6E    4096  C1E6AB10");
  w->AddLine("PACMAN.6F    4096  1A6FB2D4");
  const std::string pdf = tmp.file("out.pdf");
  int dialogs = 0;
  seam.printHandler = [&](QPrinter& p) {
    ++dialogs;
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
  w->FilePrintACTN->trigger();
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(seam.messages.empty()) << seam.AllMessages();
  ASSERT_TRUE(plat::FileExists(pdf));
  QString text =
      RunTool(pdftotext, {"-layout", QString::fromStdString(pdf), "-"}).simplified();
  EXPECT_TRUE(text.contains("Romset PACMAN")) << text.toStdString();
  EXPECT_TRUE(text.contains("PACMAN.6E 4096 C1E6AB10 PACMAN.6F 4096 1A6FB2D4")) << text.toStdString();
  EXPECT_EQ(w->Printer().docName(), "romset_report");
  const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
  if (!pdfinfo.isEmpty()) {
    EXPECT_TRUE(RunTool(pdfinfo, {QString::fromStdString(pdf)}).contains("romset_report"));
  }

  // Printer set-up goes through the seam and keeps the printer for the next print.
  w->FileSetupPrinterACTN->trigger();
  EXPECT_EQ(dialogs, 2);

  // A cancelled print dialog prints nothing.
  plat::RemoveFile(pdf);
  seam.printHandler = [](QPrinter&) { return false; };
  w->FilePrintACTN->trigger();
  EXPECT_FALSE(plat::FileExists(pdf));
}

TEST_F(ReportTest, PrintFailureIsReported) {
  w->NewDocument("Disc info", tmp.file("MAMECD_informations"), true, true);
  w->AddLine("line");
  seam.printHandler = [&](QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(tmp.file("no/such/dir/out.pdf")));
    return true;
  };
  w->FilePrintACTN->trigger();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].title, "Disc info");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_OK | plat::MB_ICONERROR);
}

TEST_F(ReportTest, FindAndReplace) {
  Type("one two One three one");
  w->Doc->moveCursor(QTextCursor::Start);
  w->SearchFindACTN->trigger();
  ASSERT_NE(w->FindDLG, nullptr);
  EXPECT_TRUE(w->FindDLG->isVisible());
  EXPECT_FALSE(w->FindDLG->isModal());
  EXPECT_EQ(w->FindDLG->FindText(), "");

  w->FindDLG->FindEdit->setText("one");
  w->FindDLG->FindNextBTN->click();
  EXPECT_EQ(w->Doc->textCursor().selectionStart(), 0);
  w->FindDLG->FindNextBTN->click();  // case-insensitive: "One"
  EXPECT_EQ(w->Doc->textCursor().selectedText(), "One");
  w->FindDLG->MatchCaseBOX->setChecked(true);
  w->FindDLG->FindNextBTN->click();
  EXPECT_EQ(w->Doc->textCursor().selectionStart(), 18);
  EXPECT_TRUE(seam.messages.empty());
  w->FindDLG->FindNextBTN->click();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "Search string not found.");
  EXPECT_EQ(seam.messages[0].title, "Text Editor");
  EXPECT_EQ(w->Doc->textCursor().selectionStart(), 18);  // the last hit stays selected

  // The dialog is preset with the selection.
  w->SearchFindACTN->trigger();
  EXPECT_EQ(w->FindDLG->FindText(), "one");

  // Whole words only.
  w->Doc->moveCursor(QTextCursor::Start);
  EXPECT_TRUE(w->FindNext("on", false, false));
  w->Doc->moveCursor(QTextCursor::Start);
  EXPECT_FALSE(w->FindNext("on", false, true));

  // Replace, one at a time and all.
  w->Doc->moveCursor(QTextCursor::Start);
  w->SearchReplaceACTN->trigger();
  ASSERT_NE(w->ReplaceDLG, nullptr);
  w->ReplaceDLG->FindEdit->setText("one");
  w->ReplaceDLG->ReplaceEdit->setText("1");
  w->ReplaceDLG->ReplaceBTN->click();
  EXPECT_EQ(Text(), "1 two One three one");
  // A replacement holding the search text ends after one pass.
  w->Doc->moveCursor(QTextCursor::Start);
  w->ReplaceDLG->ReplaceEdit->setText("one-one");
  w->ReplaceDLG->ReplaceAllBTN->click();
  EXPECT_EQ(Text(), "1 two one-one three one-one");
  EXPECT_EQ(seam.messages.size(), 1u);  // replace all is silent
  // Replace all is undone in one step.
  w->Doc->undo();
  EXPECT_EQ(Text(), "1 two One three one");
  w->Doc->moveCursor(QTextCursor::End);
  w->ReplaceDLG->ReplaceBTN->click();
  EXPECT_EQ(seam.messages.size(), 2u);
  EXPECT_EQ(seam.messages[1].text, "Search string not found.");
}

TEST_F(ReportTest, ReadOnlySearchAndSaveStillWork) {
  w->NewDocument("Output", tmp.file("MAME_output"), true, false);
  w->AddLine("loading roms");
  w->AddLine("done");
  w->Doc->moveCursor(QTextCursor::Start);
  EXPECT_TRUE(w->FindNext("done", false, false));
  EXPECT_FALSE(w->ReplaceNext("done", "x", false, false));
  EXPECT_EQ(w->ReplaceAll("done", "x", false, false), 0);
  EXPECT_EQ(Text(), "loading roms\ndone");
  seam.fileAnswers = {tmp.file("out.txt")};
  seam.filterAnswers = {2};
  w->FileSaveAsACTN->trigger();
  EXPECT_EQ(tmp.read("out.txt"), "loading roms\r\ndone\r\n");
}

TEST_F(ReportTest, CharacterAndParagraphFormatting) {
  Type("some words here");
  SelectAll();
  w->FontBoldACTN->trigger();
  EXPECT_TRUE(w->FontBoldACTN->isChecked());
  EXPECT_GE(w->Doc->currentCharFormat().fontWeight(), QFont::Bold);
  w->FontBoldACTN->trigger();
  EXPECT_FALSE(w->FontBoldACTN->isChecked());
  w->FontItalicsACTN->trigger();
  w->FontUnderlineACTN->trigger();
  w->FontStrikeOutACTN->trigger();
  QTextCharFormat f = w->Doc->currentCharFormat();
  EXPECT_TRUE(f.fontItalic() && f.fontUnderline() && f.fontStrikeOut());
  EXPECT_TRUE(w->FontItalicsACTN->isChecked() && w->FontUnderlineACTN->isChecked() &&
              w->FontStrikeOutACTN->isChecked());

  // Typed sizes: 6 changes nothing, 14 applies.
  const double before = w->Doc->currentCharFormat().font().pointSizeF();
  QLineEdit* size = w->FontSize->lineEdit();
  size->clear();
  SendKey(size, Qt::Key_6, "6");
  EXPECT_DOUBLE_EQ(w->Doc->currentCharFormat().font().pointSizeF(), before);
  size->clear();
  SendKey(size, Qt::Key_1, "1");
  SendKey(size, Qt::Key_4, "4");
  EXPECT_DOUBLE_EQ(w->Doc->currentCharFormat().fontPointSize(), 14);
  EXPECT_EQ(w->FontSize->count(), 19);

  // Font name from the list.
  w->FontNameChange("Courier New");
  EXPECT_EQ(w->Doc->currentCharFormat().fontFamilies().toStringList().value(0), "Courier New");
  EXPECT_EQ(w->FontName->currentText(), "Courier New");
  EXPECT_GT(w->FontName->count(), 0);

  // Font and colour dialogs.
  seam.fontHandler = [](QFont& font) {
    EXPECT_EQ(font.families().value(0), "Courier New");
    font = QFont("Arial", 20);
    font.setBold(true);
    return true;
  };
  w->FontChooseACTN->trigger();
  f = w->Doc->currentCharFormat();
  EXPECT_EQ(f.fontFamilies().toStringList().value(0), "Arial");
  EXPECT_DOUBLE_EQ(f.fontPointSize(), 20);
  EXPECT_GE(f.fontWeight(), QFont::Bold);
  EXPECT_EQ(w->FontSize->currentText(), "20");
  seam.colorHandler = [](QColor& c) {
    c = QColor(0, 128, 0);
    return true;
  };
  w->FontColorACTN->trigger();
  EXPECT_EQ(w->Doc->currentCharFormat().foreground().color(), QColor(0, 128, 0));
  seam.colorHandler = [](QColor& c) {
    c = Qt::red;
    return false;  // cancelled
  };
  w->FontColorACTN->trigger();
  EXPECT_EQ(w->Doc->currentCharFormat().foreground().color(), QColor(0, 128, 0));

  // Paragraphs: alignment and bullets, checked as the paragraph is.
  w->ParagraphAlignCenterACTN->trigger();
  EXPECT_TRUE(w->Doc->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(w->ParagraphAlignCenterACTN->isChecked());
  EXPECT_FALSE(w->ParagraphAlignLeftACTN->isChecked());
  w->ParagraphAlignRightACTN->trigger();
  EXPECT_TRUE(w->ParagraphAlignRightACTN->isChecked());
  EXPECT_FALSE(w->ParagraphAlignCenterACTN->isChecked());
  w->ParagraphBulletListACTN->trigger();
  EXPECT_NE(w->Doc->textCursor().currentList(), nullptr);
  EXPECT_TRUE(w->ParagraphBulletListACTN->isChecked());

  // What the editor made survives saving.
  seam.fileAnswers = {tmp.file("styled.rtf")};
  w->FileSaveAsACTN->trigger();
  QTextDocument back;
  plat::ReadRtf(tmp.read("styled.rtf"), back);
  ASSERT_EQ(back.blockCount(), 1);
  EXPECT_NE(back.begin().textList(), nullptr);
  EXPECT_TRUE(back.begin().blockFormat().alignment() & Qt::AlignRight);
  QTextCharFormat g = back.begin().begin().fragment().charFormat();
  EXPECT_EQ(g.fontFamilies().toStringList().value(0), "Arial");
  EXPECT_EQ(g.foreground().color(), QColor(0, 128, 0));

  w->ParagraphBulletListACTN->trigger();
  EXPECT_EQ(w->Doc->textCursor().currentList(), nullptr);
  EXPECT_FALSE(w->ParagraphBulletListACTN->isChecked());
}

TEST_F(ReportTest, ProtocolParagraphsAndFonts) {
  w->NewDocument("List", "", true, true);
  w->SetParagraph(1, false);
  w->SetTextFont("Arial", QColor(0, 0, 255), 14, TReportFRM::fsUnderline);
  w->AddLine("right");
  w->SetParagraph(0, true);
  w->SetTextFont("Courier New", QColor(), 10, 0);
  w->AddLine("bullet 1");
  w->AddLine("bullet 2\r\nbullet 3");
  w->SetParagraph(2, false);
  w->AddLine("");
  w->AddLine("centre");
  QTextDocument* d = w->Doc->document();
  ASSERT_EQ(d->blockCount(), 6);
  EXPECT_TRUE(d->findBlockByNumber(0).blockFormat().alignment() & Qt::AlignRight);
  QTextCharFormat f = d->findBlockByNumber(0).begin().fragment().charFormat();
  EXPECT_TRUE(f.fontUnderline());
  EXPECT_EQ(f.foreground().color(), QColor(0, 0, 255));
  EXPECT_DOUBLE_EQ(f.fontPointSize(), 14);
  QTextList* list = d->findBlockByNumber(1).textList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(d->findBlockByNumber(2).textList(), list);
  EXPECT_EQ(d->findBlockByNumber(3).text(), "bullet 3");
  EXPECT_EQ(d->findBlockByNumber(3).textList(), list);
  EXPECT_EQ(d->findBlockByNumber(4).textList(), nullptr);
  EXPECT_EQ(d->findBlockByNumber(4).text(), "");
  EXPECT_TRUE(d->findBlockByNumber(5).blockFormat().alignment() & Qt::AlignHCenter);
  EXPECT_FALSE(d->isUndoAvailable());  // a report keeps no undo history
  EXPECT_EQ(w->MessageBox("hello", plat::MB_OK), plat::IDOK);
  EXPECT_EQ(seam.messages.back().title, "List");
}

TEST_F(ReportTest, KeysAndClicksRefreshTheStatus) {
  w->show();
  SendKey(w->Doc, Qt::Key_A, "a");
  SendKey(w->Doc, Qt::Key_B, "b");
  EXPECT_EQ(w->EditorStatus[0]->text(), "Row=1, Col.=3");
  EXPECT_EQ(w->EditorStatus[1]->text(), "Size=2 characters");
  EXPECT_TRUE(w->windowTitle().endsWith("*"));
  SendKey(w->Doc, Qt::Key_Return, "\r");
  EXPECT_EQ(w->EditorStatus[0]->text(), "Row=2, Col.=1");
  QApplication::clipboard()->setText("clip");
  QApplication::processEvents();
  EXPECT_TRUE(w->ClipboardPasteACTN->isEnabled());
  w->ClipboardPasteACTN->trigger();
  EXPECT_EQ(Text(), "ab\nclip");
  w->ClipboardUndoACTN->trigger();
  EXPECT_EQ(Text(), "ab\n");
  w->ClipboardSelectAllACTN->trigger();
  w->ClipboardDeleteACTN->trigger();
  EXPECT_EQ(Text(), "");
  w->Doc->document()->setModified(false);
  w->hide();
}
