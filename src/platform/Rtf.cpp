#include "platform/Rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/Numbers.h"
#include "platform/Seams.h"

namespace plat {

namespace {

// Windows-1252 byte -> character, and back.
const std::array<char16_t, 256>& AnsiTable() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      char c = static_cast<char>(b);
      t[static_cast<size_t>(b)] = FromAnsi(std::string_view(&c, 1)).at(0).unicode();
    }
    return t;
  }();
  return table;
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int AnsiByte(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  static const std::unordered_map<char16_t, int> high = [] {
    std::unordered_map<char16_t, int> m;
    const auto& t = AnsiTable();
    for (int b = 0x80; b < 0xA0; ++b) m.emplace(t[static_cast<size_t>(b)], b);
    return m;
  }();
  auto it = high.find(u);
  return it == high.end() ? -1 : it->second;
}

const char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, const QString& text) {
  for (QChar ch : text) {
    char16_t u = ch.unicode();
    switch (u) {
      case '\\': out += "\\\\"; continue;
      case '{': out += "\\{"; continue;
      case '}': out += "\\}"; continue;
      case '\t': out += "\\tab "; continue;
      case 0x2028: out += "\\line "; continue;
      case 0x00A0: out += "\\~"; continue;
      default: break;
    }
    if (u < 0x20 || u == 0x2029 || u == 0xFFFC) continue;  // controls, objects: dropped
    if (u < 0x80) {
      out += static_cast<char>(u);
      continue;
    }
    int b = AnsiByte(u);
    if (b >= 0) {
      out += "\\'";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += "\\u";
      out += std::to_string(static_cast<int16_t>(u));
      out += '?';
    }
  }
}

// The RTF font family keyword for a font name.
const char* FamilyWord(const QString& name, bool fixed) {
  if (fixed || IsFixedPitchName(name)) return "\\fmodern\\fprq1";
  QString n = name.trimmed().toLower();
  if (n == "times new roman" || n == "times" || n == "liberation serif" || n == "georgia" ||
      n == "serif")
    return "\\froman\\fprq2";
  if (n == "arial" || n == "ms sans serif" || n == "helvetica" || n == "liberation sans" ||
      n == "tahoma" || n == "verdana" || n == "sans serif" || n == "sans-serif")
    return "\\fswiss\\fprq2";
  if (n == "symbol" || n == "wingdings") return "\\ftech";
  return "\\fnil";
}

struct CharKey {
  int font = 0;
  int halfPoints = 24;
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0;  // 0: automatic
  bool operator==(const CharKey&) const = default;
};

class RtfWriter {
 public:
  explicit RtfWriter(const QTextDocument& doc) : doc_(doc), def_(doc.defaultFont()) {
    FontIndex(def_.family(), def_.fixedPitch());  // \f0 is the document's default font
  }

