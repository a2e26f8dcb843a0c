#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/test_backend.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  UseTheSimulatedMachine();
  return RUN_ALL_TESTS();
}
