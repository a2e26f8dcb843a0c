#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

#include "device/win_fingerprint_component.h"
#include "recognition/recognition_test.h"
#include "tests/support/other_component.h"
#include "tests/support/test_support.h"

namespace {

Settings Csat(std::map<std::string, std::string> keys) {
  return Settings{{"CSAT", std::move(keys)}};
}

// The test's own key wins over the general one; without either (or without
// the section) the limit is nine seconds. Numbers convert like a decimal stoi.
TEST(RecognitionTestConfigureTest, TimeoutFromTheSettings) {
  const char* const own = "CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST";
  const std::pair<Settings, int> rows[] = {
      {Csat({{"CSAT_TEST_TIMEOUT", "30"}, {own, "15"}}), 15},
      {Csat({{"CSAT_TEST_TIMEOUT", " 20"}}), 20},
      {Settings{{"LANGUAGE", {{"CSAT_TEST_TIMEOUT", "12"}}}}, 9},
      {Csat({{"CSAT_POPUP_TIMEOUT", "3"}}), 9},
      {Csat({{own, "12abc"}}), 12},
      {Csat({{own, "  \t7"}}), 7},
      {Csat({{own, "+4"}}), 4},
      {Csat({{own, "-3"}}), -3},
      {Csat({{own, "2147483647"}}), 2147483647},
  };
  RecognitionTest test(ids::kRecognitionTest);
  EXPECT_EQ(test.timeoutSeconds(), 9);
  for (const auto& [settings, seconds] : rows) {
    test.Configure(Csat({{"CSAT_TEST_TIMEOUT", "40"}}), nullptr);
    EXPECT_TRUE(test.Configure(settings, nullptr));
    EXPECT_EQ(test.timeoutSeconds(), seconds);
  }
}

// The conversion's two errors, with the texts the suite's tools expect; the
// limit stays as it was.
TEST(RecognitionTestConfigureTest, BadNumbersRaiseAndKeepTheTimeout) {
  RecognitionTest test(ids::kRecognitionTest);
  test.Configure(Csat({{"CSAT_TEST_TIMEOUT", "21"}}), nullptr);
  const auto configure = [&](const char* key, const char* text) {
    test.Configure(Csat({{key, text}}), nullptr);
  };
  using testing::StrEq;
  using testing::ThrowsMessage;
  for (const char* text : {"letters", "", " ", "-", "x12"})
    EXPECT_THAT([&] { configure("CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", text); },
                ThrowsMessage<std::invalid_argument>(StrEq("invalid stoi argument")))
        << text;
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_THAT([&] { configure("CSAT_TEST_TIMEOUT", text); },
                ThrowsMessage<std::out_of_range>(StrEq("stoi argument out of range")))
        << text;
  EXPECT_EQ(test.timeoutSeconds(), 21);
}

TEST(RecognitionTestSupportTest, OnlyReadersWithASensor) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1", u"Touch", 1), MakeUnit(u"Acme", u"X2", u"Swipe", 0)};
  WinFingerprintComponent withSensor(0, units, "0"), withoutSensor(1, units, "1");
  OtherComponent other;
  RecognitionTest test(ids::kRecognitionTest);
  EXPECT_TRUE(test.IsSupported(&withSensor));
  EXPECT_FALSE(test.IsSupported(&withoutSensor));
  EXPECT_FALSE(test.IsSupported(&other));
  EXPECT_FALSE(test.IsSupported(nullptr));
}

}  // namespace
