#include <gtest/gtest.h>
#include <stdexcept>

#include "recognition/recognition_test.h"
#include "tests/support/mock_fingerprint_component.h"

using testing::NiceMock;
using testing::Return;

namespace {

Settings Csat(std::map<std::string, std::string> keys) {
  return Settings{{"CSAT", std::move(keys)}};
}

TEST(RecognitionTestConfigureTest, StartsAtNineSeconds) {
  RecognitionTest test(ids::kRecognitionTest);
  EXPECT_EQ(test.timeoutSeconds(), 9u);
  EXPECT_EQ(test.id, ids::kRecognitionTest);
  EXPECT_TRUE(test.QueryTraitA());
}

TEST(RecognitionTestConfigureTest, OwnKeyWinsOverTheGeneralOne) {
  RecognitionTest test(ids::kRecognitionTest);
  EXPECT_TRUE(test.Configure(
      Csat({{"CSAT_TEST_TIMEOUT", "30"}, {"CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", "15"}}),
      nullptr));
  EXPECT_EQ(test.timeoutSeconds(), 15u);

  EXPECT_TRUE(test.Configure(Csat({{"CSAT_TEST_TIMEOUT", " 20"}}), nullptr));
  EXPECT_EQ(test.timeoutSeconds(), 20u);
}

TEST(RecognitionTestConfigureTest, MissingSectionOrKeysFallBackToNine) {
  RecognitionTest test(ids::kRecognitionTest);
  test.Configure(Csat({{"CSAT_TEST_TIMEOUT", "40"}}), nullptr);
  EXPECT_TRUE(test.Configure(Settings{{"LANGUAGE", {{"CSAT_TEST_TIMEOUT", "12"}}}}, nullptr));
  EXPECT_EQ(test.timeoutSeconds(), 9u);

  test.Configure(Csat({{"CSAT_TEST_TIMEOUT", "40"}}), nullptr);
  EXPECT_TRUE(test.Configure(Csat({{"CSAT_POPUP_TIMEOUT", "3"}}), nullptr));
  EXPECT_EQ(test.timeoutSeconds(), 9u);
}

TEST(RecognitionTestConfigureTest, ConvertsLikeADecimalStoi) {
  RecognitionTest test(ids::kRecognitionTest);
  const std::pair<const char*, int> cases[] = {{"12abc", 12}, {"  \t7", 7}, {"+4", 4},
                                               {"0", 0},      {"-3", -3},   {"2147483647", 2147483647}};
  for (const auto& [text, expected] : cases) {
    test.Configure(Csat({{"CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", text}}), nullptr);
    EXPECT_EQ(static_cast<int>(test.timeoutSeconds()), expected) << text;
  }
}

TEST(RecognitionTestConfigureTest, BadNumbersRaiseAndKeepTheTimeout) {
  RecognitionTest test(ids::kRecognitionTest);
  test.Configure(Csat({{"CSAT_TEST_TIMEOUT", "21"}}), nullptr);

  for (const char* text : {"letters", "", " ", "-", "x12"}) {
    try {
      test.Configure(Csat({{"CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", text}}), nullptr);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const std::invalid_argument& error) {
      EXPECT_STREQ(error.what(), "invalid stoi argument");
    }
    EXPECT_EQ(test.timeoutSeconds(), 21u);
  }
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999"}) {
    try {
      test.Configure(Csat({{"CSAT_TEST_TIMEOUT", text}}), nullptr);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const std::out_of_range& error) {
      EXPECT_STREQ(error.what(), "stoi argument out of range");
    }
    EXPECT_EQ(test.timeoutSeconds(), 21u);
  }
}

TEST(RecognitionTestSupportTest, OnlyReadersWithASensor) {
  RecognitionTest test(ids::kRecognitionTest);
  NiceMock<MockFingerprintComponent> withSensor;
  NiceMock<MockFingerprintComponent> withoutSensor;
  ON_CALL(withSensor, HasSensor()).WillByDefault(Return(true));
  ON_CALL(withoutSensor, HasSensor()).WillByDefault(Return(false));
  OtherComponent other;

  EXPECT_TRUE(test.IsSupported(&withSensor));
  EXPECT_FALSE(test.IsSupported(&withoutSensor));
  EXPECT_FALSE(test.IsSupported(&other));
  EXPECT_FALSE(test.IsSupported(nullptr));
}

}  // namespace