  std::string Write() {
    std::string body;
    body.reserve(static_cast<size_t>(doc_.characterCount()) + 64);
    bool have = false;
    CharKey last;
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
      // A piece of a long line goes on in the paragraph of the block before it.
      const bool piece = ContinuesLine(b);
      if (piece) {
        AppendFragments(body, b, have, last);
        continue;
      }
      if (b != doc_.begin()) body += "\\par\r\n";
      body += "\\pard";
      Qt::Alignment a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
      if (a & Qt::AlignHCenter)
        body += "\\qc";
      else if (a & (Qt::AlignRight | Qt::AlignTrailing))
        body += "\\qr";
      else if (a & Qt::AlignJustify)
        body += "\\qj";
      else
        body += "\\ql";
      if (b.textList()) {
        std::string sf = std::to_string(FontIndex("Symbol", false));
        body += "{\\pntext\\f" + sf + "\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + sf +
                "\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li360";
      }
      body += ' ';
      if (!AppendFragments(body, b, have, last)) {
        // An empty line keeps the height of its font.
        CharKey k = KeyOf(b.charFormat());
        if (!have || !(k == last)) {
          AppendKey(body, k);
          last = k;
          have = true;
        }
      }
    }
    body += "\\par\r\n";

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\\deflang1033\r\n{\\fonttbl";
    for (size_t i = 0; i < fonts_.size(); ++i) {
      out += "{\\f" + std::to_string(i) + FamilyWord(fonts_[i].name, fonts_[i].fixed) +
             "\\fcharset" + (fonts_[i].name.compare("Symbol", Qt::CaseInsensitive) ? "0" : "2") +
             " ";
      QString n = fonts_[i].name;
      n.remove(';');
      AppendEscaped(out, n);
      out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (const QColor& c : colors_)
      out += "\\red" + std::to_string(c.red()) + "\\green" + std::to_string(c.green()) +
             "\\blue" + std::to_string(c.blue()) + ";";
    out += "}\r\n\\viewkind4\\uc1\r\n";
    out += body;
    out += "}\r\n";
    return out;
  }

 private:
  struct Font {
    QString name;
    bool fixed;
  };

  // The block's text with its character formats; false when it has none.
  bool AppendFragments(std::string& body, const QTextBlock& b, bool& have, CharKey& last) {
    bool any = false;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      any = true;
      CharKey k = KeyOf(frag.charFormat());
      if (!have || !(k == last)) {
        AppendKey(body, k);
        last = k;
        have = true;
      }
      AppendEscaped(body, frag.text());
    }
    return any;
  }

