#include "database/Looks.h"

#include <QAction>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <cstring>

namespace looks {

QIcon DrawnIcon(const QString& glyph, const QColor& colour) {
  QIcon icon;
  for (int size : {16, 22, 32}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    QFont f;
    f.setBold(true);
    f.setPixelSize(glyph.size() > 1 ? size * 9 / 20 : size * 2 / 3);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

QIcon ThemedIcon(const char* theme, const char* glyph, unsigned colour) {
  return QIcon::fromTheme(QString::fromLatin1(theme),
                          DrawnIcon(QString::fromUtf8(glyph), QColor(colour)));
}

void Dress(QAction* a, const QIcon& icon, const char* hint) {
  a->setIcon(icon);
  const QString text = QString::fromUtf8(hint);
  const QString keys = a->shortcut().toString(QKeySequence::NativeText);
  a->setToolTip(keys.isEmpty() ? text : text + " (" + keys + ")");
  a->setStatusTip(text);
  if (a->isCheckable()) a->setIconVisibleInMenu(false);  // the menu shows its check mark
}

namespace {

struct ReportLook {
  const char* name;
  const char* theme;
  const char* glyph;
  const char* hint;
};

const unsigned kFileColour = 0x3465a4, kStyleColour = 0x75507b, kEditColour = 0x4e9a06;

const ReportLook kReportLooks[] = {
    {"FileNewACTN", "document-new", "+", "Start a new document"},
    {"FileOpenACTN", "document-open", "\u25B2", "Open a document"},
    {"FileSaveACTN", "document-save", "\u2193", "Save the document"},
    {"FileSaveAsACTN", "document-save-as", "\u21D3", "Save the document under another name"},
    {"FileSetupPrinterACTN", "document-page-setup", "Ps", "Choose and set up the printer"},
    {"FilePrintACTN", "document-print", "P", "Print the document"},
    {"FileCloseACTN", "window-close", "\u00D7", "Close the window"},
    {"OptionsWordWrapACTN", "format-justify-fill", "\u21B5", "Wrap long lines at the window's edge"},
    {"FontBoldACTN", "format-text-bold", "B", "Bold"},
    {"FontItalicsACTN", "format-text-italic", "I", "Italics"},
    {"FontUnderlineACTN", "format-text-underline", "U", "Underline"},
    {"FontStrikeOutACTN", "format-text-strikethrough", "S", "Strike out"},
    {"FontChooseACTN", "preferences-desktop-font", "F", "Choose the font"},
    {"FontColorACTN", "format-text-color", "\u25A0", "Choose the text colour"},
    {"ParagraphAlignLeftACTN", "format-justify-left", "\u2190", "Align to the left"},
    {"ParagraphAlignCenterACTN", "format-justify-center", "\u2194", "Centre"},
    {"ParagraphAlignRightACTN", "format-justify-right", "\u2192", "Align to the right"},
    {"ParagraphBulletListACTN", "format-list-unordered", "\u2022", "Bullet list"},
    {"ClipboardCutACTN", "edit-cut", "X", "Cut the selection to the clipboard"},
    {"ClipboardCopyACTN", "edit-copy", "C", "Copy the selection to the clipboard"},
    {"ClipboardPasteACTN", "edit-paste", "V", "Paste from the clipboard"},
    {"ClipboardDeleteACTN", "edit-delete", "\u00D7", "Delete the selection"},
    {"ClipboardSelectAllACTN", "edit-select-all", "A", "Select the whole document"},
    {"ClipboardUndoACTN", "edit-undo", "\u21B6", "Undo the last change"},
    {"SearchFindACTN", "edit-find", "?", "Find a text"},
    {"SearchReplaceACTN", "edit-find-replace", "\u21C4", "Find a text and replace it"},
};

}  // namespace

void DressReportAction(QAction* a) {
  const QByteArray name = a->objectName().toLatin1();
  for (const ReportLook& look : kReportLooks) {
    if (std::strcmp(look.name, name.constData()) != 0) continue;
    const unsigned colour = std::strncmp(look.name, "File", 4) == 0 ? kFileColour
                            : std::strncmp(look.name, "Clipboard", 9) == 0 ||
                                    std::strncmp(look.name, "Search", 6) == 0
                                ? kEditColour
                                : kStyleColour;
    Dress(a, ThemedIcon(look.theme, look.glyph, colour), look.hint);
    return;
  }
}

}  // namespace looks
