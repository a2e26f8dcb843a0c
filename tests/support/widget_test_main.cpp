#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/test_backend.h"

// Widget tests need a QApplication; they run on the offscreen platform unless
// the environment picks another one. The Windows build's tests are given a
// screen (1920x1080 at 96 dpi, so that only the system's DPI staged in the
// Wine prefix scales the dialogs) and set the platform here, since Wine does
// not pass QT_* variables.
int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  UseTheSimulatedMachine();
#ifdef FP_SCREEN_CONFIG
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" FP_SCREEN_CONFIG);
#else
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