  int FontIndex(const QString& name, bool fixed) {
    for (size_t i = 0; i < fonts_.size(); ++i)
      if (fonts_[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    fonts_.push_back({name, fixed});
    return static_cast<int>(fonts_.size() - 1);
  }

  int ColorIndex(const QColor& c) {
    QRgb rgb = c.rgb();
    for (size_t i = 0; i < colors_.size(); ++i)
      if (colors_[i].rgb() == rgb) return static_cast<int>(i + 1);
    colors_.push_back(c);
    return static_cast<int>(colors_.size());
  }

  CharKey KeyOf(const QTextCharFormat& fmt) {
    QFont f = fmt.font().resolve(def_);
    CharKey k;
    QStringList fams = f.families();
    QString family = fams.isEmpty() ? f.family() : fams.first();
    k.font = FontIndex(family, fmt.fontFixedPitch());
    double pt = f.pointSizeF();
    if (pt <= 0) pt = 12;
    k.halfPoints = static_cast<int>(pt * 2 + 0.5);
    k.bold = f.weight() >= QFont::DemiBold;
    k.italic = f.italic();
    k.underline = f.underline();
    k.strike = f.strikeOut();
    if (fmt.hasProperty(QTextFormat::ForegroundBrush) && fmt.foreground().style() != Qt::NoBrush)
      k.color = ColorIndex(fmt.foreground().color());
    return k;
  }

  static void AppendKey(std::string& out, const CharKey& k) {
    out += "\\plain\\f" + std::to_string(k.font) + "\\fs" + std::to_string(k.halfPoints);
    if (k.bold) out += "\\b";
    if (k.italic) out += "\\i";
    if (k.underline) out += "\\ul";
    if (k.strike) out += "\\strike";
    if (k.color) out += "\\cf" + std::to_string(k.color);
    out += ' ';
  }

  const QTextDocument& doc_;
  QFont def_;
  std::vector<Font> fonts_;
  std::vector<QColor> colors_;
};

// ---------------------------------------------------------------------------------------------

enum class Dest { Text, Skip, FontTable, ColorTable };

struct ReadChar {
  int font = -1;  // -1: the default font
  int halfPoints = 24;
  bool bold = false, italic = false, underline = false, strike = false;
  int color = -1;  // -1: automatic, else an entry of the colour table
  auto Tie() const { return std::tie(font, halfPoints, bold, italic, underline, strike, color); }
  bool operator==(const ReadChar& o) const { return Tie() == o.Tie(); }
  bool operator<(const ReadChar& o) const { return Tie() < o.Tie(); }
};

struct GroupState {
  ReadChar chr;
  int align = 0;  // 0 left, 1 right, 2 centre, 3 justified
  int uc = 1;
  Dest dest = Dest::Text;
  bool star = false;  // "\*" seen: the next control word names an ignorable destination
};

const size_t kMaxDepth = 4096;

// "more than 100,000 lines"
std::string MoreThan(int bound, const char* what) {
  return "more than " + Thousands(uint64_t(bound)) + " " + what;
}

// Reads into the document, or only counts what the text holds when there is none.
class RtfReader {
 public:
  RtfReader(std::string_view data, QTextDocument* doc) : data_(data), doc_(doc) {
    if (doc) cursor_ = QTextCursor(doc);
  }
  const std::string& Past() const { return past_; }

  void Read() {
    size_t i = 0;
    const size_t n = data_.size();
    stack_.push_back(GroupState{});
    while (i < n && !done_) {
      unsigned char c = static_cast<unsigned char>(data_[i]);
      if (c == '{') {
        skip_ = 0;
        if (stack_.size() < kMaxDepth) {
          GroupState s = stack_.back();
          s.star = false;
          stack_.push_back(s);
        } else {
          ++overflow_;
        }
        ++i;
      } else if (c == '}') {
        skip_ = 0;
        PopGroup();
        ++i;
      } else if (c == '\\') {
        i = ControlAt(i);
      } else if (c == '\r' || c == '\n' || c == 0) {
        ++i;
      } else {
        if (skip_ > 0)
          --skip_;
        else
          Char(AnsiTable()[c]);
        ++i;
      }
    }
    Finish();
  }

 private:
  GroupState& Top() { return stack_.back(); }

  void PopGroup() {
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (Top().dest == Dest::FontTable) CommitFont();
    if (stack_.size() > 1) stack_.pop_back();
    if (stack_.size() == 1) done_ = true;  // the outermost group has closed
  }

  // Parses the control word or symbol at data_[i] ('\\'); returns the index after it.
  size_t ControlAt(size_t i) {
    const size_t n = data_.size();
    if (i + 1 >= n) return n;
    unsigned char c = static_cast<unsigned char>(data_[i + 1]);
    if (std::isalpha(c)) {
      size_t j = i + 1;
      std::string word;
      while (j < n && std::isalpha(static_cast<unsigned char>(data_[j]))) {
        if (word.size() < 32) word += data_[j];
        ++j;
      }
      bool hasParam = false, negative = false;
      int64_t value = 0;
      if (j < n && data_[j] == '-' && j + 1 < n &&
          std::isdigit(static_cast<unsigned char>(data_[j + 1]))) {
        negative = true;
        ++j;
      }
      while (j < n && std::isdigit(static_cast<unsigned char>(data_[j]))) {
        hasParam = true;
        if (value < 100000000000LL) value = value * 10 + (data_[j] - '0');
        ++j;
      }
      if (j < n && data_[j] == ' ') ++j;
      if (value > INT32_MAX) value = INT32_MAX;
      int param = static_cast<int>(negative ? -value : value);
      if (word == "bin") {
        // Binary data: skipped whole, whatever the destination.
        size_t len = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
        return len > n - j ? n : j + len;
      }
      if (skip_ > 0) {
        --skip_;
        return j;
      }
      Word(word, hasParam, param);
      return j;
    }
    // A control symbol.
    if (c == '\'') {
      size_t j = i + 2;
      int v = 0, digits = 0;
      while (j < n && digits < 2 && std::isxdigit(static_cast<unsigned char>(data_[j]))) {
        v = v * 16 + HexValue(data_[j]);
        ++j;
        ++digits;
      }
      if (digits == 0) return j;
      if (skip_ > 0)
        --skip_;
      else
        Char(AnsiTable()[static_cast<size_t>(v)]);
      return j;
    }
    if (skip_ > 0 && c != '*') {
      --skip_;
      return i + 2;
    }
    switch (c) {
      case '\\':
      case '{':
      case '}': Char(c); break;
      case '~': Char(0x00A0); break;
      case '_': Char(0x2011); break;
      case '*': Top().star = true; break;
      case '\r':
      case '\n':
        if (Top().dest == Dest::Text) Paragraph();
        break;
      default: break;  // \- \| \: and unknown symbols
    }
    return i + 2;
  }

  static int HexValue(char h) {
    if (h >= '0' && h <= '9') return h - '0';
    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
    return h - 'A' + 10;
  }

  bool IsSkippedDestination(const std::string& w) {
    static const char* const names[] = {
        "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst", "xe",
        "tc", "txe", "rxe", "bkmkstart", "bkmkend", "themedata", "colorschememapping",
        "latentstyles", "datastore", "listtable", "listoverridetable", "rsidtbl", "generator",
        "filetbl", "revtbl", "nonshppict", "shp", "shpinst", "shppict", "userprops", "docvar",
        "xmlnstbl", "pgdsctbl", "mmathPr", "author", "operator", "title", "subject", "keywords",
        "comment", "doccomm", "company", "category", "manager", "hlinkbase", "private",
        "template", "atnid", "atnauthor", "wgrffmtfilter", "pnseclvl", "objdata", "result"};
    for (const char* n : names)
      if (w == n) return true;
    return false;
  }

  void Word(const std::string& w, bool hasParam, int param) {
    GroupState& s = Top();
    bool star = s.star;
    s.star = false;
    if (s.dest == Dest::Skip) return;

    // Destinations.
    if (w == "fonttbl") {
      s.dest = Dest::FontTable;
      return;
    }
    if (w == "colortbl") {
      s.dest = Dest::ColorTable;
      colorSet_ = false;
      return;
    }
    if (w == "pn" || w == "pntext" || w == "listtext") {
      bullet_ = true;
      s.dest = Dest::Skip;
      return;
    }
    if (star || IsSkippedDestination(w)) {
      s.dest = Dest::Skip;
      return;
    }

    bool on = !hasParam || param != 0;
    if (s.dest == Dest::FontTable) {
      if (w == "f") {
        CommitFont();
        fontNumber_ = param;
      } else if (w == "fmodern") {
        fontFixed_ = true;
      } else if (w == "fprq") {
        if (param == 1) fontFixed_ = true;
      }
      return;
    }
    if (s.dest == Dest::ColorTable) {
      int v = std::clamp(param, 0, 255);
      if (w == "red") {
        red_ = v;
        colorSet_ = true;
      } else if (w == "green") {
        green_ = v;
        colorSet_ = true;
      } else if (w == "blue") {
        blue_ = v;
        colorSet_ = true;
      }
      return;
    }

    // Text destination.
    if (w == "par" || w == "sect" || w == "page" || w == "row") {
      Paragraph();
    } else if (w == "line") {
      Char(0x2028);
    } else if (w == "tab" || w == "cell") {
      Char('\t');
    } else if (w == "pard") {
      s.align = 0;
      bullet_ = false;
    } else if (w == "ql") {
      s.align = 0;
    } else if (w == "qr") {
      s.align = 1;
    } else if (w == "qc") {
      s.align = 2;
    } else if (w == "qj") {
      s.align = 3;
    } else if (w == "ls") {
      if (param > 0) bullet_ = true;
    } else if (w == "plain") {
      s.chr = ReadChar{};
    } else if (w == "b") {
      s.chr.bold = on;
    } else if (w == "i") {
      s.chr.italic = on;
    } else if (w == "ul" || w == "uld" || w == "uldb" || w == "uldash" || w == "uldashd" ||
               w == "uldashdd" || w == "ulth" || w == "ulw" || w == "ulwave" || w == "ulhwave") {
      s.chr.underline = on;
    } else if (w == "ulnone") {
      s.chr.underline = false;
    } else if (w == "strike" || w == "striked") {
      s.chr.strike = on;
    } else if (w == "f") {
      s.chr.font = param;
    } else if (w == "fs") {
      if (hasParam && param > 0) {
        if (param > 2 * kMaxPointSize)
          Passed("letters larger than " + std::to_string(kMaxPointSize) + " points");
        s.chr.halfPoints = std::min(param, 2 * kMaxPointSize);
      }
    } else if (w == "cf") {
      s.chr.color = std::max(param, 0);
    } else if (w == "deff") {
      defaultFont_ = param;
    } else if (w == "uc") {
      s.uc = std::clamp(param, 0, 10);
    } else if (w == "u") {
      Char(static_cast<char16_t>(static_cast<uint16_t>(param)));
      skip_ = s.uc;
    } else if (w == "emdash") {
      Char(0x2014);
    } else if (w == "endash") {
      Char(0x2013);
    } else if (w == "bullet") {
      Char(0x2022);
    } else if (w == "lquote") {
      Char(0x2018);
    } else if (w == "rquote") {
      Char(0x2019);
    } else if (w == "ldblquote") {
      Char(0x201C);
    } else if (w == "rdblquote") {
      Char(0x201D);
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
      Char(' ');
    }
  }

  void Char(char16_t u) {
    if (done_) return;
    GroupState& s = Top();
    switch (s.dest) {
      case Dest::Skip: return;
      case Dest::FontTable:
        if (u == ';')
          CommitFont();
        else
          fontName_ += QChar(u);
        return;
      case Dest::ColorTable:
        if (u == ';') {
          if (colors_.size() < size_t(kMaxColors))
            colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
          else
            Passed(MoreThan(kMaxColors, "colours"));
          red_ = green_ = blue_ = 0;
          colorSet_ = false;
        }
        return;
      case Dest::Text: break;
    }
    if (pendingBreak_ && !NewBlock()) return;
    if (!run_.isEmpty() && !(runKey_ == s.chr)) {
      // Past its bound a change of format is not made: the text goes on in the run's format.
      if (changes_ >= kMaxFormatChanges) {
        Passed(MoreThan(kMaxFormatChanges, "changes of format"));
      } else if (&Shown(s.chr) == &s.chr) {
        ++changes_;
        Flush();
      }
    }
    if (run_.isEmpty()) runKey_ = Shown(s.chr);
    run_ += QChar(u);
  }

  // The format text in `k` is shown in: its own while its font variant is one of the first
  // kMaxFontVariants, else the format of the run before.
  const ReadChar& Shown(const ReadChar& k) {
    const int number = k.font < 0 ? defaultFont_ : k.font;
    const auto font = fonts_.find(number);
    const QString face = font == fonts_.end() ? QString() : font->second.name.toLower();
    const auto variant = std::make_tuple(face, k.halfPoints, k.bold, k.italic);
    if (variants_.count(variant)) return k;
    if (variants_.size() < size_t(kMaxFontVariants)) {
      variants_.insert(variant);
      return k;
    }
    Passed(MoreThan(kMaxFontVariants, "font variants (faces, sizes and styles)"));
    return runKey_;
  }

  void Flush() {
    if (run_.isEmpty()) return;
    blockText_ = true;
    if (doc_) cursor_.insertText(run_, FormatFor(runKey_));
    run_.clear();
  }

  // Starts the paragraph a break asked for; past the bound reading stops instead.
  bool NewBlock() {
    if (blocks_ >= kMaxDocumentLines) {
      Passed(MoreThan(kMaxDocumentLines, "paragraphs"));
      done_ = true;
      return false;
    }
    ++blocks_;
    Flush();
    blockText_ = false;
    const ReadChar& shown = Shown(Top().chr);
    if (doc_) cursor_.insertBlock(QTextBlockFormat(), FormatFor(shown));
    pendingBreak_ = false;
    return true;
  }

  void Passed(std::string bound) {
    if (past_.empty()) past_ = std::move(bound);
  }

  void CommitFont() {
    QString name = fontName_.trimmed();
    if (fontNumber_ >= 0 && !name.isEmpty()) {
      if (fonts_.size() < size_t(kMaxFonts) || fonts_.count(fontNumber_))
        fonts_[fontNumber_] = {name, fontFixed_};
      else
        Passed(MoreThan(kMaxFonts, "fonts"));
    }
    fontName_.clear();
    fontFixed_ = false;
  }

  // Ends the current paragraph with the paragraph format in effect.
  void Paragraph() {
    if (done_ || (pendingBreak_ && !NewBlock())) return;
    FinishBlock();
    pendingBreak_ = true;
  }

  void FinishBlock() {
    Flush();
    const bool bullet = bullet_ && items_ < kMaxListItems;
    if (bullet_ && !bullet) Passed(MoreThan(kMaxListItems, "list items"));
    const bool empty = !blockText_;
    const ReadChar& shown = empty ? Shown(Top().chr) : Top().chr;
    if (!doc_) {
      items_ += bullet;
      return;
    }
    QTextBlockFormat bf;
    static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                           Qt::AlignJustify};
    bf.setAlignment(aligns[std::clamp(Top().align, 0, 3)]);
    cursor_.setBlockFormat(bf);
    if (empty) cursor_.setBlockCharFormat(FormatFor(shown));
    items_ += bullet;
    list_ = bullet ? AddBulletItem(cursor_, list_) : nullptr;
  }

  void Finish() {
    Flush();
    if (!pendingBreak_) FinishBlock();
  }

  const QTextCharFormat& FormatFor(const ReadChar& k) {
    auto it = formats_.find(k);
    if (it != formats_.end()) return it->second;
    QTextCharFormat f;
    int number = k.font < 0 ? defaultFont_ : k.font;
    auto ft = fonts_.find(number);
    QString name = ft != fonts_.end() ? ft->second.name : doc_->defaultFont().family();
    SetCharFontName(f, name);
    if (ft != fonts_.end() && ft->second.fixed) {
      f.setFontFixedPitch(true);
      f.setFontStyleHint(QFont::TypeWriter);
    }
    f.setFontPointSize(k.halfPoints / 2.0);
    f.setFontWeight(k.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(k.italic);
    f.setFontUnderline(k.underline);
    f.setFontStrikeOut(k.strike);
    if (k.color >= 0 && static_cast<size_t>(k.color) < colors_.size() &&
        colors_[static_cast<size_t>(k.color)].isValid())
      f.setForeground(colors_[static_cast<size_t>(k.color)]);
    return formats_.emplace(k, f).first->second;
  }

  struct FontEntry {
    QString name;
    bool fixed = false;
  };

  std::string_view data_;
  QTextDocument* doc_;
  QTextCursor cursor_;
  std::string past_;  // the first bound passed
  int blocks_ = 1, items_ = 0, changes_ = 0;
  std::vector<GroupState> stack_;
  size_t overflow_ = 0;
  bool done_ = false;
  int skip_ = 0;  // fallback characters of a \u still to skip

  std::map<int, FontEntry> fonts_;
  int defaultFont_ = 0;
  int fontNumber_ = -1;
  QString fontName_;
  bool fontFixed_ = false;

  std::vector<QColor> colors_;  // the colour table; an invalid colour is an automatic entry
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;

  bool bullet_ = false;
  bool pendingBreak_ = false;
  bool blockText_ = false;  // the current paragraph has text
  QTextList* list_ = nullptr;
  QString run_;
  ReadChar runKey_;
  std::map<ReadChar, QTextCharFormat> formats_;
  std::set<std::tuple<QString, int, bool, bool>> variants_;  // face, half-points, bold, italic
};

}  // namespace

bool IsRtf(std::string_view data) {
  size_t i = 0;
  while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' ||
                             data[i] == '\n'))
    ++i;
  return data.substr(i).starts_with("{\\rtf");
}

