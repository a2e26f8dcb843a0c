#include "utils/high_contrast.h"

#include <gtest/gtest.h>

#include <QAbstractNativeEventFilter>

#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"
#include "utils/event_filters/high_contrast_event_filter.h"

namespace {

using kivra::utils::IsHighContrastOn;
using kivra::utils::SystemColors;
using kivra::utils::event_filters::HighContrastEventFilter;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;
using ::testing::_;

TEST(HighContrastTest, FollowsTheSystemSetting) {
  {
    ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.highContrast = true; }));
    EXPECT_TRUE(IsHighContrastOn());
  }
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.highContrast = false; }));
  EXPECT_FALSE(IsHighContrastOn());
}

TEST(HighContrastTest, AsksWithTheStructureSizeAndTreatsFailureAsOff) {
  fp_test::ScopedMockSystem system;
  EXPECT_CALL(*system, SystemParametersInfoW(platform::kSpiGetHighContrast, 16u, _, 0u))
      .WillOnce([](uint32_t, uint32_t, void* data, uint32_t) {
        auto* contrast = static_cast<platform::HighContrastData*>(data);
        EXPECT_EQ(contrast->cbSize, 16u);
        contrast->dwFlags = platform::kHcfHighContrastOn | platform::kHcfAvailable;
        return true;
      })
      .WillOnce([](uint32_t, uint32_t, void* data, uint32_t) {
        static_cast<platform::HighContrastData*>(data)->dwFlags = platform::kHcfAvailable;
        return true;
      })
      .WillOnce([](uint32_t, uint32_t, void* data, uint32_t) {
        static_cast<platform::HighContrastData*>(data)->dwFlags = platform::kHcfHighContrastOn;
        return false;
      });
  EXPECT_TRUE(IsHighContrastOn());
  EXPECT_FALSE(IsHighContrastOn());
  EXPECT_FALSE(IsHighContrastOn()) << "a failed call says nothing, whatever it wrote";
}

TEST(HighContrastTest, SnapshotHasThirtyOpaqueColoursWithoutIndex25) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) {
    for (int index = 0; index <= 30; ++index)
      m.system.sysColors[index] = 0x00030201u * static_cast<uint32_t>(index);
    m.system.sysColors[24] = fp_test::ColorRef("#123456");
    m.system.sysColors[26] = fp_test::ColorRef("#abcdef");
  }));
  const kivra::utils::SystemColorTable colors = SystemColors();
  ASSERT_EQ(colors.size(), 30u);
  for (const QColor& color : colors) EXPECT_EQ(color.alpha(), 255);
  EXPECT_EQ(colors[24], QColor(0x12, 0x34, 0x56)) << "red is the lowest byte";
  EXPECT_EQ(colors[25], QColor(0xab, 0xcd, 0xef)) << "position 25 holds colour 26";
  EXPECT_EQ(colors[29], QColor(30, 60, 90)) << "position 29 holds colour 30";
  EXPECT_EQ(colors[8], QColor(8, 16, 24));
}

TEST(HighContrastEventFilterTest, ConsumesOnlyTheThemeChangeMessage) {
  HighContrastEventFilter filter;
  int changes = 0;
  QObject::connect(&filter, &HighContrastEventFilter::ThemeChanged, [&] { ++changes; });
  platform::WindowMessage message{};
  qintptr result = 12345;

  message.message = platform::kWmThemeChanged;
  EXPECT_TRUE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), &message, &result));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(result, 12345) << "the result is never written";

  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MSG "), &message, &result));
  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MS"), &message, &result));
  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_dispatcher_MSG"), &message, &result));
  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), nullptr, &result));
  message.message = 0x0015;  // WM_SYSCOLORCHANGE
  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), &message, &result));
  EXPECT_EQ(changes, 1);
}

TEST(HighContrastEventFilterTest, OtherPlatformsEventsAreNeverRead) {
  fp_test::ScopedMockSystem system;
  EXPECT_CALL(*system, MessageNumber(_)).Times(0);
  HighContrastEventFilter filter;
  int xcbEvent = 0;
  EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &xcbEvent, nullptr));
}

TEST(HighContrastEventFilterTest, MetaObject) {
  HighContrastEventFilter filter;
  EXPECT_STREQ(filter.metaObject()->className(), "kivra::utils::event_filters::HighContrastEventFilter");
  EXPECT_EQ(filter.qt_metacast("QAbstractNativeEventFilter"),
            static_cast<QAbstractNativeEventFilter*>(&filter));
  EXPECT_EQ(filter.metaObject()->methodCount() - filter.metaObject()->methodOffset(), 1);
}

}  // namespace
