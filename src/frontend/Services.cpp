#include <QApplication>
#include <QCursor>
#include <cstdio>
#include <sys/stat.h>

#include "frontend/main.h"
#include "platform/Files.h"
#include "platform/Seams.h"

int TMainFRM::ShowMessageBox(const std::string& text, unsigned flags) {
  return plat::Ui().MessageBox(this, "Velmora", text, flags);
}

int TMainFRM::ShowMessageBoxText(const QString& text, unsigned flags) {
  return plat::Ui().MessageBoxText(this, "Velmora", text, flags);
}

void TMainFRM::SetIdleCursor(bool idle) {
  // A state, not a stack: two busy calls need one idle call to undo them.
  if (idle != idle_) {
    if (idle)
      QApplication::restoreOverrideCursor();
    else
      QApplication::setOverrideCursor(Qt::WaitCursor);
    idle_ = idle;
  }
  plat::ProcessPendingEvents();
}

std::string TMainFRM::PadRight(const std::string& text, uint8_t width) {
  std::string s = text;
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

bool TMainFRM::IsGZipFile(const std::string& fileName) {
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  unsigned char b[2] = {0, 0};
  size_t n = std::fread(b, 1, 2, f);
  std::fclose(f);
  return n == 2 && b[0] == 0x1F && b[1] == 0x8B;
}

void TMainFRM::CollectTextFiles(StringList& list, const std::string& folder) {
  for (const std::string& name : plat::ListDir(folder)) {
    std::string path = plat::JoinPath(folder, name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;  // unreadable: not a text file
    if (S_ISDIR(st.st_mode)) {
      CollectTextFiles(list, path);  // links are not followed: lstat sees them as links
    } else if (S_ISREG(st.st_mode)) {
      if (plat::UpperCase(plat::ExtensionOf(name)) == ".TXT" &&
          plat::UpperCase(name) != "DIR.TXT")
        list.push_back(path);
    }
  }
}
