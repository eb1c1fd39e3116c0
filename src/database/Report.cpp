#include "database/Report.h"
#include "database/Looks.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Rtf.h"
#include "platform/Seams.h"

namespace {

const char kFileFilter[] =
    "Rich Text Format (*.RTF)|*.RTF|Plain text (*.TXT)|*.TXT|All files (*.*)|*.*";
const char kDefaultFileName[] = "new text file.rtf";
const char kUnsavedQuestion[] = "The document hasn't been saved yet.\rAre you sure?";
const char kNotFound[] = "Search string not found.";
// Documents opened in the window: far above any report, FAQ or help file, and small enough
// to open in about a second even as one unbroken line.
constexpr uint64_t kMaxDocumentSize = 4u << 20;
const int kFontSizes[] = {8, 9, 10, 12, 14, 16, 18, 20, 22, 24, 28, 32, 36, 40, 48, 56, 64, 80, 96};

bool IsPlainTextName(const std::string& path) {
  return plat::SameText(plat::ExtensionOf(path), ".TXT");
}

// Lines of a text added to a report: CR LF, LF and CR all end a line.
QStringList SplitLines(const QString& text) {
  QStringList r;
  QString cur;
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == '\r' || c == '\n') {
      r << cur;
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  r << cur;
  return r;
}

void CentreOnScreen(QWidget* w) {
  QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  QRect g = w->frameGeometry();
  g.moveCenter(s->availableGeometry().center());
  w->move(g.topLeft());
}

std::string ToMessage(const std::string& localPath) {
  return plat::ToAnsi(plat::FromLocal(localPath));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Find and replace dialogs

TSearchDLG::TSearchDLG(QWidget* parent, bool replace) : QDialog(parent) {
  setObjectName(replace ? "ReplaceDLG" : "FindDLG");
  setWindowTitle(replace ? "Replace" : "Find");
  setModal(false);
  auto* grid = new QGridLayout(this);
  auto* findLabel = new QLabel("Fi&nd what:", this);
  FindEdit = new QLineEdit(this);
  findLabel->setBuddy(FindEdit);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(FindEdit, 0, 1);
  int row = 1;
  if (replace) {
    auto* replaceLabel = new QLabel("Re&place with:", this);
    ReplaceEdit = new QLineEdit(this);
    replaceLabel->setBuddy(ReplaceEdit);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    row = 2;
  }
  WholeWordBOX = new QCheckBox("Match &whole word only", this);
  MatchCaseBOX = new QCheckBox("Match &case", this);
  grid->addWidget(WholeWordBOX, row, 0, 1, 2);
  grid->addWidget(MatchCaseBOX, row + 1, 0, 1, 2);

  auto* buttons = new QVBoxLayout;
  FindNextBTN = new QPushButton("&Find Next", this);
  FindNextBTN->setDefault(true);
  buttons->addWidget(FindNextBTN);
  connect(FindNextBTN, &QPushButton::clicked, this, &TSearchDLG::FindNext);
  if (replace) {
    ReplaceBTN = new QPushButton("&Replace", this);
    ReplaceAllBTN = new QPushButton("Replace &All", this);
    buttons->addWidget(ReplaceBTN);
    buttons->addWidget(ReplaceAllBTN);
    connect(ReplaceBTN, &QPushButton::clicked, this, &TSearchDLG::Replace);
    connect(ReplaceAllBTN, &QPushButton::clicked, this, &TSearchDLG::ReplaceAll);
  }
  CancelBTN = new QPushButton("Cancel", this);
  buttons->addWidget(CancelBTN);
  buttons->addStretch();
  connect(CancelBTN, &QPushButton::clicked, this, &QDialog::hide);
  grid->addLayout(buttons, 0, 2, row + 2, 1);
}

QString TSearchDLG::FindText() const { return FindEdit->text(); }
QString TSearchDLG::ReplaceText() const { return ReplaceEdit ? ReplaceEdit->text() : QString(); }
bool TSearchDLG::MatchCase() const { return MatchCaseBOX->isChecked(); }
bool TSearchDLG::WholeWord() const { return WholeWordBOX->isChecked(); }
void TSearchDLG::SetFindText(const QString& text) {
  FindEdit->setText(text);
  FindEdit->selectAll();
}

// ---------------------------------------------------------------------------------------------
// The window

TReportFRM::TReportFRM(QWidget* owner) : TDXForm(owner) {
  setObjectName("ReportFRM");
  setWindowTitle("Report");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setContextMenuPolicy(Qt::NoContextMenu);  // no tool-bar menu: the bars follow the document

  Doc = new QTextEdit(this);
  Doc->setObjectName("Doc");
  Doc->setAcceptRichText(true);
  Doc->setTabChangesFocus(false);
  Doc->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Doc->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QFont base;
  base.setFamilies(plat::FontFamiliesFor("MS Sans Serif"));
  base.setPointSize(10);
  Doc->document()->setDefaultFont(base);
  Doc->setContextMenuPolicy(Qt::CustomContextMenu);
  // Documents are laid out at most so narrow (see plat::FitLayout).
  Doc->setMinimumWidth(plat::kNarrowestText + 2 * Doc->frameWidth() +
                       Doc->verticalScrollBar()->sizeHint().width());
  setCentralWidget(Doc);
  Doc->installEventFilter(this);
  Doc->viewport()->installEventFilter(this);

  refreshTimer_ = new QTimer(this);
  refreshTimer_->setSingleShot(true);
  refreshTimer_->setInterval(0);
  connect(refreshTimer_, &QTimer::timeout, this, [this] { RefreshStatus(); });

  BuildActions();
  BuildMenusAndBars();

  connect(Doc, &QTextEdit::customContextMenuRequested, this, [this](const QPoint& pos) {
    RefreshStatus();
    PopupMENU->popup(Doc->viewport()->mapToGlobal(pos));
  });
  connect(Doc, &QTextEdit::cursorPositionChanged, this, [this] { ScheduleRefresh(); });
  connect(Doc, &QTextEdit::selectionChanged, this, [this] { ScheduleRefresh(); });
  WatchDocument();
  // The clipboard is asked once per change, not on every key.
  auto readClipboard = [this] {
    const QClipboard* cb = QGuiApplication::clipboard();
    const QMimeData* m = cb ? cb->mimeData() : nullptr;
    clipboardText_ = m && m->hasText();
  };
  readClipboard();
  if (QClipboard* cb = QGuiApplication::clipboard())
    connect(cb, &QClipboard::dataChanged, this, [this, readClipboard] {
      readClipboard();
      ScheduleRefresh();
    });

  resize(640, 480);
  NewDocument("", "", false, true);
}

TReportFRM::~TReportFRM() = default;

QPrinter& TReportFRM::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

QAction* TReportFRM::MakeAction(const char* name, const QString& caption,
                                const QKeySequence& key, std::function<void()> handler,
                                bool checkable) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!key.isEmpty()) {
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
  }
  a->setCheckable(checkable);
  looks::DressReportAction(a);
  connect(a, &QAction::triggered, this, [this, handler = std::move(handler)] {
    Guarded(handler);
    Guarded([this] { RefreshStatus(); });
  });
  addAction(a);
  return a;
}