std::string WriteRtf(const QTextDocument& doc) { return RtfWriter(doc).Write(); }

std::string ReadRtf(std::string_view rtf, QTextDocument& doc) {
  if (!IsRtf(rtf)) return ReadPlainText(rtf, doc);
  // Skip what precedes the opening brace; the reader starts at it.
  size_t start = rtf.find('{');
  bool undo = doc.isUndoRedoEnabled();
  doc.setUndoRedoEnabled(false);
  doc.clear();
  RtfReader reader(rtf.substr(start), &doc);
  {
    QTextCursor hold(&doc);
    hold.beginEditBlock();  // one change: a layout is made once, after the reading
    reader.Read();
    hold.endEditBlock();
  }
  doc.setUndoRedoEnabled(undo);
  return reader.Past();
}

std::string RtfPastBound(std::string_view rtf) {
  if (!IsRtf(rtf)) return PlainTextPastBound(rtf);
  RtfReader reader(rtf.substr(rtf.find('{')), nullptr);
  reader.Read();
  return reader.Past();
}

QTextList* AddBulletItem(QTextCursor& at, QTextList* list) {
  // Bullets carry no numbers: lists of a few dozen show as one.
  constexpr int kItemsPerList = 64;
  const QTextBlock prev = at.block().previous();
  if (list && list->count() < kItemsPerList && prev.isValid() && prev.textList() == list) {
    list->add(at.block());
    return list;
  }
  QTextListFormat lf;
  lf.setStyle(QTextListFormat::ListDisc);
  lf.setIndent(1);
  return at.createList(lf);
}

