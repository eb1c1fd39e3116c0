// The one seam through which every modal interaction passes: message boxes, file and folder
// dialogs, the program's own modal windows, the printer, fonts and colours, outside processes,
// sound, the clock and random numbers. Tests install a scripted seam (tests/support/ScriptedSeam.h).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

class QString;
class QWidget;
class QPrinter;
class QFont;
class QColor;

namespace plat {

// Windows message-box flags and button identifiers, as the system passes and expects them.
enum : unsigned {
  MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3, MB_YESNO = 4,
  MB_RETRYCANCEL = 5, MB_ICONERROR = 16, MB_ICONQUESTION = 32, MB_ICONWARNING = 48,
  MB_ICONINFORMATION = 64,
  // With MB_YESNOCANCEL: the buttons read "Save", "Don't save" and "Cancel".
  MB_SAVEDONTSAVE = 0x10000
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string filter;       // Windows filter text: "Profiles (*.vrl)|*.VRL|All files|*.*"
  int filterIndex = 1;      // from 1; after the dialog, the filter the user chose
  std::string initialDir;
  std::string fileName;
  std::string defaultExt;   // without the dot
  bool mustExist = false;   // open: the file must exist
  bool overwritePrompt = false;
  bool multiSelect = false; // open: several files; the answer holds them separated by "\n"
};

class Seam {
 public:
  virtual ~Seam();
  // text: bytes in Windows-1252 with CR (or CR LF) line breaks; returns an ID* code.
  virtual int MessageBox(QWidget* parent, const std::string& title, const std::string& text,
                         unsigned flags);
  // The same for a text that quotes what the user typed, which Windows-1252 may not hold.
  virtual int MessageBoxText(QWidget* parent, const std::string& title, const QString& text,
                             unsigned flags);
  // Gives the chosen file and sets req.filterIndex to the chosen filter.
  virtual std::optional<std::string> FileDialog(QWidget* parent, FileDialogRequest& req);
  virtual std::optional<std::string> FolderDialog(QWidget* parent, const std::string& title,
                                                  const std::string& startDir);
  // Shows a window modally until it hides; returns its "modalResult" property (0 = none).
  virtual int ShowModal(QWidget* window);
  virtual bool PrintDialog(QWidget* parent, QPrinter& printer);
  virtual bool PrinterSetupDialog(QWidget* parent, QPrinter& printer);
  virtual bool FontDialog(QWidget* parent, QFont& font);     // false = cancelled
  virtual bool ColorDialog(QWidget* parent, QColor& color);  // false = cancelled
  virtual ProcessResult RunProcess(const std::string& commandLine, bool showWindow, WaitMode wait);
  // Starts playing a wave file and returns at once; silent when it cannot be played.
  virtual void PlaySound(const std::string& path);
  // Starts a program with its own arguments (no shell) and does not wait; false when it
  // could not be started.
  virtual bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir);
  // Hands a file, folder or address to the desktop (its default application); false on failure.
  virtual bool OpenWithDesktop(const std::string& target);
  virtual int64_t NowMs();                   // wall clock, milliseconds since 1970
  virtual int64_t MonotonicMs();             // steady clock, milliseconds (elapsed times)
  virtual int64_t ThreadCpuMs();             // processor time of the calling thread, milliseconds
  virtual uint32_t Random(uint32_t range);   // 0 .. range-1 (0 when range is 0)
};

// The seam in use. Once the session ends (plat::SessionEnding) it is one that shows nothing and
// starts nothing: each question gets its cancel-like answer at once (its text goes to the error
// output), dialogs and modal windows are cancelled; the clocks and random numbers stay those of
// the seam installed.
Seam& Ui();
// Installs a seam (not owned); nullptr goes back to the real one.
void SetUi(Seam* seam);

// Lets pending messages through while holding back user input.
void ProcessPendingEvents();
// Drops the user input made while the program waited (keys and clicks made then are not
// replayed afterwards), letting every other pending message through. Input that the display
// hands over later is known by its time stamp once WatchUserInput has learnt the display's clock.
void DropPendingUserInput();
void WatchUserInput();

// Runs an event handler: an exception is handed to `report` as its message ("Unexpected
// error" when it carries none) and goes no further. False when the handler failed. Windows use
// it through their own Guarded, which reports in their message box.
bool RunGuarded(const std::function<void()>& handler,
                const std::function<void(const std::string&)>& report);

// The window a message box belongs to: the modal window on top (the dialog that asks, even when
// it asks through the main window), else the asker's window (the active one when none asks);
// none while that is not on the screen (before the main window first shows).
QWidget* MessageBoxOwner(QWidget* asker);

// Standard message-box text to a Qt string: CR LF and lone CR become line breaks.
std::string NormalizeLineBreaks(const std::string& text);

}  // namespace plat
