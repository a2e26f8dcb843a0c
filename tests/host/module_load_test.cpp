#include <cctype>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/product_version.h"
#include "contract/resource.h"
#include "contract/test.h"
#include "host/module_library.h"

namespace {

QString ModulePath() {
  return QStringLiteral(FP_MODULE_PATH);
}

TEST(ModuleLoadTest, MissingFileIsNamed) {
  ModuleLibrary library;
  QString error;
  EXPECT_FALSE(library.Load(QStringLiteral("/nonexistent/module_fingerprint.so"), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/module_fingerprint.so"))) << error.toStdString();
  EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
}

TEST(ModuleLoadTest, FileThatIsNotALibraryIsNamed) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("module_fingerprint.so"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a shared object");
  file.close();

  ModuleLibrary library;
  QString error;
  EXPECT_FALSE(library.Load(path, &error));
  EXPECT_TRUE(error.contains(path)) << error.toStdString();
}

TEST(ModuleLoadTest, LibraryWithoutTheExportsIsNamed) {
  ModuleLibrary library;
  QString error;
  EXPECT_FALSE(library.Load(QStringLiteral(FP_FOREIGN_LIBRARY_PATH), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("GetModuleInterfaceInstance"))) << error.toStdString();
}

TEST(ModuleLoadTest, BuildReleaseAndRebuildThroughTheExports) {
  ModuleLibrary library;
  QString error;
  ASSERT_TRUE(library.Load(ModulePath(), &error)) << error.toStdString();

  ProductVersion* version = library.Version();
  EXPECT_EQ(version, library.Version());
  EXPECT_EQ(version->GetMajor(), 4u);
  EXPECT_EQ(version->GetMinor(), 42u);
  EXPECT_EQ(version->GetPatch(), 0u);
  EXPECT_EQ(version->GetBuild(), 92u);

  ModuleInterface* first = library.Interface();
  EXPECT_EQ(library.Interface(), first);  // built once
  ASSERT_EQ(first->GetDiagnosticCount(), 1u);
  Diagnostic* diagnostic = first->GetDiagnostic(0);
  EXPECT_EQ(diagnostic->GetId(), (ComponentId{22, 1, 0}));
  EXPECT_EQ(diagnostic->GetTest(0)->id, (ComponentId{22, 1, 1}));
  EXPECT_EQ(first->GetResource()->GetTestName(diagnostic->GetTest(0)->id), "RECOGNITION_TEST");

  library.Release();
  library.Release();  // a second release does nothing

  ModuleInterface* second = library.Interface();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetDiagnosticCount(), 1u);
  EXPECT_EQ(second->GetResource()->GetModuleName(), "FINGERPRINT");
  EXPECT_EQ(library.Version(), version);
  library.Release();
}

TEST(ModuleLoadTest, ExportsExactlyThreeSymbols) {
  QProcess nm;
  nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), ModulePath()});
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

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
