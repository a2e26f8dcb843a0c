#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

// Windows tests with widgets run on Qt's offscreen platform with a 1920x1080
// screen at 96 dpi, so that only the system's DPI (staged in the prefix)
// scales the dialogs. Wine does not pass QT_* variables, so the platform is
// set here.
int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" FP_SCREEN_CONFIG);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
