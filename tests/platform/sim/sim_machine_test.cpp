#include "platform/sim/sim_machine.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace {

// The module, unlike diag-host, carries on with a file it cannot use: it says
// so and simulates a machine without readers. The machine is read once per
// process, so this executable holds this one test.
TEST(SimMachineTest, AnUnusableFileGivesAMachineWithoutReaders) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("machine.json"));
  ASSERT_TRUE(fp_test::WriteFile(file, R"({"readers": 5})"));
  setenv("FINGERPRINT_SIM", file.toLocal8Bit().constData(), 1);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(platform::sim::CurrentMachine()->readers.empty());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "FINGERPRINT_SIM: bad simulation file '" + file.toStdString() +
                "': readers: expected an array; simulating a machine without readers\n");
}

}  // namespace
