// Stand-in bodies; the extraction follows.
#include "launch/ZipExtr.h"

TZipExtractor::TZipExtractor(void*) {}
TZipExtractor::~TZipExtractor() = default;
void TZipExtractor::SetZipFilename(const std::string& name) { FZipFilename = name; }
void TZipExtractor::SetDLLDirectory(const std::string& dir) { FDLLDirectory = dir; }
void TZipExtractor::Extract() { SuccessCnt = 0; }
void TZipExtractor::List() {}
void TZipExtractor::ClearZipContents() { ZipContents.clear(); }
int32_t TZipExtractor::GetUnzipDLLVersion() { return 152; }
void TZipExtractor::ShowZipMessage(int32_t Id, const std::string& Extra) {
  ErrCode = Id;
  Message = ZipMsg(Id) + Extra;
}
std::string TZipExtractor::ConvertOEM(const std::string& text, const ZipDirEntry&) const {
  return text;
}
int TZipExtractor::Callback(int, int32_t, int64_t, const std::string&) { return Cancel ? -1 : 0; }
std::string ZipMsg(int32_t) { return {}; }