void TReportFRM::Guarded(const std::function<void()>& fn) {
  plat::RunGuarded(fn, [this](const std::string& error) {
    MessageBox(error, plat::MB_OK | plat::MB_ICONERROR);
  });
}

void TReportFRM::BuildActions() {
  using QK = QKeySequence;
  const auto ctrlAlt = [](Qt::Key k) { return QK(Qt::CTRL | Qt::ALT | k); };
  FileNewACTN = MakeAction("FileNewACTN", "&New", QK(Qt::CTRL | Qt::Key_N), [this] { FileNew(); });
  FileOpenACTN =
      MakeAction("FileOpenACTN", "&Open", QK(Qt::CTRL | Qt::Key_O), [this] { FileOpen(); });
  FileSaveACTN =
      MakeAction("FileSaveACTN", "&Save", QK(Qt::CTRL | Qt::Key_S), [this] { FileSave(); });
  FileSaveAsACTN = MakeAction("FileSaveAsACTN", "S&ave as...", QK(), [this] { FileSaveAs(); });
  // Ctrl+R belongs to printer set-up alone: a shortcut shared by two actions fires neither.
  FileSetupPrinterACTN = MakeAction("FileSetupPrinterACTN", "P&rinter setup",
                                    QK(Qt::CTRL | Qt::Key_R), [this] { FileSetupPrinter(); });
  FilePrintACTN =
      MakeAction("FilePrintACTN", "&Print...", QK(Qt::CTRL | Qt::Key_P), [this] { FilePrint(); });
  FileCloseACTN =
      MakeAction("FileCloseACTN", "&Close", QK(Qt::ALT | Qt::Key_F4), [this] { FileClose(); });
  OptionsWordWrapACTN = MakeAction("OptionsWordWrapACTN", "Word &wrap", QK(Qt::CTRL | Qt::Key_W),
                                   [this] { SetWordWrap(!wordWrap_); }, true);
  FontBoldACTN = MakeAction("FontBoldACTN", "&Bold", ctrlAlt(Qt::Key_B), [this] { ToggleBold(); },
                            true);
  FontItalicsACTN = MakeAction("FontItalicsACTN", "&Italics", ctrlAlt(Qt::Key_I),
                               [this] { ToggleItalic(); }, true);
  FontUnderlineACTN = MakeAction("FontUnderlineACTN", "&Underline", ctrlAlt(Qt::Key_U),
                                 [this] { ToggleUnderline(); }, true);
  FontStrikeOutACTN = MakeAction("FontStrikeOutACTN", "S&trike out", ctrlAlt(Qt::Key_S),
                                 [this] { ToggleStrikeOut(); }, true);
  FontChooseACTN =
      MakeAction("FontChooseACTN", "&Font", ctrlAlt(Qt::Key_F), [this] { ChooseFont(); });
  FontColorACTN =
      MakeAction("FontColorACTN", "&Color", ctrlAlt(Qt::Key_O), [this] { ChooseColor(); });
  ParagraphAlignLeftACTN =
      MakeAction("ParagraphAlignLeftACTN", "Align &left", ctrlAlt(Qt::Key_L),
                 [this] { Doc->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); }, true);
  ParagraphAlignCenterACTN =
      MakeAction("ParagraphAlignCenterACTN", "C&enter", ctrlAlt(Qt::Key_C),
                 [this] { Doc->setAlignment(Qt::AlignHCenter); }, true);
  ParagraphAlignRightACTN =
      MakeAction("ParagraphAlignRightACTN", "Align &right", ctrlAlt(Qt::Key_R),
                 [this] { Doc->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); }, true);
  alignGroup_ = new QActionGroup(this);
  alignGroup_->setExclusive(true);
  alignGroup_->addAction(ParagraphAlignLeftACTN);
  alignGroup_->addAction(ParagraphAlignCenterACTN);
  alignGroup_->addAction(ParagraphAlignRightACTN);
  ParagraphBulletListACTN = MakeAction("ParagraphBulletListACTN", "&Bullet list",
                                       QK(Qt::CTRL | Qt::Key_L), [this] { ToggleBullets(); }, true);
  ClipboardCutACTN =
      MakeAction("ClipboardCutACTN", "Cu&t", QK(Qt::CTRL | Qt::Key_X), [this] { Doc->cut(); });
  ClipboardCopyACTN =
      MakeAction("ClipboardCopyACTN", "&Copy", QK(Qt::CTRL | Qt::Key_C), [this] { Doc->copy(); });
  ClipboardPasteACTN = MakeAction("ClipboardPasteACTN", "&Paste", QK(Qt::CTRL | Qt::Key_V),
                                  [this] { Doc->paste(); });
  ClipboardDeleteACTN = MakeAction("ClipboardDeleteACTN", "&Delete", QK(Qt::Key_Delete),
                                   [this] { Doc->textCursor().removeSelectedText(); });
  ClipboardSelectAllACTN = MakeAction("ClipboardSelectAllACTN", "Select &all",
                                      QK(Qt::CTRL | Qt::Key_A), [this] { Doc->selectAll(); });
  ClipboardUndoACTN =
      MakeAction("ClipboardUndoACTN", "&Undo", QK(Qt::CTRL | Qt::Key_Z), [this] { Doc->undo(); });
  SearchFindACTN =
      MakeAction("SearchFindACTN", "&Find", QK(Qt::CTRL | Qt::Key_F), [this] { ShowSearch(false); });
  SearchReplaceACTN = MakeAction("SearchReplaceACTN", "&Replace", QK(), [this] { ShowSearch(true); });
}

