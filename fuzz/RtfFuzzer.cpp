// libFuzzer target: the RTF reader of the report window over any bytes.
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Rtf.h"

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
  // What the writer makes of it reads back.
  QTextDocument back;
  if (!plat::ReadRtf(plat::WriteRtf(doc), back).empty() && past.empty()) __builtin_trap();
  return 0;
}
