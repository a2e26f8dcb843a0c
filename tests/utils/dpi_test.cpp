#include "utils/dpi.h"

#include <gtest/gtest.h>
#include <memory>

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "tests/support/test_support.h"

namespace {

using kivra::utils::Dpi;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;
using ::testing::_;
using ::testing::Return;

SimMachine MachineWithDpi(int32_t dpi) {
  return fp_test::Machine([dpi](SimMachine& m) { m.system.dpi = dpi; });
}

// What the fake shcore's GetDpiForMonitor was asked and answers.
struct DpiQuery {
  static inline int calls = 0;
  static inline platform::MonitorHandle monitor = nullptr;
  static inline int32_t kind = -1;
  static inline uint32_t answer = 0;
  static inline int32_t result = platform::kSOk;
  static int32_t Get(platform::MonitorHandle m, int32_t k, uint32_t* x, uint32_t* y) {
    ++calls;
    monitor = m;
    kind = k;
    if (result == platform::kSOk) {
      *x = answer;
      *y = answer;
    }
    return result;
  }
  static void Reset(uint32_t dpi, int32_t hr = platform::kSOk) {
    calls = 0;
    monitor = nullptr;
    kind = -1;
    answer = dpi;
    result = hr;
  }
};

class DpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QApplication::topLevelWidgets().isEmpty());
    Dpi::ForgetMeasurement();
  }
  void TearDown() override { Dpi::ForgetMeasurement(); }
};

TEST_F(DpiTest, NoTopLevelWidgetMeansNoInstanceAndFactorOne) {
  ScopedMachine machine(MachineWithDpi(192));
  EXPECT_EQ(Dpi::instance(), nullptr);
  EXPECT_EQ(Dpi::fitToScreen(1.0), QSize(800, 600));
  EXPECT_EQ(Dpi::scaledSize(QSize(360, 144)), QSize(360, 144));
}

TEST_F(DpiTest, InstanceIsAHiddenChildOfTheFirstWindowAndDiesWithIt) {
  ScopedMachine machine(MachineWithDpi(144));
  auto window = std::make_unique<QWidget>();
  QPointer<Dpi> dpi = Dpi::instance();
  ASSERT_NE(dpi, nullptr);
  EXPECT_EQ(dpi->parentWidget(), window.get());
  EXPECT_EQ(Dpi::instance(), dpi.data());
  EXPECT_EQ(dpi->dpi(), 144);
  window->show();
  EXPECT_FALSE(dpi->isVisible()) << "never shown over its window";
  EXPECT_EQ(dpi->windowType(), Qt::Widget);
  window.reset();
  EXPECT_TRUE(dpi.isNull());
  EXPECT_EQ(Dpi::instance(), nullptr);

  QWidget next;
  QPointer<Dpi> again = Dpi::instance();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->parentWidget(), &next);
}

TEST_F(DpiTest, MeasuresThroughShcoreWithTheExpectedCalls) {
  fp_test::ScopedMockSystem system;
  static int library = 0;
  void* const handle = &library;
  auto* const desktop = reinterpret_cast<platform::WindowHandle>(0x2222);
  auto* const monitor = reinterpret_cast<platform::MonitorHandle>(0x3333);
  DpiQuery::Reset(168);
  {
    ::testing::InSequence order;
    EXPECT_CALL(*system, LoadLibraryExW(::testing::Eq(std::u16string(u"shcore.dll")),
                                        platform::kLoadLibrarySearchSystem32))
        .WillOnce(Return(handle));
    EXPECT_CALL(*system, GetProcAddress(handle, ::testing::StrEq("SetProcessDpiAwareness")))
        .WillOnce(Return(nullptr));
    EXPECT_CALL(*system, GetProcAddress(handle, ::testing::StrEq("GetDpiForMonitor")))
        .WillOnce(Return(reinterpret_cast<platform::ProcAddress>(&DpiQuery::Get)));
    EXPECT_CALL(*system, GetDesktopWindow()).WillOnce(Return(desktop));
    EXPECT_CALL(*system, MonitorFromWindow(desktop, platform::kMonitorDefaultToPrimary))
        .WillOnce(Return(monitor));
    EXPECT_CALL(*system, FreeLibrary(handle)).WillOnce(Return(true));
  }
  QWidget window;
  ASSERT_NE(Dpi::instance(), nullptr);
  EXPECT_EQ(Dpi::instance()->dpi(), 168);
  EXPECT_EQ(DpiQuery::calls, 1);
  EXPECT_EQ(DpiQuery::monitor, monitor);
  EXPECT_EQ(DpiQuery::kind, platform::kMdtEffectiveDpi);
  EXPECT_EQ(kivra::hostcore::get_module()->loadedCount(), 0u) << "the library is given back";
}