void TReportFRM::BuildMenusAndBars() {
  FileMENU = menuBar()->addMenu("&File");
  FileMENU->setObjectName("FileMENU");
  FileMENU->addActions({FileNewACTN, FileOpenACTN, FileSaveACTN, FileSaveAsACTN});
  FileMENU->addSeparator();
  FileMENU->addActions({FileSetupPrinterACTN, FilePrintACTN});
  FileMENU->addSeparator();
  FileMENU->addAction(FileCloseACTN);

  EditMENU = menuBar()->addMenu("&Edit");
  EditMENU->setObjectName("EditMENU");
  EditMENU->addAction(ClipboardUndoACTN);
  EditMENU->addSeparator();
  EditMENU->addActions({ClipboardCutACTN, ClipboardCopyACTN, ClipboardPasteACTN,
                        ClipboardDeleteACTN, ClipboardSelectAllACTN});
  EditMENU->addSeparator();
  EditMENU->addActions({SearchFindACTN, SearchReplaceACTN});
  EditMENU->addSeparator();
  EditMENU->addAction(OptionsWordWrapACTN);

  StyleMENU = menuBar()->addMenu("&Style");
  StyleMENU->setObjectName("StyleMENU");
  StyleMENU->addAction(FontChooseACTN);
  StyleMENU->addSeparator();
  StyleMENU->addActions({ParagraphAlignLeftACTN, ParagraphAlignCenterACTN,
                         ParagraphAlignRightACTN});
  StyleMENU->addSeparator();
  StyleMENU->addAction(ParagraphBulletListACTN);

  PopupMENU = new QMenu(this);
  PopupMENU->setObjectName("PopupMENU");
  PopupMENU->addAction(ClipboardUndoACTN);
  PopupMENU->addSeparator();
  PopupMENU->addActions({ClipboardCutACTN, ClipboardCopyACTN, ClipboardPasteACTN,
                         ClipboardDeleteACTN});
  PopupMENU->addSeparator();
  PopupMENU->addAction(ClipboardSelectAllACTN);

  FileBAR = addToolBar("File");
  FileBAR->setObjectName("FileBAR");
  FileBAR->addActions({FileNewACTN, FileOpenACTN, FileSaveACTN});
  FileBAR->addSeparator();
  FileBAR->addAction(FilePrintACTN);

  FontBAR = addToolBar("Font");
  FontBAR->setObjectName("FontBAR");
  FontName = new QComboBox(FontBAR);
  FontName->setObjectName("FontName");
  FontName->setEditable(true);
  FontName->setInsertPolicy(QComboBox::NoInsert);
  FontName->setMinimumContentsLength(16);
  FontName->addItems(QFontDatabase::families());
  FontBAR->addWidget(FontName);
  FontSize = new QComboBox(FontBAR);
  FontSize->setObjectName("FontSize");
  FontSize->setEditable(true);
  FontSize->setInsertPolicy(QComboBox::NoInsert);
  for (int s : kFontSizes) FontSize->addItem(QString::number(s));
  FontSize->setMinimumContentsLength(3);
  FontBAR->addWidget(FontSize);
  FontBAR->addSeparator();
  FontBAR->addActions({FontBoldACTN, FontItalicsACTN, FontUnderlineACTN, FontStrikeOutACTN});
  FontBAR->addSeparator();
  FontBAR->addAction(FontColorACTN);
  connect(FontName, &QComboBox::textActivated, this,
          [this](const QString& s) { Guarded([&] { FontNameChange(s); }); });
  connect(FontSize, &QComboBox::textActivated, this,
          [this](const QString& s) { Guarded([&] { FontSizeChange(s); }); });
  connect(FontSize->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& s) { Guarded([&] { FontSizeChange(s); }); });

  addToolBarBreak();
  ParagraphBAR = addToolBar("Paragraph");
  ParagraphBAR->setObjectName("ParagraphBAR");
  ParagraphBAR->addAction(OptionsWordWrapACTN);
  ParagraphBAR->addSeparator();
  ParagraphBAR->addActions({ParagraphAlignLeftACTN, ParagraphAlignCenterACTN,
                            ParagraphAlignRightACTN});
  ParagraphBAR->addSeparator();
  ParagraphBAR->addAction(ParagraphBulletListACTN);

  ClipboardBAR = addToolBar("Clipboard");
  ClipboardBAR->setObjectName("ClipboardBAR");
  ClipboardBAR->addAction(ClipboardUndoACTN);
  ClipboardBAR->addSeparator();
  ClipboardBAR->addActions({ClipboardCutACTN, ClipboardCopyACTN, ClipboardPasteACTN,
                            ClipboardDeleteACTN});
  ClipboardBAR->addSeparator();
  ClipboardBAR->addActions({SearchFindACTN, SearchReplaceACTN});

  for (QToolBar* bar : {FileBAR, FontBAR, ParagraphBAR, ClipboardBAR}) bar->setMovable(false);

  const int widths[3] = {100, 120, 50};
  for (size_t i = 0; i < EditorStatus.size(); ++i) {
    EditorStatus[i] = new QLabel(statusBar());
    EditorStatus[i]->setObjectName(QString("EditorStatus%1").arg(i + 1));
    EditorStatus[i]->setMinimumWidth(widths[i]);
    statusBar()->addWidget(EditorStatus[i], i + 1 == EditorStatus.size() ? 1 : 0);
  }
  statusBar()->setObjectName("EditorStatus");
}

