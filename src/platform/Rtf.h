// Rich text files: an RTF writer and reader over QTextDocument, plain text in Windows-1252,
// and the stand-ins for the Windows font names the program asks for.
#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

class QTextDocument;
class QTextCharFormat;
class QTextBlock;
class QTextCursor;
class QTextList;

namespace plat {

// True when the data starts (after white space) with "{\rtf".
bool IsRtf(std::string_view data);

// The document as RTF: 7-bit text with a font and a colour table, character formats (font,
// size, colour, bold, italic, underline, strike-out), paragraph alignment and bullets, line
// breaks and tabs; other characters as \'hh (Windows-1252) or \uN. Lines end with CR LF.
std::string WriteRtf(const QTextDocument& doc);

// What a document read from a file may hold, so that it is laid out in about a second: the
// layout's cost grows with each of these. The readers stop at the line or paragraph, list item
// or format change past its bound (what was read is kept); fonts and colours past theirs are
// read as the default font and the automatic colour.
inline constexpr int kMaxDocumentLines = 100000;  // paragraphs of a rich text, lines of a plain
inline constexpr int kMaxListItems = 20000;
inline constexpr int kMaxFormatChanges = 50000;   // within paragraphs
inline constexpr int kMaxFonts = 1000;
inline constexpr int kMaxColors = 1000;
// Distinct fonts the text is laid out in (face, size, weight and style): the layout looks each
// up among the installed fonts, a missing face slowly. A change to one past the bound is not
// made: the text goes on in the format before it.
inline constexpr int kMaxFontVariants = 500;
// Letters are shown at most this large, the largest size of the window's size list: a 96-point
// letter is 128 pixels high on a usual screen, a sixth of the window. Larger ones cost the font
// cache an image each and the layout a line for every word or two.
inline constexpr int kMaxPointSize = 96;

// Replaces the document's content with the RTF text. Control words and destinations it does
// not know (pictures, objects, style sheets, \* groups...) are skipped; malformed input never
// fails: unbalanced braces are tolerated and the text read so far is kept. Returns the first
// bound the text passed ("more than 100,000 paragraphs"), "" when it was read whole.
std::string ReadRtf(std::string_view rtf, QTextDocument& doc);
// The same answer without reading into a document (a plain text when it is no RTF).
std::string RtfPastBound(std::string_view rtf);

// Plain text in Windows-1252, every line ended by CR LF (an empty document writes nothing).
std::string WritePlainText(const QTextDocument& doc);
// Windows-1252 text with CR LF, LF or CR line ends; a final line end adds no empty line.
// Returns "more than 100,000 lines" when it was cut there, else "".
std::string ReadPlainText(std::string_view bytes, QTextDocument& doc);
std::string PlainTextPastBound(std::string_view bytes);

// Makes the cursor's block a bullet item: of `list` when the block before is its last item and
// it holds fewer than a few dozen, else of a new list (adding to a list costs its length).
QTextList* AddBulletItem(QTextCursor& at, QTextList* list);

// Lines longer than a reader can use are shown as pieces of at most this many characters: the
// text layout takes minutes over one unbroken run of a few hundred thousand.
inline constexpr int kShownPieceLength = 2000;
// Breaks every block from the one holding `from` on that is longer than kShownPieceLength
// into pieces (cut after a blank near the end of a piece when there is one). Each piece after
// the first is marked as continuing the line before it: both writers above join the pieces,
// so what is saved is the line as it was. A block the user makes inside a piece (Enter, a
// paste) copies the piece's mark and so starts a line of its own.
void BreakLongLines(QTextDocument& doc, int from = 0);
// Whether the block is a piece that continues the line of the block before it.
bool ContinuesLine(const QTextBlock& block);

// What laying a document out may take. The window's text box is never narrower than
// kNarrowestText pixels; at that width a document is laid out at most kMaxTextHeight pixels
// tall (Qt's layout of one much taller, past about 8.4 million, never ends) and within
// kLayoutCpuMs of processor time, its reading included: the counts above cannot see all of
// the library's work.
inline constexpr int kNarrowestText = 240;
inline constexpr int kMaxTextHeight = 4000000;
inline constexpr int64_t kLayoutCpuMs = 1000;
// Lays the document out at the narrowest width, paragraph by paragraph, and cuts it after the
// last paragraph laid out within both bounds (processor time counted from `startCpuMs`, read
// through plat::Ui()). Returns the bound passed, "" when the document is whole.
std::string FitLayout(QTextDocument& doc, int64_t startCpuMs);

// The families to ask for when the program names a font: the name itself, then the installed
// metric-compatible stand-in ("Courier New" -> "Liberation Mono", "Times New Roman" ->
// "Liberation Serif", "Arial" and "MS Sans Serif" -> "Liberation Sans").
QStringList FontFamiliesFor(const QString& name);
// Names of fixed-pitch fonts ("Courier New", "Courier", "Lucida Console", ...).
bool IsFixedPitchName(const QString& name);
// Sets the format's font families for a named font (and the fixed-pitch hint when it is one).
void SetCharFontName(QTextCharFormat& format, const QString& name);

}  // namespace plat
