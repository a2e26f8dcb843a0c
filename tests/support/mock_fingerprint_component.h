#pragma once

#include <gmock/gmock.h>

#include "device/fingerprint_component.h"

// A reader whose every operation a test scripts.
class MockFingerprintComponent : public FingerprintComponent {
 public:
  MOCK_METHOD(uint64_t, HostValue, (), (override));
  MOCK_METHOD(bool, HostQuery1, (), (override));
  MOCK_METHOD(bool, HostQuery2, (), (override));
  MOCK_METHOD(void, HostAction1, (), (override));
  MOCK_METHOD(bool, HostQuery3, (), (override));
  MOCK_METHOD(void, HostAction2, (), (override));
  MOCK_METHOD(bool, HasSensor, (), (override));
  MOCK_METHOD(void, ResetState, (), (override));
  MOCK_METHOD(FingerprintError, Prepare, (), (override));
  MOCK_METHOD(FingerprintError, Cleanup, (), (override));
  MOCK_METHOD(FingerprintError, OpenSession, (), (override));
  MOCK_METHOD(FingerprintError, CloseSession, (), (override));
  MOCK_METHOD(void, CancelAndClose, (), (override));
  MOCK_METHOD(FingerprintError, LocateSensor, (int timeoutSeconds), (override));
  MOCK_METHOD(FingerprintError, DeleteTemplate, (int finger), (override));
  MOCK_METHOD(uint32_t, GetSampleHint, (), (override));
  MOCK_METHOD(bool, IsCancelRequested, (), (override));
};

// A component of another kind than a fingerprint reader.
class OtherComponent : public SystemComponent {
 public:
  uint64_t HostValue() override { return 0; }
  bool HostQuery1() override { return true; }
  bool HostQuery2() override { return true; }
  void HostAction1() override {}
  bool HostQuery3() override { return true; }
  void HostAction2() override {}
};
