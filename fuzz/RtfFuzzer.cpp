// libFuzzer target: the RTF reader of the report window over any bytes.
#include <QGuiApplication>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

#include "platform/Rtf.h"
#include "platform/Seams.h"

// The toolkit and its font libraries keep their font caches to the end of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libharfbuzz.so\nleak:libQt6Gui.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  new QGuiApplication(*argc, *argv);  // fonts need one; kept to the end
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  QTextDocument doc;
  const std::string past = plat::ReadRtf(rtf, doc);
  // The count without a document agrees, and the document keeps within the bounds.
  if (plat::RtfPastBound(rtf) != past) __builtin_trap();
  if (doc.blockCount() > plat::kMaxDocumentLines) __builtin_trap();
  int items = 0;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) items += b.textList() != nullptr;
  if (items > plat::kMaxListItems) __builtin_trap();
  // Letters at most the largest size, in few enough font variants (the document's default one
  // more).
  std::set<std::tuple<QString, double, bool, bool>> variants;
  auto note = [&](const QTextCharFormat& f) {
    const QFont font = f.font().resolve(doc.defaultFont());
    if (font.pointSizeF() > plat::kMaxPointSize) __builtin_trap();
    variants.emplace(font.families().value(0).toLower(), font.pointSizeF(), font.bold(),
                     font.italic());
  };
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    note(b.charFormat());
    for (auto it = b.begin(); !it.atEnd(); ++it) note(it.fragment().charFormat());
  }
  if (variants.size() > size_t(plat::kMaxFontVariants) + 1) __builtin_trap();
  // What the writer makes of it reads back.
  QTextDocument back;
  if (!plat::ReadRtf(plat::WriteRtf(doc), back).empty() && past.empty()) __builtin_trap();
  // Laid out at the narrowest width, it keeps within the height it may have.
  const int blocks = doc.blockCount();
  const std::string cut = plat::FitLayout(doc, plat::Ui().ThreadCpuMs());
  if (doc.blockCount() > blocks || (cut.empty() && doc.blockCount() != blocks)) __builtin_trap();
  if (doc.size().height() > plat::kMaxTextHeight + 1e6) __builtin_trap();
  return 0;
}