std::string WritePlainText(const QTextDocument& doc) {
  std::string out;
  if (doc.isEmpty()) return out;
  out.reserve(static_cast<size_t>(doc.characterCount()) + static_cast<size_t>(doc.blockCount()));
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin() && !ContinuesLine(b)) out += "\r\n";
    QString t = b.text();
    t.replace(QChar(0x2028), QStringLiteral("\r\n"));
    t.remove(QChar(0xFFFC));
    out += ToAnsi(t);
  }
  out += "\r\n";
  return out;
}

namespace {
// Where a plain text is cut: before the line end that would start a line past the bound.
size_t PlainTextCut(std::string_view bytes) {
  int ends = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    const size_t next = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1;
    if (++ends == kMaxDocumentLines && next < bytes.size()) return i;
    i = next - 1;
  }
  return std::string_view::npos;
}
}  // namespace

std::string PlainTextPastBound(std::string_view bytes) {
  return PlainTextCut(bytes) == std::string_view::npos ? std::string()
                                                       : MoreThan(kMaxDocumentLines, "lines");
}

std::string ReadPlainText(std::string_view bytes, QTextDocument& doc) {
  const size_t cut = PlainTextCut(bytes);
  if (cut != std::string_view::npos) bytes = bytes.substr(0, cut);
  QString text = FromAnsi(bytes);
  QString norm;
  norm.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == '\r') {
      norm += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == QChar(0)) {
      continue;
    } else {
      norm += c;
    }
  }
  if (cut == std::string_view::npos && norm.endsWith('\n')) norm.chop(1);
  bool undo = doc.isUndoRedoEnabled();
  doc.setUndoRedoEnabled(false);
  doc.setPlainText(norm);
  doc.setUndoRedoEnabled(undo);
  return cut == std::string_view::npos ? std::string() : MoreThan(kMaxDocumentLines, "lines");
}

