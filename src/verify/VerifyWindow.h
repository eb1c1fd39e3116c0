// The verification window: the options, a run's progress and counters, and the report file.
// The run itself is the engine of Verify.h.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "database/DXClass.h"
#include "database/TextStream.h"
#include "verify/Verify.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TMainFRM;

class TVerifyFRM : public TDXForm, private verify::VerifyListener {
  Q_OBJECT
 public:
  explicit TVerifyFRM(TMainFRM* main);
  ~TVerifyFRM() override;

  void FormShow();
  void FormClose();
  void UpdateOptionControls();
  void SetIdle(bool idle);
  void GoBTNClick();
  void AbortBTNClick();
  void LogFileBrowseBTNClick();
  void ElapsedTMRTimer();
  void WriteReportHeader();
  verify::VerifyOptions Options() const;
  // What a run reads of the main window: its database, folders, unpacking and deletion.
  static verify::VerifyCollection CollectionOf(TMainFRM* main);

  std::string TempDir;
  verify::VerifyCounters Counters;
  std::unique_ptr<TTextStream> Report;
  int64_t StartTime = 0;  // ms since 1970
  uint8_t PassCount = 0;
  bool Aborted = false;
  bool Running() const { return running_; }

  QLineEdit* LogFileName = nullptr;
  QLabel* LogFileNameLBL = nullptr;
  QPushButton* LogFileBrowseBTN = nullptr;
  QCheckBox* OpenInEditor = nullptr;
  QCheckBox* VerifyRoms = nullptr;
  QCheckBox* RomClones = nullptr;
  QCheckBox* ReportRedumps = nullptr;
  QComboBox* NoGoodDump = nullptr;
  QLabel* NoGoodDumpLBL = nullptr;
  QCheckBox* VerifySamples = nullptr;
  QCheckBox* VerifySampleQuality = nullptr;
  QCheckBox* SkipNotPresent = nullptr;
  QCheckBox* VerifyImages = nullptr;
  QCheckBox* SeparatePhotoLists = nullptr;
  QCheckBox* ScreenshotDetail = nullptr;
  QCheckBox* ReportUnused = nullptr;
  QCheckBox* ReportUnsupported = nullptr;
  QLabel* PassNameLBL = nullptr;     // the step ("PassName")
  QLabel* SetNameLBL = nullptr;      // the current set ("SetName")
  QLabel* ClonesLBL = nullptr;       // clones found ("Clones")
  QProgressBar* ProgressBAR = nullptr;
  QLabel* ElapsedTime = nullptr;
  QLabel* MissingRoms = nullptr;
  QLabel* CorruptRoms = nullptr;
  QLabel* MissSpelled = nullptr;
  QLabel* NoGoodMissing = nullptr;
  QLabel* MissingSamples = nullptr;
  QLabel* FaultySets = nullptr;
  QLabel* SkippedSets = nullptr;
  QLabel* MissingImages = nullptr;
  QLabel* UnsupportedSets = nullptr;
  QPushButton* GoBTN = nullptr;
  QPushButton* AbortBTN = nullptr;
  QTimer* ElapsedTMR = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  // The engine's side: the labels are refreshed and messages let through at most every
  // few tens of milliseconds, so a run spends its time on the sets.
  void PassName(const std::string& text) override;
  void SetName(const std::string& text) override;
  void Clones(const std::string& text) override;
  void Progress(int32_t position, int32_t maximum) override;
  void UpdateCounters(const verify::VerifyCounters& counters) override;
  void LetMessagesThrough() override;
  bool CheckAbort() override;
  int ShowMessage(const std::string& text, unsigned flags) override;

  void RefreshLabels();
  void Flush(bool force);
  void FinishReport();
  bool SaveReport();
  void DeleteTempFolder();

  TMainFRM* main_;
  bool running_ = false;
  bool dirty_ = false;
  std::string passName_, setName_, clones_ = "0";
  int32_t position_ = 0, maximum_ = 0;
  std::chrono::steady_clock::time_point lastFlush_{};
};