// ---------------------------------------------------------------------------------------------
// The report protocol

void TReportFRM::NewDocument(const std::string& title, const std::string& fileName,
                             bool readOnly, bool wordWrap) {
  readOnly_ = readOnly;
  const bool editable = !readOnly;
  FileMENU->setTitle(editable ? "&File" : "&Report");
  for (QAction* a : {FileNewACTN, FileOpenACTN, FileSaveACTN, FontBoldACTN, FontItalicsACTN,
                     FontUnderlineACTN, FontStrikeOutACTN, ParagraphAlignLeftACTN,
                     ParagraphAlignCenterACTN, ParagraphAlignRightACTN, ParagraphBulletListACTN,
                     ClipboardCutACTN, ClipboardPasteACTN, ClipboardDeleteACTN, ClipboardUndoACTN,
                     SearchReplaceACTN, FontColorACTN}) {
    a->setEnabled(editable);
    a->setVisible(editable);
  }
  FontBAR->setVisible(editable);
  ParagraphBAR->setVisible(editable);
  ClipboardBAR->setVisible(editable);
  if (ReplaceDLG && readOnly) ReplaceDLG->hide();
  Doc->setReadOnly(readOnly);
  if (readOnly)
    Doc->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  SetDocumentFile(fileName.empty() ? kDefaultFileName : fileName);
  plainText_ = IsPlainTextName(fileName_);
  title_ = !title.empty() ? title : (editable ? "Text Editor" : "Report");
  SetWordWrap(wordWrap);

  QTextDocument* d = Doc->document();
  d->setUndoRedoEnabled(false);
  Doc->clear();
  d->setUndoRedoEnabled(editable);  // a report has nothing to undo
  Doc->setCurrentCharFormat(QTextCharFormat());
  blockFormat_ = QTextBlockFormat();
  charFormat_ = QTextCharFormat();
  bullet_ = false;
  list_ = nullptr;
  end_ = QTextCursor(d);
  d->setModified(false);
  RefreshStatus();
}

void TReportFRM::SetParagraph(int align, bool bullet) {
  blockFormat_ = QTextBlockFormat();
  blockFormat_.setAlignment(align == 1   ? Qt::AlignRight | Qt::AlignAbsolute
                            : align == 2 ? Qt::AlignHCenter
                                         : Qt::AlignLeft | Qt::AlignAbsolute);
  if (bullet != bullet_) list_ = nullptr;
  bullet_ = bullet;
}

