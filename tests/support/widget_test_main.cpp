#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

// Widget tests need a QApplication; they run on the offscreen platform
// unless the environment picks another one.
int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
