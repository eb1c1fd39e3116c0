// The rich-text report window: a small editor whose read-only documents are the system's reports.
#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextList>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "database/DXClass.h"

class QTextEdit;
class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QComboBox;
class QLabel;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QTimer;
class QPrinter;

// The find and replace dialogs of the report window (non-modal, searching downwards).
class TSearchDLG : public QDialog {
  Q_OBJECT
 public:
  TSearchDLG(QWidget* parent, bool replace);
  QString FindText() const;
  QString ReplaceText() const;
  bool MatchCase() const;
  bool WholeWord() const;
  void SetFindText(const QString& text);

  QLineEdit* FindEdit = nullptr;
  QLineEdit* ReplaceEdit = nullptr;  // replace dialog only
  QCheckBox* MatchCaseBOX = nullptr;
  QCheckBox* WholeWordBOX = nullptr;
  QPushButton* FindNextBTN = nullptr;
  QPushButton* ReplaceBTN = nullptr;     // replace dialog only
  QPushButton* ReplaceAllBTN = nullptr;  // replace dialog only
  QPushButton* CancelBTN = nullptr;

 signals:
  void FindNext();
  void Replace();
  void ReplaceAll();
};

class TReportFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TReportFRM(QWidget* owner = nullptr);
  ~TReportFRM() override;

  enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

  // The report protocol. Texts are Windows-1252 bytes.
  void NewDocument(const std::string& title, const std::string& fileName, bool readOnly,
                   bool wordWrap);
  void SetParagraph(int align, bool bullet);  // 0 left, 1 right, 2 centre
  void SetTextFont(const std::string& name, const QColor& color, int size, unsigned style);
  // The fonts of the program's reports: titles bold italic, headings bold, the body fixed.
  void TitleFont(int size);
  void HeadingFont(int size);
  void BodyFont(int size);
  // A centred title, then an empty body line at the left.
  void AddTitle(const std::string& title, int titleSize, int bodySize);
  void AddLine(const std::string& text);
  // Many lines of plain text (ended by CR LF, LF or CR), a few dozen to a paragraph (joined
  // by line breaks), so that a long text costs far less than a paragraph per line.
  void AddText(std::string_view text);
  int ShowReport();
  // Widens the window, within its screen, until lines of `columns` characters of the
  // document's default font fit unwrapped.
  void FitColumns(int columns);
  bool LoadDocument();
  int MessageBox(const std::string& text, unsigned flags);

  QTextEdit* Doc = nullptr;

  // --- document state ---
  const std::string& DocumentTitle() const { return title_; }
  const std::string& DocumentFolder() const { return folder_; }   // with trailing "/"
  const std::string& DocumentFileName() const { return fileName_; }
  std::string DocumentPath() const { return folder_ + fileName_; }
  bool Modified() const;
  bool ReadOnly() const { return readOnly_; }
  bool WordWrap() const { return wordWrap_; }
  bool PlainText() const { return plainText_; }  // the file is read and written as plain text

  // Saves the document to its file (rich text or plain text); reports failures.
  bool SaveDocument();
  // Status panels, caption, tool-bar state and action availability.
  void RefreshStatus();
  // Asks before losing unsaved changes; true when the window may go on.
  bool ConfirmDiscard();
  // Search downwards from the end of the selection; true on a hit (selected, or replaced).
  bool FindNext(const QString& text, bool matchCase, bool wholeWord);
  bool ReplaceNext(const QString& text, const QString& replacement, bool matchCase,
                   bool wholeWord);
  int ReplaceAll(const QString& text, const QString& replacement, bool matchCase,
                 bool wholeWord);
  // Applies a size typed into the size box (a whole number of at least 8).
  void FontSizeChange(const QString& text);
  void FontNameChange(const QString& name);
  // The printer the print and printer set-up dialogs work on (made on first use).
  QPrinter& Printer();

  // --- menus, actions and bars ---
  QMenu* FileMENU = nullptr;
  QMenu* EditMENU = nullptr;
  QMenu* StyleMENU = nullptr;
  QMenu* PopupMENU = nullptr;
  QToolBar* FileBAR = nullptr;
  QToolBar* FontBAR = nullptr;
  QToolBar* ParagraphBAR = nullptr;
  QToolBar* ClipboardBAR = nullptr;
  QComboBox* FontName = nullptr;
  QComboBox* FontSize = nullptr;
  std::array<QLabel*, 3> EditorStatus{};

  QAction* FileNewACTN = nullptr;
  QAction* FileOpenACTN = nullptr;
  QAction* FileSaveACTN = nullptr;
  QAction* FileSaveAsACTN = nullptr;
  QAction* FileSetupPrinterACTN = nullptr;
  QAction* FilePrintACTN = nullptr;
  QAction* FileCloseACTN = nullptr;
  QAction* OptionsWordWrapACTN = nullptr;
  QAction* FontBoldACTN = nullptr;
  QAction* FontItalicsACTN = nullptr;
  QAction* FontUnderlineACTN = nullptr;
  QAction* FontStrikeOutACTN = nullptr;
  QAction* FontChooseACTN = nullptr;
  QAction* FontColorACTN = nullptr;
  QAction* ParagraphAlignLeftACTN = nullptr;
  QAction* ParagraphAlignCenterACTN = nullptr;
  QAction* ParagraphAlignRightACTN = nullptr;
  QAction* ParagraphBulletListACTN = nullptr;
  QAction* ClipboardCutACTN = nullptr;
  QAction* ClipboardCopyACTN = nullptr;
  QAction* ClipboardPasteACTN = nullptr;
  QAction* ClipboardDeleteACTN = nullptr;
  QAction* ClipboardSelectAllACTN = nullptr;
  QAction* ClipboardUndoACTN = nullptr;
  QAction* SearchFindACTN = nullptr;
  QAction* SearchReplaceACTN = nullptr;

  TSearchDLG* FindDLG = nullptr;     // made on first use
  TSearchDLG* ReplaceDLG = nullptr;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenusAndBars();
  QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& key,
                      std::function<void()> handler, bool checkable = false);
  void Guarded(const std::function<void()>& fn);
  void SetWordWrap(bool on);
  void SetDocumentFile(const std::string& path);
  bool LoadFrom(const std::string& path);
  void ScheduleRefresh();
  // Refreshes the status when the document's state changes.
  void WatchDocument();
  // Every text reaches the document through Fill: `put` adds it, then the lines from the
  // block holding `from` on that are too long to lay out are broken into pieces.
  void Fill(int from, const std::function<void()>& put);
  void AddParagraph(const QString& line);
  void AppendParagraph(const QString& line);
  void MergeFormat(const QTextCharFormat& f);
  void ShowSearch(bool replace);

  void FileNew();
  void FileOpen();
  void FileSave();
  void FileSaveAs();
  void FileSetupPrinter();
  void FilePrint();
  void FileClose();
  void ToggleBold();
  void ToggleItalic();
  void ToggleUnderline();
  void ToggleStrikeOut();
  void ChooseFont();
  void ChooseColor();
  void ToggleBullets();

  std::string title_;
  std::string folder_;
  std::string fileName_;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  bool plainText_ = false;
  bool updating_ = false;
  bool clipboardText_ = false;

  // Appending: a cursor kept at the end, and the formats for what follows.
  QTextCursor end_;
  QTextBlockFormat blockFormat_;
  QTextCharFormat charFormat_;
  bool bullet_ = false;
  QPointer<QTextList> list_;

  QActionGroup* alignGroup_ = nullptr;
  QTimer* refreshTimer_ = nullptr;
  std::unique_ptr<QPrinter> printer_;
};
