#include <cctype>
#include <gtest/gtest.h>

#include <QProcess>

namespace {

// Only the three entry points are visible to a host.
TEST(ExportsTest, ExactlyThreeSymbols) {
  QProcess nm;
  nm.start(QStringLiteral("nm"),
           {QStringLiteral("-D"), QStringLiteral("--defined-only"), QStringLiteral(FP_MODULE_PATH)});
  ASSERT_TRUE(nm.waitForFinished(60000));
  ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
  QStringList names;
  for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    // Lower-case types are local entries no other binary can bind to.
    if (fields.size() == 3 && !std::islower(static_cast<unsigned char>(fields[1].at(0))))
      names << QString::fromLatin1(fields[2]);
  }
  names.sort();
  EXPECT_EQ(names,
            (QStringList{QStringLiteral("GetModuleInterfaceInstance"), QStringLiteral("GetProductVersion"),
                         QStringLiteral("ReleaseModuleInterfaceInstance")}));
}

}  // namespace
