// The disc-set window: created at start-up and kept for the whole run. It copies the
// profile's rom and sample sets into disc-sized folders with their "MAMECD.INI" indexes
// (the planning is in DiscSets.h), and reports what the disc in the drive holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "database/DXClass.h"
#include "verify/DiscSets.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TMainFRM;

class TMameCdFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TMameCdFRM(QWidget* owner = nullptr);
  ~TMameCdFRM() override;

  TMainFRM* Main = nullptr;  // the main window whose profile is copied

  void FormShow();
  void DestinationDirChange();
  void DestinationDirBrowseBTNClick();
  void CancelBTNClick();
  void GoBTNClick();
  // Free bytes of the file system that holds the path (or its nearest existing folder);
  // -1 when there is none.
  static int64_t DriveFreeSpace(const std::string& path);
  bool Aborted();
  void EnableOptions(bool enable);
  // Creates a folder path level by level; true when every needed creation succeeded.
  static bool MakeDirectories(const std::string& path);
  // A set's size (archive, or the files directly inside its folder); 0 when not found or
  // when the disc index cannot hold its name.
  uint64_t GetSetSize(uint8_t kind, const std::string& name);
  // Copies a set into destDir: the bytes copied, 0 when it is not found, not an index name or
  // could not be copied (`error` then says why).
  uint64_t CopySet(uint8_t kind, const std::string& destDir, const std::string& name,
                   std::string* error = nullptr);
  bool IsResource(const std::string& name) const;
  void ShowDiscInformation();

  QLineEdit* DestinationDir = nullptr;
  QLabel* DestinationDirLBL = nullptr;
  QPushButton* DestinationDirBrowseBTN = nullptr;
  QComboBox* MaxDiscSpace = nullptr;
  QLabel* MaxDiscSpaceLBL = nullptr;
  QComboBox* DiscType = nullptr;
  QLabel* DiscTypeLBL = nullptr;
  QPushButton* GoBTN = nullptr;
  QPushButton* CancelBTN = nullptr;
  QLabel* Pass = nullptr;
  QLabel* SetName = nullptr;
  QLabel* Clones = nullptr;
  QLabel* TotDiscs = nullptr;
  QLabel* HDDSpace = nullptr;
  QLabel* FreeSpace = nullptr;
  QProgressBar* PositionBAR = nullptr;
  uint8_t Abort = 0;
  uint64_t DiscBytes = 0;  // when set, the size of a disc in bytes instead of MaxDiscSpace's

  // The sets a run could not find or copy ("[NAME]"), listed when it ends.
  std::vector<std::string> FailedSets;

  bool Running() const { return running_; }

 protected:
  void showEvent(QShowEvent* e) override;
  // Closing during a run asks as Abort does; the run ends at its next check.
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;  // Escape is Cancel / Abort

 private:
  void Step(const std::string& pass, const std::string& set, size_t clones);
  uint64_t CreateDisc();
  void FreeWorkLists();
  void Finish();

  // Work lists and state of one run.
  std::string destination_;
  std::vector<std::string> discFolders_;
  std::vector<std::pair<std::string, uint32_t>> romIndex_;
  std::vector<std::vector<std::string>> copiedResources_, copiedSamples_;  // per disc
  std::vector<std::string> resources_, sampleSets_;
  uint32_t discCounter_ = 0;
  uint32_t estimatedDiscs_ = 0;
  bool running_ = false;
};

// The program's one disc-set window (null until start-up has created it).
extern TMameCdFRM* MameCdFRM;
