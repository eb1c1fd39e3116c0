// A seam whose answers a test scripts, and which records what the program asked.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Seams.h"

struct ShownMessage {
  std::string title;
  std::string text;  // Windows-1252
  unsigned flags;
  std::string shown;  // the text as the box shows it, in UTF-8
  QWidget* owner = nullptr;  // the window the box stands over (none: the middle of the screen)
};

class ScriptedSeam : public plat::Seam {
 public:
  ScriptedSeam() { plat::SetUi(this); }
  ~ScriptedSeam() override { plat::SetUi(nullptr); }

  // Message boxes: answers are taken in order; without one, the first button of the box
  // (OK, Yes or Retry) is pressed.
  std::vector<ShownMessage> messages;
  std::deque<int> messageAnswers;
  // File dialogs: each answer is a path, or "" for cancel; without one, cancel.
  std::vector<plat::FileDialogRequest> fileRequests;
  std::deque<std::string> fileAnswers;
  std::deque<int> filterAnswers;  // the filter chosen with each answer; without one, unchanged
  std::deque<std::string> folderAnswers;
  // Modal windows: handlers are taken in order; each may work the window and returns its
  // modal result. Without one, the window is cancelled (2).
  std::vector<std::string> modalWindows;  // class names, in order shown
  std::deque<std::function<int(QWidget*)>> modalHandlers;
  // Printer: true = the dialog is accepted; the printer may be redirected by the handler.
  std::function<bool(QPrinter&)> printHandler;
  std::function<bool(QFont&)> fontHandler;
  std::function<bool(QColor&)> colorHandler;
  // Processes: a handler takes over; else the real runner is used.
  std::vector<std::string> commands;
  std::function<plat::ProcessResult(const std::string&, bool, plat::WaitMode)> processHandler;
  std::vector<std::string> sounds;  // files played, in order
  // Detached starts and desktop hand-overs are recorded, never run; each answers `startResult`.
  std::vector<std::vector<std::string>> started;  // program, then its arguments
  std::vector<std::string> opened;
  bool startResult = true;
  int64_t nowMs = 0;  // 0: the real clock
  // Processor time: each reading gives it and then adds the step (by default it stands still);
  // below 0 the real clock.
  int64_t cpuMs = 0, cpuStepMs = 0;
  std::deque<int64_t> monotonicMs;  // steady-clock readings, taken in order; without one, the real clock
  std::deque<uint32_t> randoms;

  int MessageBox(QWidget*, const std::string& title, const std::string& text,
                 unsigned flags) override;
  int MessageBoxText(QWidget*, const std::string& title, const QString& text,
                     unsigned flags) override;
  std::optional<std::string> FileDialog(QWidget*, plat::FileDialogRequest& req) override;
  std::optional<std::string> FolderDialog(QWidget*, const std::string&,
                                          const std::string&) override;
  int ShowModal(QWidget* window) override;
  bool PrintDialog(QWidget*, QPrinter& printer) override;
  bool PrinterSetupDialog(QWidget*, QPrinter& printer) override;
  bool FontDialog(QWidget*, QFont& font) override;
  bool ColorDialog(QWidget*, QColor& color) override;
  plat::ProcessResult RunProcess(const std::string& commandLine, bool showWindow,
                                 plat::WaitMode wait) override;
  void PlaySound(const std::string& path) override { sounds.push_back(path); }
  bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                     const std::string& workDir) override;
  bool OpenWithDesktop(const std::string& target) override;
  int64_t NowMs() override;
  int64_t MonotonicMs() override;
  int64_t ThreadCpuMs() override;
  uint32_t Random(uint32_t range) override;

  // The texts of every message shown, joined by "\n---\n" (handy in failure output).
  std::string AllMessages() const;
};
