// The backend a user chooses in FINGERPRINT_BACKEND, as diag-host shows it. A
// choice that cannot be had must list no reader: a diagnostic tool must not
// pass a simulated reader off as the machine's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

namespace {

struct Choice {
  const char* value;  // nullptr: unset
  const char* backendLine;
  bool simulatedReaderListed;
  const char* error;  // expected on standard error, "" for none
};

TEST(DiagHostBackendTest, ListsTheReadersOfTheChosenBackendOnly) {
  const Choice choices[] = {
      {nullptr, "Backend: sim", true, ""},
      {"sim", "Backend: sim", true, ""},
      {"bogus", "Backend: bogus", false, "FINGERPRINT_BACKEND=bogus: unknown backend"},
  };
  for (const Choice& choice : choices) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
    if (choice.value)
      environment.insert(QStringLiteral("FINGERPRINT_BACKEND"), QString::fromUtf8(choice.value));
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(QStringLiteral(FP_DIAG_HOST_PATH), {QStringLiteral("list")});
    ASSERT_TRUE(host.waitForFinished(60000));
    const std::string out = host.readAllStandardOutput().toStdString();
    const std::string err = host.readAllStandardError().toStdString();
    const std::string label = choice.value ? choice.value : "(unset)";
    EXPECT_EQ(host.exitCode(), 0) << label;
    EXPECT_THAT(out, testing::StartsWith(std::string(choice.backendLine) + "\n")) << label;
    EXPECT_EQ(out.find("Simulated fingerprint reader") != std::string::npos, choice.simulatedReaderListed)
        << label << ": " << out;
    EXPECT_THAT(err, testing::HasSubstr(choice.error)) << label;
  }
}

}  // namespace
