#include "BenchSupport.h"

#include <QApplication>
#include <QWidget>
#include <cstdlib>

const std::string& BenchHome() {
  static const std::string home = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-bench-XXXXXX";
    std::string d = mkdtemp(pattern.data()) ? pattern + "/" : std::string("/tmp/");
    setenv("VELMORA_HOME", d.c_str(), 1);
    return d;
  }();
  return home;
}

void BenchApplication() {
  BenchHome();
  if (QApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "velmora_bench";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

int ShowOnceSeam::ShowModal(QWidget* window) {
  window->show();
  QApplication::processEvents();
  window->hide();
  ++shown;
  return 1;
}

int ShowOnceSeam::MessageBoxText(QWidget*, const std::string&, const QString&, unsigned) {
  ++messages;
  return plat::IDOK;
}
