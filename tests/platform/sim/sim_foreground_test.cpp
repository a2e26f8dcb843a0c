#include "platform/sim/sim_foreground.h"

#include <gtest/gtest.h>
#include <thread>

#include <QGuiApplication>

namespace {

// Whether anything was connected to the application's focus, which this cuts.
bool FocusWasFollowed() {
  return QObject::disconnect(qApp, SIGNAL(focusWindowChanged(QWindow*)), nullptr, nullptr);
}

// Released with the module, the simulated focus is not followed again, not
// even when a call the module gave up on asks for it afterwards: nothing of
// the module stays connected to the host's application.
TEST(SimForegroundTest, AReleasedFollowerIsNotHookedAgainByALateCall) {
  FocusWasFollowed();  // by anything else
  platform::sim::SimForeground foreground;
  std::thread([&foreground] { foreground.Owned(); }).join();
  EXPECT_TRUE(FocusWasFollowed());
  foreground.Release();
  std::thread([&foreground] { foreground.Owned(); }).join();  // the late call
  EXPECT_FALSE(FocusWasFollowed());
  EXPECT_TRUE(foreground.Owned());
}

}  // namespace
