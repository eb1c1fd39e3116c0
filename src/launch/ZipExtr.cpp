#include "launch/ZipExtr.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <map>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"
#include "platform/ZipLib.h"

namespace {

// The component's string table (the messages of the reading and extraction roads).
const std::map<int32_t, const char*>& Table() {
  static const std::map<int32_t, const char*> table = {
      {10102, "Error - no zip file specified!"},
      {10103, "Requested memory not available"},
      {10105, "Copying: "},
      {10201, "Seek error reading Zip archive!"},
      {10202, "Unknown error in List() function\n"},
      {10203, "Warning - Error in zip structure!"},
      {10204, "Warning - Garbage at the end of the zipfile!"},
      {10502, "Warning - Unattended Extract: possibly not all files extracted"},
      {10701, "UNZLIB Loaded!"},
      {10702, "UnzLibExec function not found in UNZLIB.DLL!"},
      {10703, "GetUnzLibVersion function not found in UNZLIB.DLL!"},
      {10704, "UNZLIB.DLL not found!"},
      {11001, "Input file does not exist"},
      {11003, "Not a valid drive: %s"},
      {11004, "Drive %s is NOT defined"},
      {11007, "User canceled operation"},
      {11009, "Creation of output file failed"},
      {11013, "Error while reading a central header"},
      {11015, "A central header signature is wrong"},
      {11017, "Error while reading a central file name"},
      {11022, "Error while reading a file comment"},
      {11025, "Unattended disk spanning not implemented"},
      {11027, "Temporary file could not be created"},
      {11033, "Please insert last disk"},
      {11034, "Please insert disk volume %.1d of %.1d"},
      {11035, "\nin drive: %s"},
      {11037, "This is the first disk in a backup set,\nplease insert the last disk of this set"},
      {11038, "This is the %dth disk in a backup set,\nplease insert the last disk of this set"},
      {11046, "Please insert disk volume %.1d"},
  };
  return table;
}

constexpr int32_t kLibraryVersion = 152;

}  // namespace

std::string ZipMsg(int32_t id) {
  auto it = Table().find(id);
  return it == Table().end() ? std::string() : it->second;
}

TZipExtractor::TZipExtractor(void*) {}

TZipExtractor::~TZipExtractor() { ClearZipContents(); }

void TZipExtractor::SetZipFilename(const std::string& name) {
  FZipFilename = name;
  List();
}

void TZipExtractor::SetDLLDirectory(const std::string& dir) {
  FDLLDirectory = dir;
  while (!FDLLDirectory.empty() && (FDLLDirectory.back() == '\\' || FDLLDirectory.back() == '/'))
    FDLLDirectory.pop_back();
}

void TZipExtractor::ClearZipContents() { ZipContents.clear(); }

// The zip library is part of the program: it is always present.
int32_t TZipExtractor::GetUnzipDLLVersion() { return kLibraryVersion; }

void TZipExtractor::ShowZipMessage(int32_t Id, const std::string& Extra) {
  std::string text = ZipMsg(Id);
  if (text.empty())
    text = "ZipMsgXX.res is probably not bound to executable\nMissing String ID is: " +
           std::to_string(Id);
  text += Extra;
  Message = text;
  ErrCode = Id;
  if (!Unattended) {
    std::string title =
        QCoreApplication::instance() ? QCoreApplication::applicationName().toStdString() : "";
    plat::Ui().MessageBox(nullptr, title, text, plat::MB_OK);
  }
  if (OnMessage) OnMessage(0, text);
}

