// The helper's messages as both sides read them: any text survives a field,
// and an answer that does not add up gives no reader rather than a wrong one.
#include "platform/libfprint/helper_protocol.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace protocol = platform::libfprint::protocol;

namespace {

// Strips the line break, as the receiver does before parsing.
std::string Line(const std::string& formatted) {
  return formatted.substr(0, formatted.size() - 1);
}

TEST(HelperProtocolTest, MessagesKeepTheirFieldsWhateverTheyHold) {
  const std::string awkward = "tab\there, line\nthere, a back\\slash\\t and \\";
  const protocol::Request request =
      protocol::ParseRequest(Line(protocol::Format({7, protocol::kWait, awkward})));
  EXPECT_EQ(request.id, 7u);
  EXPECT_EQ(request.verb, protocol::kWait);
  EXPECT_EQ(request.session, awkward);

  const std::vector<protocol::SurveyedReader> surveyed = {{"elan", "USB\\VID_04F3", awkward, "Elan", "", ""},
                                                          {"", "USB\\VID_1", "d", "m", "x", "no access"}};
  const protocol::Answer answer =
      protocol::ParseAnswer(Line(protocol::Format({9, -5, protocol::SurveyValues(surveyed)})));
  EXPECT_EQ(answer.id, 9u);
  EXPECT_EQ(answer.result, -5);
  const std::vector<protocol::SurveyedReader> read = protocol::ParseSurvey(answer.values);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].description, awkward);
  EXPECT_EQ(read[0].model, "");
  EXPECT_EQ(read[1].driver, "");
  EXPECT_EQ(read[1].notOpenable, "no access");

  const std::vector<protocol::ListedReader> listed = {{true, "a", "b", "c", "d"},
                                                      {false, "e", "f", "g", "h"}};
  const std::vector<protocol::ListedReader> back = protocol::ParseList(protocol::ListValues(listed));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0].testable);
  EXPECT_FALSE(back[1].testable);
  EXPECT_EQ(back[1].model, "h");
}

TEST(HelperProtocolTest, AnAnswerThatDoesNotAddUpGivesNoReaderAndNoSuccess) {
  std::vector<std::string> values = protocol::ListValues({{true, "a", "b", "c", "d"}});
  values.pop_back();
  EXPECT_TRUE(protocol::ParseList(values).empty());
  values = protocol::ListValues({{true, "a", "b", "c", "d"}});
  values.push_back("extra");
  EXPECT_TRUE(protocol::ParseList(values).empty());

  const protocol::Answer bare = protocol::ParseAnswer("12");
  EXPECT_EQ(bare.id, 12u);
  EXPECT_LT(bare.result, 0) << "an answer without a result is a failure";
  EXPECT_EQ(protocol::FirstNumber(bare), 0u);
}

}  // namespace
