#include <QApplication>

#include "frontend/main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TMainFRM mainForm;
  for (int i = 1; i < argc; ++i) mainForm.Arguments.emplace_back(argv[i]);
  mainForm.show();
  if (qEnvironmentVariableIsSet("VELMORA_QUIT_AFTER_START")) return 0;
  return app.exec();
}
