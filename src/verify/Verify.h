// The verification engine: checks a whole collection of rom, sample and picture sets against
// the game database and writes one report line per finding. It has no widget: the window
// (VerifyWindow.h) watches it through VerifyListener, and tests drive a run headless.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "database/TextStream.h"
#include "database/types.h"

namespace verify {

struct VerifyOptions {
  bool VerifyRoms = true;
  bool RomClones = true;
  bool ReportRedumps = false;
  uint8_t NoGoodDump = 0;  // 0 never, 1 only if missing, 2 only if found, 3 anyway
  bool VerifySamples = true;
  bool VerifySampleQuality = true;
  bool SkipNotPresent = true;
  bool VerifyImages = true;
  bool SeparatePhotoLists = false;
  bool ScreenshotDetail = false;
  bool ReportUnused = false;
  bool ReportUnsupported = false;
};

struct VerifyCounters {
  int32_t MissingRomCount = 0;
  int32_t CorruptRomCount = 0;
  int32_t MissSpelledCount = 0;
  int32_t NoGoodDumpCount = 0;
  int32_t MissingImageCount = 0;
  int32_t MissingSampleCount = 0;
  int32_t FaultySetCount = 0;
  int32_t UnsupportedCount = 0;
  int32_t SkippedCount = 0;
};

// What a run reads: the database, the folders and the two services of the launch code.
struct VerifyCollection {
  const GameList* Games = nullptr;
  const GameList* Resources = nullptr;
  std::string EmulatorDir;  // with trailing "/"
  std::string RomPath;      // ";"-separated, as in MAME.CFG
  std::string SamplePath;
  // Picture folders with the caption of their tab; tabs without a folder are left out.
  std::vector<std::pair<std::string, std::string>> PictureFolders;
  // Unpacks a set (kind 1 rom, 2 sample) into EmulatorDir + "$VRTEMP$"; the archive
  // library's errors, one a line ("" when none).
  std::function<std::string(const std::string& setName, uint8_t kind)> UnpackSet;
  std::function<bool(const std::string& folder)> DeleteFolderTree;
  // The archive or folder of a set ("" when none). When given, rom sets that are zips (or
  // absent) are tested in memory, master and clones alike, instead of unpacked: the report is
  // the same, without files made and deleted.
  std::function<std::string(const std::string& setName, uint8_t kind)> FindSet;
};

// The window's side of a run.
class VerifyListener {
 public:
  virtual ~VerifyListener() = default;
  virtual void PassName(const std::string& text) = 0;
  virtual void SetName(const std::string& text) = 0;
  virtual void Clones(const std::string& text) = 0;
  virtual void Progress(int32_t position, int32_t maximum) = 0;
  // The nine counters changed; pending messages may be let through.
  virtual void UpdateCounters(const VerifyCounters& counters) = 0;
  virtual void LetMessagesThrough() = 0;
  // Lets pending messages through; true when the run is to stop.
  virtual bool CheckAbort() = 0;
  virtual int ShowMessage(const std::string& text, unsigned flags) = 0;
};

class VerifyEngine {
 public:
  VerifyEngine(const VerifyCollection& collection, const VerifyOptions& options,
               VerifyListener& listener, TTextStream& report);
  ~VerifyEngine();

  // Every pass the options ask for, then "Done in n passes."; false when aborted.
  bool Run();

  VerifyCounters Counters;
  uint8_t PassCount = 0;
  bool Aborted = false;
  std::string TempDir;  // EmulatorDir + "$VRTEMP$/"

  // The steps of a run, public for the tests.
  void TestSetFiles(int mode, const GameRecord* set, const SampleListEntry* samples);
  void PrescanSampleSets(const GameList* list);
  bool FindSampleSet(const std::string& name, SampleListEntry*& entry);
  bool IsQualitySampleSet();
  void CheckSetImages(const std::string& setName, size_t folderIndex);
  void ScanUnsupportedSets(int kind);
  // The folders of a ";"-separated path text, each absolute with a trailing "/".
  std::vector<std::string> PathFolders(const std::string& pathText) const;

  // "[NAME]" padded to 10 and a name padded to 12.
  static std::string SetTag(const std::string& name);
  static std::string Col12(const std::string& text);

 private:
  struct TempEntry {
    std::string name;  // as the file system gives it
    bool regular = false;
    int64_t size = -1;
    bool haveCrc = false;  // tested in memory: the checksum is known
    uint32_t crc = 0;
    bool damaged = false;  // tested in memory: its data failed the archive's check
  };
  bool CheckAbort();
  void UpdateCounters();
  void Line(const std::string& text) { report_.WriteLn(text); }
  void Count(int32_t& counter, bool& faulty);
  void Heading(const char* text);
  void EndPass();
  void Pass(const std::string& text) { listener_.PassName(std::to_string(PassCount) + text); }
  bool RomPass(bool resources);
  bool SamplePass();
  bool PicturesPass();
  void DeleteTemp(const char* failureText);
  void UnusedScan(int pass, const std::string& name, bool skipReadme);
  void ListTemp();
  // A group of rom sets (a master and its clones): in memory when every one is a zip or absent.
  void StartGroup(const std::vector<const GameRecord*>& sets);
  // The set's errors ("" when none).
  std::string UnpackRomSet(size_t index, const std::string& setName);
  const TempEntry* FindTemp(const std::string& name) const;
  bool InResourceSet(const RomRecord& rom, const GameRecord* self) const;
  void BuildIndexes();

  VerifyCollection c_;
  VerifyOptions o_;
  VerifyListener& listener_;
  TTextStream& report_;

  StringList ExpectedFiles;
  std::unordered_set<std::string> expected_;  // upper-cased ExpectedFiles
  std::vector<std::unique_ptr<SampleListEntry>> SampleSets;
  std::unordered_map<std::string, size_t> sampleIndex_;
  std::unordered_map<std::string, std::unordered_set<std::string>> sampleMembers_;
  std::vector<TempEntry> temp_;
  std::unordered_map<std::string, size_t> tempIndex_;  // upper-cased name -> temp_ slot
  std::unordered_map<std::string, std::vector<const GameRecord*>> clones_;
  std::unordered_map<uint64_t, std::vector<const GameRecord*>> resourceRoms_;
  std::vector<std::unordered_set<std::string>> pictures_;  // upper-cased names per folder
  bool memory_ = false;
  std::vector<std::string> sources_;        // of the group's sets, in order
  std::map<std::string, TempEntry> members_;  // the files tested in memory, by name
  std::string unpackError_;                   // of the set under test
  bool askDeleteFailure_ = true;
  int deleteFailures_ = 0;
};

// The report's header and resume, and the small texts of the window.
struct ReportHeaderInfo {
  std::string ProfileFileName;
  std::string EmulatorDir;
  std::string EmulatorExe;
  std::string EmulatorVersion;
  size_t Games = 0;
  size_t Resources = 0;
};
void WriteReportHeader(TTextStream& report, const ReportHeaderInfo& info);
void WriteReportResume(TTextStream& report, const VerifyOptions& options,
                       const VerifyCounters& counters, const std::string& elapsed,
                       uint8_t passCount);
const char* YesNo(bool flag);
// "hh:mm:ss" of a span in milliseconds; the hours keep counting past 24.
std::string FormatElapsed(int64_t ms);

// True when the text of a sample set's readme (bytes 32..126 only) names a certified set.
bool IsQualityReadme(const std::string& contents);

}  // namespace verify
