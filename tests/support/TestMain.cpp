// Test entry point: one application object for every test, offscreen, with a program
// folder of its own so no test writes beside the test binaries.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TempDir.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TempDir home;
  setenv("VELMORA_HOME", home.path().c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
