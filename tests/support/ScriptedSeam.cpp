#include "support/ScriptedSeam.h"

#include <QWidget>

#include "platform/Cp1252.h"

int ScriptedSeam::MessageBoxText(QWidget* parent, const std::string& title, const QString& text,
                                 unsigned flags) {
  const int answer = ScriptedSeam::MessageBox(parent, title, plat::ToAnsi(text), flags);
  messages.back().shown = text.toStdString();
  return answer;
}

int ScriptedSeam::MessageBox(QWidget* parent, const std::string& title, const std::string& text,
                             unsigned flags) {
  messages.push_back(
      {title, text, flags, plat::FromAnsi(text).toStdString(), plat::MessageBoxOwner(parent)});
  if (!messageAnswers.empty()) {
    int a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
  }
  switch (flags & 0x0F) {
    case plat::MB_YESNO:
    case plat::MB_YESNOCANCEL: return plat::IDYES;
    case plat::MB_RETRYCANCEL: return plat::IDRETRY;
    case plat::MB_ABORTRETRYIGNORE: return plat::IDABORT;
    default: return plat::IDOK;
  }
}

std::optional<std::string> ScriptedSeam::FileDialog(QWidget*, plat::FileDialogRequest& req) {
  fileRequests.push_back(req);
  if (!filterAnswers.empty()) {
    req.filterIndex = filterAnswers.front();
    filterAnswers.pop_front();
  }
  if (fileAnswers.empty()) return std::nullopt;
  std::string a = fileAnswers.front();
  fileAnswers.pop_front();
  if (a.empty()) return std::nullopt;
  return a;
}

std::optional<std::string> ScriptedSeam::FolderDialog(QWidget*, const std::string&,
                                                      const std::string&) {
  if (folderAnswers.empty()) return std::nullopt;
  std::string a = folderAnswers.front();
  folderAnswers.pop_front();
  if (a.empty()) return std::nullopt;
  return a;
}

int ScriptedSeam::ShowModal(QWidget* window) {
  modalWindows.push_back(window->metaObject()->className());
  if (modalHandlers.empty()) return 2;
  auto h = modalHandlers.front();
  modalHandlers.pop_front();
  return h(window);
}

bool ScriptedSeam::PrintDialog(QWidget*, QPrinter& printer) {
  return printHandler ? printHandler(printer) : false;
}

bool ScriptedSeam::PrinterSetupDialog(QWidget*, QPrinter& printer) {
  return printHandler ? printHandler(printer) : false;
}

bool ScriptedSeam::FontDialog(QWidget*, QFont& font) {
  return fontHandler ? fontHandler(font) : false;
}

bool ScriptedSeam::ColorDialog(QWidget*, QColor& color) {
  return colorHandler ? colorHandler(color) : false;
}

plat::ProcessResult ScriptedSeam::RunProcess(const std::string& commandLine, bool showWindow,
                                             plat::WaitMode wait) {
  commands.push_back(commandLine);
  if (processHandler) return processHandler(commandLine, showWindow, wait);
  return plat::Seam::RunProcess(commandLine, showWindow, wait);
}

bool ScriptedSeam::StartDetached(const std::string& program,
                                 const std::vector<std::string>& args, const std::string&) {
  std::vector<std::string> line{program};
  line.insert(line.end(), args.begin(), args.end());
  started.push_back(line);
  return startResult;
}

bool ScriptedSeam::OpenWithDesktop(const std::string& target) {
  opened.push_back(target);
  return startResult;
}

int64_t ScriptedSeam::NowMs() { return nowMs ? nowMs : plat::Seam::NowMs(); }

int64_t ScriptedSeam::MonotonicMs() {
  if (monotonicMs.empty()) return plat::Seam::MonotonicMs();
  const int64_t t = monotonicMs.front();
  monotonicMs.pop_front();
  return t;
}

int64_t ScriptedSeam::ThreadCpuMs() {
  if (cpuMs < 0) return plat::Seam::ThreadCpuMs();
  const int64_t t = cpuMs;
  cpuMs += cpuStepMs;
  return t;
}

uint32_t ScriptedSeam::Random(uint32_t range) {
  if (randoms.empty()) return plat::Seam::Random(range);
  uint32_t r = randoms.front();
  randoms.pop_front();
  return range ? r % range : 0;
}

std::string ScriptedSeam::AllMessages() const {
  std::string r;
  for (auto& m : messages) {
    if (!r.empty()) r += "\n---\n";
    r += m.text;
  }
  return r;
}