void TReportFRM::SetTextFont(const std::string& name, const QColor& color, int size,
                             unsigned style) {
  QTextCharFormat f;
  plat::SetCharFontName(f, plat::FromAnsi(name));
  if (size > 0) f.setFontPointSize(size);
  f.setFontWeight(style & fsBold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(style & fsItalic);
  f.setFontUnderline(style & fsUnderline);
  f.setFontStrikeOut(style & fsStrikeOut);
  if (color.isValid()) f.setForeground(color);
  charFormat_ = f;
}

void TReportFRM::TitleFont(int size) {
  SetTextFont("Times New Roman", QColor(Qt::black), size, fsBold | fsItalic);
}

void TReportFRM::HeadingFont(int size) {
  SetTextFont("Times New Roman", QColor(Qt::black), size, fsBold);
}

void TReportFRM::BodyFont(int size) { SetTextFont("Courier New", QColor(Qt::black), size, 0); }

void TReportFRM::AddTitle(const std::string& title, int titleSize, int bodySize) {
  SetParagraph(2, false);
  TitleFont(titleSize);
  AddLine(title);
  SetParagraph(0, false);
  BodyFont(bodySize);
  AddLine("");
}

void TReportFRM::AddLine(const std::string& text) {
  for (const QString& line : SplitLines(plat::FromAnsi(text))) AddParagraph(line);
}

void TReportFRM::AddText(std::string_view text) {
  // A paragraph per line costs hundreds of bytes each: lines go in groups, short enough that
  // only a line of its own is ever broken into pieces.
  constexpr int kLinesPerParagraph = 64;
  QString group;
  int lines = 0;
  plat::ForEachLine(text, [&](std::string_view line, size_t) {
    if (lines && group.size() + static_cast<qsizetype>(line.size()) >= plat::kShownPieceLength) {
      AddParagraph(group);
      group.clear();
      lines = 0;
    }
    if (lines++) group += QChar::LineSeparator;
    group += plat::FromAnsi(std::string(line));
    if (lines == kLinesPerParagraph) {
      AddParagraph(group);
      group.clear();
      lines = 0;
    }
  });
  if (lines) AddParagraph(group);
}

void TReportFRM::Fill(int from, const std::function<void()>& put) {
  QTextDocument* d = Doc->document();
  QTextCursor hold(d);
  hold.beginEditBlock();  // nothing is laid out before the long lines are broken
  put();
  plat::BreakLongLines(*d, from);
  hold.endEditBlock();
}

void TReportFRM::AddParagraph(const QString& line) {
  QTextDocument* d = Doc->document();
  Fill(d->lastBlock().position(), [&] { AppendParagraph(line); });
}

void TReportFRM::AppendParagraph(const QString& line) {
  QTextDocument* d = Doc->document();
  if (end_.isNull() || end_.document() != d) end_ = QTextCursor(d);
  end_.movePosition(QTextCursor::End);
  if (d->isEmpty()) {
    end_.setBlockFormat(blockFormat_);
    end_.setBlockCharFormat(charFormat_);
    end_.setCharFormat(charFormat_);
  } else {
    end_.insertBlock(blockFormat_, charFormat_);
  }
  if (!line.isEmpty()) end_.insertText(line, charFormat_);
  list_ = bullet_ ? plat::AddBulletItem(end_, list_) : nullptr;
  if (readOnly_) d->setModified(false);
  ScheduleRefresh();
}

int TReportFRM::ShowReport() {
  RefreshStatus();
  return ShowModal();
}

void TReportFRM::FitColumns(int columns) {
  if (layout()) layout()->activate();  // the text box gets its place in the window
  const QFontMetricsF metrics(Doc->document()->defaultFont());
  const int text = static_cast<int>(std::ceil(metrics.horizontalAdvance(QString(columns, 'W')) +
                                              2 * Doc->document()->documentMargin()));
  const int chrome = width() - Doc->width() + 2 * Doc->frameWidth() +
                     Doc->verticalScrollBar()->sizeHint().width();
  int wanted = text + chrome;
  if (const QScreen* s = screen()) wanted = std::min(wanted, s->availableGeometry().width());
  if (wanted > width()) resize(wanted, height());
}

bool TReportFRM::LoadDocument() { return LoadFrom(DocumentPath()); }

int TReportFRM::MessageBox(const std::string& text, unsigned flags) {
  return plat::Ui().MessageBox(this, title_, text, flags);
}

// ---------------------------------------------------------------------------------------------
// Files

bool TReportFRM::Modified() const { return !readOnly_ && Doc->document()->isModified(); }

void TReportFRM::SetDocumentFile(const std::string& path) {
  std::string full = plat::AbsolutePath(path);
  folder_ = plat::DirectoryOf(full);
  fileName_ = plat::FileNameOf(full);
}

bool TReportFRM::LoadFrom(const std::string& path) {
  const int64_t start = plat::Ui().ThreadCpuMs();
  std::string real = path;
  if (!plat::FileExists(real))
    if (auto r = plat::ResolveNoCase(path)) real = *r;
  std::string data, error;
  if (!plat::ReadRegularFile(real, data, kMaxDocumentSize, &error)) {
    MessageBox("The file \"" + ToMessage(path) + "\" could not be opened.\r" + error,
               plat::MB_OK | plat::MB_ICONERROR);
    return false;
  }
  // A document past the bounds of what the window shows is shown in part, never edited: its
  // file would lose the rest when saved. It is read into a document of its own, laid out apart
  // from the window, so that an editor refusing it keeps the document it has.
  const bool rich = !plainText_ && plat::IsRtf(data);
  QTextDocument* old = Doc->document();
  auto d = std::make_unique<QTextDocument>(Doc);
  d->setDefaultFont(old->defaultFont());
  d->setUndoRedoEnabled(false);
  std::string past;
  {
    QTextCursor hold(d.get());
    hold.beginEditBlock();  // nothing is laid out before the long lines are broken
    past = rich ? plat::ReadRtf(data, *d) : plat::ReadPlainText(data, *d);
    plat::BreakLongLines(*d);
    hold.endEditBlock();
  }
  const std::string cut = plat::FitLayout(*d, start);
  if (!cut.empty()) past = past.empty() ? cut : past + " and " + cut;
  if (!readOnly_ && !past.empty()) {
    MessageBox("The file \"" + ToMessage(path) + "\" could not be opened.\rIt holds " + past +
                   ", more than the editor takes.",
               plat::MB_OK | plat::MB_ICONERROR);
    return false;
  }
  if (!rich) plainText_ = true;  // written back as it came
  const bool ours = old->parent() == Doc;  // the first is the editor's, deleted by it
  Doc->setDocument(d.release());
  WatchDocument();
  if (ours) delete old;
  QTextDocument* shown = Doc->document();
  shown->setUndoRedoEnabled(!readOnly_);
  end_ = QTextCursor(shown);
  list_ = nullptr;
  Doc->moveCursor(QTextCursor::Start);
  shown->setModified(false);
  RefreshStatus();
  if (!past.empty())
    MessageBox("The file \"" + ToMessage(path) + "\" holds " + past +
                   ", more than the window shows: it is shown in part.",
               plat::MB_OK | plat::MB_ICONWARNING);
  return true;
}

bool TReportFRM::SaveDocument() {
  QTextDocument* d = Doc->document();
  std::string data = plainText_ ? plat::WritePlainText(*d) : plat::WriteRtf(*d);
  std::string error;
  if (!plat::WriteFileAtomic(DocumentPath(), data, &error)) {
    MessageBox("The file \"" + ToMessage(DocumentPath()) + "\" could not be saved.\r" + error,
               plat::MB_OK | plat::MB_ICONERROR);
    return false;
  }
  d->setModified(false);
  RefreshStatus();
  return true;
}

bool TReportFRM::ConfirmDiscard() {
  if (!Modified()) return true;
  return MessageBox(kUnsavedQuestion, plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES;
}

void TReportFRM::FileNew() {
  if (!ConfirmDiscard()) return;
  NewDocument("", "", false, wordWrap_);
}

// Asks for a document file with the window's open or save dialog, makes it the document file
// and runs `use` on it; when that fails the document keeps its previous file.
template <class Use>
static void ChooseDocumentFile(TReportFRM* w, bool save, std::string& folder, std::string& name,
                               bool& plain, Use use) {
  plat::FileDialogRequest r;
  r.save = save;
  r.title = save ? "Save as..." : "Open";
  r.filter = kFileFilter;
  r.filterIndex = plain ? 2 : 1;
  r.initialDir = folder;
  r.fileName = name;
  r.defaultExt = "RTF";
  r.mustExist = !save;
  r.overwritePrompt = save;
  auto chosen = plat::Ui().FileDialog(w, r);
  if (!chosen) return;
  const std::string oldFolder = folder, oldName = name;
  const bool oldPlain = plain;
  plain = r.filterIndex != 1;  // any filter but the first is plain text
  if (!use(*chosen)) {
    // The document on screen still belongs to the old file.
    folder = oldFolder;
    name = oldName;
    plain = oldPlain;
  }
}

void TReportFRM::FileOpen() {
  if (!ConfirmDiscard()) return;
  ChooseDocumentFile(this, false, folder_, fileName_, plainText_, [this](const std::string& f) {
    SetDocumentFile(f);
    return LoadDocument();
  });
}

void TReportFRM::FileSave() {
  std::string path = DocumentPath();
  if (plat::FileExists(path) || plat::ResolveNoCase(path))
    SaveDocument();
  else
    FileSaveAs();
}

void TReportFRM::FileSaveAs() {
  ChooseDocumentFile(this, true, folder_, fileName_, plainText_, [this](const std::string& f) {
    SetDocumentFile(f);
    return SaveDocument();
  });
}

void TReportFRM::FileSetupPrinter() { plat::Ui().PrinterSetupDialog(this, Printer()); }

void TReportFRM::FilePrint() {
  QPrinter& p = Printer();
  if (!plat::Ui().PrintDialog(this, p)) return;
  p.setDocName(plat::FromLocal(fileName_));
  Doc->document()->print(&p);
  if (p.printerState() == QPrinter::Error || p.printerState() == QPrinter::Aborted) {
    std::string where = p.outputFileName().isEmpty()
                            ? plat::ToAnsi(p.printerName())
                            : ToMessage(plat::ToLocal(p.outputFileName()));
    MessageBox("The document could not be printed on \"" + where + "\".",
               plat::MB_OK | plat::MB_ICONERROR);
  }
}

void TReportFRM::FileClose() {
  const bool modified = Modified();
  if (modified) {
    if (MessageBox(kUnsavedQuestion, plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
      return;
    Doc->document()->setModified(false);
  }
  if (IsModal())
    SetModalResult(modified ? mrCancel : mrOk);
  else
    close();
}

void TReportFRM::closeEvent(QCloseEvent* e) {
  if (Modified()) {
    int answer = plat::IDNO;
    Guarded([&] { answer = MessageBox(kUnsavedQuestion, plat::MB_YESNO | plat::MB_ICONWARNING); });
    if (answer != plat::IDYES) {
      e->ignore();
      return;
    }
    Doc->document()->setModified(false);
  }
  if (FindDLG) FindDLG->hide();
  if (ReplaceDLG) ReplaceDLG->hide();
  TDXForm::closeEvent(e);
}

void TReportFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  if (e->spontaneous()) return;
  CentreOnScreen(this);
  Doc->moveCursor(QTextCursor::Start);
  Doc->setFocus();
  RefreshStatus();
}

bool TReportFRM::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Doc || watched == Doc->viewport()) &&
      (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease))
    RefreshStatus();
  return TDXForm::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Status

void TReportFRM::WatchDocument() {
  connect(Doc->document(), &QTextDocument::modificationChanged, this,
          [this](bool) { ScheduleRefresh(); });
  connect(Doc->document(), &QTextDocument::undoAvailable, this, [this](bool) { ScheduleRefresh(); });
}

void TReportFRM::ScheduleRefresh() {
  if (!refreshTimer_->isActive()) refreshTimer_->start();
}

void TReportFRM::SetWordWrap(bool on) {
  wordWrap_ = on;
  Doc->setLineWrapMode(on ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  OptionsWordWrapACTN->setChecked(on);
}

void TReportFRM::RefreshStatus() {
  refreshTimer_->stop();
  updating_ = true;
  QTextDocument* d = Doc->document();
  const QTextCursor c = Doc->textCursor();
  const bool editable = !readOnly_;
  EditorStatus[0]->setText(
      QString("Row=%1, Col.=%2").arg(c.blockNumber() + 1).arg(c.positionInBlock() + 1));
  EditorStatus[1]->setText(QString("Size=%1 characters").arg(d->characterCount() - 1));
  if (readOnly_ && d->isModified()) d->setModified(false);
  EditorStatus[2]->setText(readOnly_ ? "Read only" : "Editor");

  QString caption = plat::FromAnsi(title_) + " [" + plat::FromLocal(DocumentPath()) + "]";
  if (Modified()) caption += "*";
  if (windowTitle() != caption) setWindowTitle(caption);

  const QTextCharFormat cf = Doc->currentCharFormat();
  const QFont f = cf.font().resolve(d->defaultFont());
  const QStringList fams = f.families();
  const QString family = fams.isEmpty() ? f.family() : fams.first();
  if (FontName->currentText() != family) FontName->setEditText(family);
  const QString size = f.pointSizeF() > 0 ? QString::number(f.pointSizeF()) : QString();
  if (FontSize->currentText() != size && !FontSize->lineEdit()->hasFocus())
    FontSize->setEditText(size);
  FontBoldACTN->setChecked(f.bold());
  FontItalicsACTN->setChecked(f.italic());
  FontUnderlineACTN->setChecked(f.underline());
  FontStrikeOutACTN->setChecked(f.strikeOut());

  const Qt::Alignment a = Doc->alignment() & Qt::AlignHorizontal_Mask;
  if (a & Qt::AlignHCenter)
    ParagraphAlignCenterACTN->setChecked(true);
  else if (a & (Qt::AlignRight | Qt::AlignTrailing))
    ParagraphAlignRightACTN->setChecked(true);
  else
    ParagraphAlignLeftACTN->setChecked(true);
  for (QAction* act : {ParagraphAlignLeftACTN, ParagraphAlignCenterACTN, ParagraphAlignRightACTN})
    act->setEnabled(editable && wordWrap_);
  ParagraphBulletListACTN->setChecked(c.currentList() != nullptr);

  const bool selected = c.hasSelection();
  const bool empty = d->isEmpty();
  ClipboardUndoACTN->setEnabled(editable && d->isUndoAvailable());
  ClipboardCutACTN->setEnabled(editable && selected);
  ClipboardCopyACTN->setEnabled(selected);
  ClipboardDeleteACTN->setEnabled(editable && selected);
  ClipboardPasteACTN->setEnabled(editable && clipboardText_);
  ClipboardSelectAllACTN->setEnabled(!empty);
  SearchFindACTN->setEnabled(!empty);
  SearchReplaceACTN->setEnabled(editable && !empty);
  updating_ = false;
}

// ---------------------------------------------------------------------------------------------
// Character and paragraph formats

void TReportFRM::MergeFormat(const QTextCharFormat& f) {
  if (readOnly_) return;
  Doc->mergeCurrentCharFormat(f);
}

void TReportFRM::FontNameChange(const QString& name) {
  if (updating_ || name.trimmed().isEmpty()) return;
  QTextCharFormat f;
  plat::SetCharFontName(f, name.trimmed());
  MergeFormat(f);
  RefreshStatus();
}

void TReportFRM::FontSizeChange(const QString& text) {
  if (updating_) return;
  bool ok = false;
  int size = text.trimmed().toInt(&ok);
  if (!ok || size < 8 || size > plat::kMaxPointSize) return;
  QTextCharFormat f;
  f.setFontPointSize(size);
  MergeFormat(f);
  RefreshStatus();
}

namespace {
QFont SelectionFont(QTextEdit* doc) {
  return doc->currentCharFormat().font().resolve(doc->document()->defaultFont());
}
}  // namespace

void TReportFRM::ToggleBold() {
  QTextCharFormat f;
  f.setFontWeight(SelectionFont(Doc).bold() ? QFont::Normal : QFont::Bold);
  MergeFormat(f);
}

void TReportFRM::ToggleItalic() {
  QTextCharFormat f;
  f.setFontItalic(!SelectionFont(Doc).italic());
  MergeFormat(f);
}

void TReportFRM::ToggleUnderline() {
  QTextCharFormat f;
  f.setFontUnderline(!SelectionFont(Doc).underline());
  MergeFormat(f);
}

void TReportFRM::ToggleStrikeOut() {
  QTextCharFormat f;
  f.setFontStrikeOut(!SelectionFont(Doc).strikeOut());
  MergeFormat(f);
}

void TReportFRM::ChooseFont() {
  QFont font = SelectionFont(Doc);
  if (!plat::Ui().FontDialog(this, font)) return;
  QTextCharFormat f;
  const QStringList fams = font.families();
  plat::SetCharFontName(f, fams.isEmpty() ? font.family() : fams.first());
  if (font.pointSizeF() > 0)
    f.setFontPointSize(std::min<double>(font.pointSizeF(), plat::kMaxPointSize));
  f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
  f.setFontItalic(font.italic());
  f.setFontUnderline(font.underline());
  f.setFontStrikeOut(font.strikeOut());
  MergeFormat(f);
}

void TReportFRM::ChooseColor() {
  const QTextCharFormat cf = Doc->currentCharFormat();
  QColor color = cf.foreground().style() != Qt::NoBrush ? cf.foreground().color()
                                                        : Doc->palette().color(QPalette::Text);
  if (!plat::Ui().ColorDialog(this, color)) return;
  QTextCharFormat f;
  f.setForeground(color);
  MergeFormat(f);
}

void TReportFRM::ToggleBullets() {
  if (readOnly_) return;
  QTextCursor c = Doc->textCursor();
  c.beginEditBlock();
  if (c.currentList()) {
    QTextDocument* d = Doc->document();
    QTextBlock b = d->findBlock(c.selectionStart());
    const QTextBlock last = d->findBlock(c.selectionEnd());
    while (b.isValid()) {
      if (QTextList* l = b.textList()) l->remove(b);
      if (b == last) break;
      b = b.next();
    }
  } else {
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDisc);
    lf.setIndent(1);
    c.createList(lf);
  }
  c.endEditBlock();
}

// ---------------------------------------------------------------------------------------------
// Searching

namespace {
QTextDocument::FindFlags SearchFlags(bool matchCase, bool wholeWord) {
  QTextDocument::FindFlags f;
  if (matchCase) f |= QTextDocument::FindCaseSensitively;
  if (wholeWord) f |= QTextDocument::FindWholeWords;
  return f;
}
}  // namespace

bool TReportFRM::FindNext(const QString& text, bool matchCase, bool wholeWord) {
  if (text.isEmpty()) return false;
  QTextCursor hit = Doc->document()->find(text, Doc->textCursor().selectionEnd(),
                                          SearchFlags(matchCase, wholeWord));
  if (hit.isNull()) return false;
  Doc->setTextCursor(hit);
  return true;
}

bool TReportFRM::ReplaceNext(const QString& text, const QString& replacement, bool matchCase,
                             bool wholeWord) {
  if (readOnly_ || text.isEmpty()) return false;
  QTextCursor hit = Doc->document()->find(text, Doc->textCursor().selectionEnd(),
                                          SearchFlags(matchCase, wholeWord));
  if (hit.isNull()) return false;
  hit.insertText(replacement);
  Doc->setTextCursor(hit);
  return true;
}

int TReportFRM::ReplaceAll(const QString& text, const QString& replacement, bool matchCase,
                           bool wholeWord) {
  if (readOnly_ || text.isEmpty()) return 0;
  QTextDocument* d = Doc->document();
  const auto flags = SearchFlags(matchCase, wholeWord);
  QTextCursor group(d);
  group.beginEditBlock();
  int count = 0;
  int pos = Doc->textCursor().selectionEnd();
  QTextCursor last;
  for (;;) {
    QTextCursor hit = d->find(text, pos, flags);
    if (hit.isNull()) break;
    hit.insertText(replacement);
    pos = hit.position();  // after the inserted text: a replacement is never searched again
    last = hit;
    ++count;
  }
  group.endEditBlock();
  if (!last.isNull()) Doc->setTextCursor(last);
  return count;
}

void TReportFRM::ShowSearch(bool replace) {
  TSearchDLG*& dlg = replace ? ReplaceDLG : FindDLG;
  if (!dlg) {
    dlg = new TSearchDLG(this, replace);
    TSearchDLG* self = dlg;
    connect(dlg, &TSearchDLG::FindNext, this, [this, self] {
      Guarded([&] {
        if (!FindNext(self->FindText(), self->MatchCase(), self->WholeWord()))
          MessageBox(kNotFound, plat::MB_OK | plat::MB_ICONINFORMATION);
        RefreshStatus();
      });
    });
    connect(dlg, &TSearchDLG::Replace, this, [this, self] {
      Guarded([&] {
        if (!ReplaceNext(self->FindText(), self->ReplaceText(), self->MatchCase(),
                         self->WholeWord()))
          MessageBox(kNotFound, plat::MB_OK | plat::MB_ICONINFORMATION);
        RefreshStatus();
      });
    });
    connect(dlg, &TSearchDLG::ReplaceAll, this, [this, self] {
      Guarded([&] {
        ReplaceAll(self->FindText(), self->ReplaceText(), self->MatchCase(), self->WholeWord());
        RefreshStatus();
      });
    });
  }
  QString selected = Doc->textCursor().selectedText();
  qsizetype brk = selected.indexOf(QChar(0x2029));
  if (brk >= 0) selected.truncate(brk);
  dlg->SetFindText(selected);
  dlg->show();
  dlg->raise();
  dlg->activateWindow();
}