TEST_F(DpiTest, FailuresOnTheWayFallBackQuietly) {
  const int logical = static_cast<int>(QGuiApplication::screens().first()->logicalDotsPerInchX());
  const int expectedFallback = logical < 120   ? 96
                               : logical < 144 ? 120
                               : logical < 168 ? 144
                               : logical < 192 ? 168
                                               : 192;
  {
    fp_test::ScopedMockSystem system;  // no shcore.dll at all
    EXPECT_CALL(*system, LoadLibraryExW(_, _)).WillOnce(Return(nullptr));
    EXPECT_CALL(*system, GetProcAddress(_, _)).Times(0);
    EXPECT_CALL(*system, FreeLibrary(_)).Times(0);
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), expectedFallback);
  }
  {
    fp_test::ScopedMockSystem system;  // no monitor: the query is not made, the library is still released
    DpiQuery::Reset(192);
    EXPECT_CALL(*system, GetProcAddress(_, _)).Times(::testing::AnyNumber());
    EXPECT_CALL(*system, GetProcAddress(_, ::testing::StrEq("GetDpiForMonitor")))
        .WillOnce(Return(reinterpret_cast<platform::ProcAddress>(&DpiQuery::Get)));
    EXPECT_CALL(*system, MonitorFromWindow(_, _)).WillOnce(Return(nullptr));
    EXPECT_CALL(*system, FreeLibrary(_)).Times(1);
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), expectedFallback);
    EXPECT_EQ(DpiQuery::calls, 0);
  }
  {
    fp_test::ScopedMockSystem system;  // no GetDpiForMonitor
    EXPECT_CALL(*system, GetProcAddress(_, _)).Times(::testing::AnyNumber());
    EXPECT_CALL(*system, GetProcAddress(_, ::testing::StrEq("GetDpiForMonitor"))).WillOnce(Return(nullptr));
    EXPECT_CALL(*system, FreeLibrary(_)).Times(1);
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), expectedFallback);
  }
  EXPECT_EQ(kivra::hostcore::get_module()->loadedCount(), 0u);
}

TEST_F(DpiTest, AFailedMeasurementReusesTheLastGoodOne) {
  {
    ScopedMachine machine(MachineWithDpi(120));
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), 120);
  }
  {
    ScopedMachine machine(MachineWithDpi(0));
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), 120);
  }
  {
    ScopedMachine machine(MachineWithDpi(192));
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), 192) << "a good measurement replaces the kept one";
  }
}

TEST_F(DpiTest, MeasuredValuesFallToTheStepBelow) {
  const std::pair<int32_t, int> steps[] = {{1, 96},    {110, 96},  {119, 96},  {120, 120},
                                           {143, 120}, {144, 144}, {167, 144}, {168, 168},
                                           {191, 168}, {192, 192}, {480, 192}};
  for (const auto& [measured, quantised] : steps) {
    ScopedMachine machine(MachineWithDpi(measured));
    QWidget window;
    EXPECT_EQ(Dpi::instance()->dpi(), quantised) << measured;
  }
}

}  // namespace