namespace {
// The mark of a piece: a number no other piece has. A block made inside a piece copies it, so
// only a block whose mark differs from the one before it continues that block's line.
constexpr int kPieceProperty = QTextFormat::UserProperty + 0x5043;

qint64 PieceMark(const QTextBlock& b) {
  return b.blockFormat().property(kPieceProperty).toLongLong();
}
}  // namespace

bool ContinuesLine(const QTextBlock& block) {
  const qint64 mark = PieceMark(block);
  return mark != 0 && block.previous().isValid() && mark != PieceMark(block.previous());
}

void BreakLongLines(QTextDocument& doc, int from) {
  static std::atomic<qint64> lastMark{0};
  constexpr int kPiece = kShownPieceLength;
  QTextCursor c(&doc);
  c.beginEditBlock();  // one change for the layout, made of pieces only
  for (QTextBlock b = doc.findBlock(std::max(0, from)); b.isValid(); b = b.next()) {
    if (b.length() - 1 <= kPiece) continue;
    const QString text = b.text();
    const int base = b.position();
    QTextBlockFormat format = b.blockFormat();
    format.setObjectIndex(-1);  // one bullet for the line, not one per piece
    qsizetype start = 0;
    int made = 0;  // block separators put in so far, each moving the rest by one
    while (text.size() - start > kPiece) {
      qsizetype cut = start + kPiece;
      for (qsizetype i = cut; i > start + kPiece * 3 / 4; --i)
        if (text[i - 1] == QLatin1Char(' ') || text[i - 1] == QLatin1Char('\t')) {
          cut = i;
          break;
        }
      if (text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate()) --cut;
      c.setPosition(base + static_cast<int>(cut) + made);
      format.setProperty(kPieceProperty, ++lastMark);
      c.insertBlock(format, c.charFormat());
      ++made;
      start = cut;
    }
    b = c.block();  // the last piece
  }
  c.endEditBlock();
}

