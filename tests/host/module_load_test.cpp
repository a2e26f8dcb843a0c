#include <cctype>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "host/module_library.h"
#include "tests/support/test_support.h"

namespace {

// A file that is missing, not a library, or a library without the exports
// is named in the error.
TEST(ModuleLoadTest, UnusableFilesAreNamed) {
  QTemporaryDir dir;
  const QString notALibrary = dir.filePath(QStringLiteral("module_fingerprint.so"));
  ASSERT_TRUE(fp_test::WriteFile(notALibrary, "not a shared object"));
  const std::pair<QString, QString> rows[] = {
      {QStringLiteral("/nonexistent/module_fingerprint.so"), QStringLiteral("does not exist")},
      {notALibrary, notALibrary},
      {QStringLiteral(FP_FOREIGN_LIBRARY_PATH), QStringLiteral("GetModuleInterfaceInstance")}};
  for (const auto& [path, named] : rows) {
    ModuleLibrary library;
    QString error;
    EXPECT_FALSE(library.Load(path, &error));
    EXPECT_TRUE(error.contains(named)) << error.toStdString();
  }
}

TEST(ModuleLoadTest, ExportsExactlyThreeSymbols) {
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
