#pragma once

#include <gmock/gmock.h>

#include "contract/input_request.h"
#include "contract/test_context.h"

// GMock doubles of the host's side of a run.
class MockResultReporter : public ResultReporter {
 public:
  MOCK_METHOD(void, AddMessage, (std::string messageId, uint64_t arg1, uint64_t arg2), (override));
};

class MockUserInterface : public TestUserInterface {
 public:
  MOCK_METHOD(void, SetProgress, (uint8_t percent, const std::string& textId), (override));
  MOCK_METHOD(void, Request, (InputRequest & request), (override));
  MOCK_METHOD(void, HostReserved, (), (override));
  MOCK_METHOD(bool, IsInteractive, (), (override));
};

class MockEventMonitor : public EventMonitor {
 public:
  MOCK_METHOD(int32_t, PendingEvent, (), (override));
};

class MockTestContext : public TestContext {
 public:
  MOCK_METHOD(SystemComponent*, GetComponent, (), (override));
  MOCK_METHOD(ResultReporter*, GetResultReporter, (), (override));
  MOCK_METHOD(TestUserInterface*, GetUserInterface, (), (override));
  MOCK_METHOD(void, HostReserved, (), (override));
  MOCK_METHOD(bool, IsAbortRequested, (), (override));
  MOCK_METHOD(EventMonitor*, GetEventMonitor, (), (override));
};

// A context wired to the three host objects above, each call allowed any
// number of times unless a test says otherwise.
struct MockHost {
  testing::NiceMock<MockResultReporter> reporter;
  testing::NiceMock<MockUserInterface> ui;
  testing::NiceMock<MockEventMonitor> events;
  testing::NiceMock<MockTestContext> context;

  MockHost() {
    ON_CALL(context, GetResultReporter()).WillByDefault(testing::Return(&reporter));
    ON_CALL(context, GetUserInterface()).WillByDefault(testing::Return(&ui));
    ON_CALL(context, GetEventMonitor()).WillByDefault(testing::Return(&events));
  }
};