std::string FitLayout(QTextDocument& doc, int64_t startCpuMs) {
  // Words longer than the width wrap anywhere, as in the window.
  const QTextOption kept = doc.defaultTextOption();
  QTextOption wrap = kept;
  wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  doc.setDefaultTextOption(wrap);
  doc.setTextWidth(kNarrowestText);
  QAbstractTextDocumentLayout* layout = doc.documentLayout();
  std::string past;
  QTextBlock cut;
  for (QTextBlock b = doc.begin(); b.isValid() && past.empty(); b = b.next()) {
    if (layout->blockBoundingRect(b).bottom() > kMaxTextHeight) {
      past = "text over " + Thousands(uint64_t(kMaxTextHeight)) + " pixels tall";
      cut = b == doc.begin() ? b.next() : b;
    } else if (b.next().isValid() && Ui().ThreadCpuMs() - startCpuMs > kLayoutCpuMs) {
      past = "text that takes more than a second to lay out";
      cut = b.next();
    }
  }
  if (cut.isValid()) {
    QTextCursor c(&doc);
    c.beginEditBlock();  // a cursor moved outside one lays the text out to where it goes
    c.setPosition(cut.position() - 1);
    c.setPosition(doc.characterCount() - 1, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.endEditBlock();
  }
  doc.setDefaultTextOption(kept);
  return past;
}

QStringList FontFamiliesFor(const QString& name) {
  QString n = name.trimmed().toLower();
  const char* standIn = nullptr;
  if (n == "courier new" || n == "courier" || n == "lucida console" || n == "consolas" ||
      n == "fixedsys" || n == "terminal")
    standIn = "Liberation Mono";
  else if (n == "times new roman" || n == "times")
    standIn = "Liberation Serif";
  else if (n == "arial" || n == "ms sans serif" || n == "helvetica" || n == "ms shell dlg" ||
           n == "ms shell dlg 2")
    standIn = "Liberation Sans";
  QStringList r{name};
  if (standIn) r << QString::fromLatin1(standIn);
  return r;
}

bool IsFixedPitchName(const QString& name) {
  QString n = name.trimmed().toLower();
  return n == "courier new" || n == "courier" || n == "lucida console" || n == "consolas" ||
         n == "fixedsys" || n == "terminal" || n == "liberation mono" ||
         n == "dejavu sans mono" || n == "monospace" || n == "courier 10 pitch";
}

void SetCharFontName(QTextCharFormat& format, const QString& name) {
  format.setFontFamilies(FontFamiliesFor(name));
  if (IsFixedPitchName(name)) {
    format.setFontFixedPitch(true);
    format.setFontStyleHint(QFont::TypeWriter);
  } else {
    format.setFontFixedPitch(false);
    format.setFontStyleHint(QFont::AnyStyle);
  }
}

}  // namespace plat
