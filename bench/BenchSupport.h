// What the benchmarks share: one program folder, the offscreen application, and a seam that
// shows each modal window once.
#pragma once
#include <string>

#include "platform/Seams.h"

// The benchmarks' program folder (VELMORA_HOME), made once under $TMPDIR or /tmp.
const std::string& BenchHome();
// The program folder and an offscreen application, made on first use and kept to the end.
void BenchApplication();

// Shows a modal window, lets it lay out and paint once, and closes it with OK; a message box
// is answered OK unseen.
class ShowOnceSeam : public plat::Seam {
 public:
  int ShowModal(QWidget* window) override;
  int MessageBoxText(QWidget*, const std::string&, const QString&, unsigned) override;
  int shown = 0;
  int messages = 0;
};
