// The zip extraction component: unpacks the files of a ZIP archive into a folder through the
// zip library (src/platform/ZipLib.h). Setting the archive name reads its central directory.
#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

enum TExtrOption { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate, ExtrTest };
using TExtrOptions = std::set<TExtrOption>;
enum TAddOption { AddDirNames, AddRecurseDirs, AddMove, AddFreshen, AddUpdate, AddZipTime,
                  AddForceDOS, AddHiddenFiles, AddEncrypt, AddSeparateDirs };
using TAddOptions = std::set<TAddOption>;
enum TCodePageDirection { cpAuto, cpNone, cpOEM };
enum TDeleteOpts { htdFinal, htdAllowUndo };
enum TProgressType { NewFile, ProgressUpdate, EndOfBatch, TotalFiles2Process, TotalSize2Process };

// One entry of the archive's central directory, fields as stored (little-endian on disk).
// ZIP64 entries carry their real sizes and offset here, taken from the extra field.
struct ZipDirEntry {
  uint8_t MadeByVersion = 0;
  uint8_t HostVersionNo = 0;  // host system of the entry
  uint16_t Version = 0;       // version needed to extract
  uint16_t Flag = 0;
  uint16_t CompressionMethod = 0;
  uint32_t DateTime = 0;  // DOS date and time
  uint32_t CRC32 = 0;
  uint64_t CompressedSize = 0;
  uint64_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;
  uint16_t FileCommentLen = 0;
  uint32_t StartOnDisk = 0;
  uint16_t IntFileAttrib = 0;
  uint32_t ExtFileAttrib = 0;
  uint64_t RelOffLocalHdr = 0;
  std::string FileName;  // "/" turned into "\"
  std::string FileComment;
};

class TZipExtractor {
 public:
  explicit TZipExtractor(void* Owner = nullptr);
  ~TZipExtractor();
  TZipExtractor(const TZipExtractor&) = delete;
  TZipExtractor& operator=(const TZipExtractor&) = delete;

  // --- properties ---
  const std::string& ZipFilename() const { return FZipFilename; }
  void SetZipFilename(const std::string& name);  // reads the central directory (List)
  const std::string& DLLDirectory() const { return FDLLDirectory; }
  void SetDLLDirectory(const std::string& dir);  // a trailing separator is removed
  std::string ExtrBaseDir;
  std::vector<std::string> FSpecArgs;  // cleared after each extraction
  TExtrOptions ExtrOptions;
  std::string TempDir;
  std::string Password;  // at most 80 characters are passed on
  bool Unattended = false;
  bool Trace = false;
  bool Verbose = false;
  TCodePageDirection CodePage = cpAuto;
  TDeleteOpts HowToDelete = htdAllowUndo;
  // The archive-writing side: stored only.
  TAddOptions AddOptions;
  int32_t AddCompLevel = 9;
  std::string SFXPath = "ZipSFX.bin";
  std::string SFXCaption = "Self-extracting Archive";
  std::string SFXDefaultDir, SFXCommandLine;
  int32_t KeepFreeOnDisk1 = 0;
  int64_t MaxVolumeSize = 0;
  int32_t MinFreeVolumeSize = 65536;
  bool ConfirmErase = true;
  std::string VersionInfo() const { return "1.52 K"; }

  // --- events ---
  std::function<void(int32_t ErrCode, const std::string& Message)> OnMessage;
  std::function<void(TProgressType kind, const std::string& fileName, int64_t size)> OnProgress;
  std::function<void()> OnDirUpdate;

  // --- public state ---
  int32_t ErrCode = 0;      // id or code of the last message
  int32_t FullErrCode = 0;  // the library's full code beside the low byte kept in ErrCode
  std::string Message;      // text of the last message
  int32_t SuccessCnt = 0;   // files extracted by the last Extract
  uint8_t Busy = 0;         // set while an extraction runs
  bool Cancel = false;      // set to stop the library; cleared at each extraction
  std::vector<ZipDirEntry> ZipContents;
  int64_t TotalSizeToProcess = 0;

  void Extract();
  void List();
  void ClearZipContents();
  int32_t GetUnzipDLLVersion();
  // Message text of a string-table id (+ Extra) stored, shown unless Unattended, reported.
  void ShowZipMessage(int32_t Id, const std::string& Extra = {});
  std::string ConvertOEM(const std::string& text, const ZipDirEntry& entry) const;

  // Called by the library for each notification; -1 asks it to stop.
  int Callback(int action, int32_t errorCode, int64_t number, const std::string& text);

 private:
  std::string FZipFilename;
  std::string FDLLDirectory;
  bool FMultiDisk = false;
  bool FListFailed = false;  // the last listing ended in an error
  bool FExtractError = false;  // the extraction reported an error
};

// The component's string table: the text of a message id, "" when the table lacks it.
std::string ZipMsg(int32_t id);