std::string TZipExtractor::ConvertOEM(const std::string& text, const ZipDirEntry& entry) const {
  const bool convert = CodePage == cpOEM || entry.HostVersionNo == 6 ||
                       (entry.HostVersionNo == 11 && entry.MadeByVersion == 50) ||
                       (CodePage == cpAuto && entry.HostVersionNo == 0);
  if (!convert || std::none_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
    return text;
  // The upper half of the OEM code page (437).
  static const QString oem = QString::fromUtf8(
      "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
      "└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0");
  QString unicode;
  for (unsigned char c : text)
    unicode += c < 0x80 ? QChar(c) : oem.at(c - 0x80);
  return plat::ToAnsi(unicode);
}

void TZipExtractor::List() {
  ClearZipContents();
  FMultiDisk = false;
  FListFailed = false;
  if (FZipFilename.empty() || !plat::FileExists(FZipFilename)) {
    if (OnDirUpdate) OnDirUpdate();
    return;
  }
  auto src = plat::zip::OpenFileSource(FZipFilename);
  plat::zip::Directory dir;
  using plat::zip::DirError;
  DirError err = src ? plat::zip::ReadDirectory(*src, dir) : DirError::Seek;
  int32_t id = 0;
  std::string extra;
  switch (err) {
    case DirError::None: break;
    case DirError::Seek: id = 10201; break;
    case DirError::HeaderRead: id = 11013; break;
    case DirError::BadSignature: id = 11015; break;
    case DirError::ShortName: id = 11017; break;
    case DirError::ShortComment: id = 11022; break;
    case DirError::NoMemory: id = 10103; break;
    case DirError::NoEndRecord:
      id = 10202;
      extra = "End of central directory not found";
      break;
  }
  if (id != 0) {
    ShowZipMessage(id, extra);
    FZipFilename.clear();
    FListFailed = true;
    if (OnDirUpdate) OnDirUpdate();
    return;
  }
  FMultiDisk = dir.spanned;
  if (dir.garbageAtEnd) ShowZipMessage(10204);
  if (dir.structureError) ShowZipMessage(10203);
  ZipContents.reserve(dir.entries.size());
  for (const auto& e : dir.entries) {
    ZipDirEntry z;
    z.MadeByVersion = static_cast<uint8_t>(e.madeBy & 0xFF);
    z.HostVersionNo = static_cast<uint8_t>(e.madeBy >> 8);
    z.Version = e.versionNeeded;
    z.Flag = e.flags;
    z.CompressionMethod = e.method;
    z.DateTime = e.dosTime;
    z.CRC32 = e.crc;
    z.CompressedSize = e.packedSize;
    z.UncompressedSize = e.size;
    z.FileNameLength = e.nameLength;
    z.ExtraFieldLength = e.extraLength;
    z.FileCommentLen = e.commentLength;
    z.StartOnDisk = e.diskStart;
    z.IntFileAttrib = e.internalAttr;
    z.ExtFileAttrib = e.externalAttr;
    z.RelOffLocalHdr = e.localOffset;
    z.FileName = ConvertOEM(e.name, z);
    for (char& c : z.FileName)
      if (c == '/') c = '\\';
    z.FileComment = ConvertOEM(e.comment, z);
    ZipContents.push_back(std::move(z));
  }
  if (OnDirUpdate) OnDirUpdate();
}

int TZipExtractor::Callback(int action, int32_t errorCode, int64_t number,
                            const std::string& text) {
  auto slashes = [](std::string s) {
    for (char& c : s)
      if (c == '/') c = '\\';
    return s;
  };
  switch (action) {
    case plat::zip::kNewFile:
      if (OnProgress) OnProgress(NewFile, slashes(text), number);
      break;
    case plat::zip::kProgress:
      if (OnProgress) OnProgress(ProgressUpdate, {}, number);
      break;
    case plat::zip::kEndOfBatch:
      if (OnProgress) OnProgress(EndOfBatch, {}, 0);
      break;
    case plat::zip::kMessage: {
      std::string msg = slashes(text);
      while (!msg.empty() && static_cast<unsigned char>(msg.back()) <= ' ') msg.pop_back();
      // The first error of the extraction stays; later notices and errors do not replace it.
      if (!FExtractError) {
        Message = msg;
        if (errorCode != 0) {
          ErrCode = errorCode & 0xFF;
          FullErrCode = errorCode;
          FExtractError = true;
        }
      }
      if (OnMessage) OnMessage(errorCode, msg);
      break;
    }
    case plat::zip::kTotalFiles:
      if (OnProgress) OnProgress(TotalFiles2Process, {}, number);
      break;
    case plat::zip::kTotalSize:
      TotalSizeToProcess = number;
      if (OnProgress) OnProgress(TotalSize2Process, {}, number);
      break;
    default: break;
  }
  // Waiting events (repaints, an abort) are let through a few dozen times a second: a set of
  // small files gives several notifications per file.
  thread_local std::chrono::steady_clock::time_point lastEvents;
  const auto now = std::chrono::steady_clock::now();
  if (action == plat::zip::kMessage || action == plat::zip::kEndOfBatch ||
      now - lastEvents >= std::chrono::milliseconds(20)) {
    lastEvents = now;
    plat::ProcessPendingEvents();
  }
  return Cancel ? -1 : 0;
}

void TZipExtractor::Extract() {
  SuccessCnt = 0;
  if (!plat::FileExists(FZipFilename)) {
    // A damaged archive keeps the message its listing gave.
    if (!FListFailed) ShowZipMessage(10102);
    return;
  }
  if (Busy) return;
  if (Unattended && AddOptions.count(AddEncrypt) && Password.empty()) {
    for (int i = 0; i < 79; ++i) Password += static_cast<char>('!' + (i * 7) % 90);
    ShowZipMessage(10502);
  }
  Busy = 1;
  Cancel = false;
  FExtractError = false;
  if (Trace) ShowZipMessage(10701);

  plat::zip::Request r;
  r.archive = FZipFilename;
  // Files are written by absolute path; the process's current folder is left alone.
  r.targetDir = plat::DirExists(ExtrBaseDir) ? plat::AbsolutePath(ExtrBaseDir)
                                             : plat::AbsolutePath(".");
  while (r.targetDir.size() > 1 && r.targetDir.back() == '/') r.targetDir.pop_back();
  r.specs = FSpecArgs;
  r.test = ExtrOptions.count(ExtrTest) > 0;
  r.update = ExtrOptions.count(ExtrUpdate) > 0;
  r.freshen = ExtrOptions.count(ExtrFreshen) > 0 && !r.update;
  r.overwrite = ExtrOptions.count(ExtrOverWrite) > 0;
  r.password = Password.substr(0, 80);
  r.callback = [this](int action, int32_t code, int64_t number, const std::string& text) {
    return Callback(action, code, number, text);
  };
  SuccessCnt = plat::zip::Extract(r);

  FSpecArgs.clear();
  Cancel = false;
  Busy = 0;
}
