#include "suite/hostcore/hostcore.h"

#include <gtest/gtest.h>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>

#include "platform/platform.h"
#include "platform/system.h"

namespace {

using kivra::hostcore::get_module;
using kivra::hostcore::ModuleLoader;

// A binary deep in the file system: its name does not fit the first buffer
// (Windows then fills the buffer and reports its size) and is read in full.
TEST(HostcoreTest, LongModulePathsAreReadInFull) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  QString folder = QFileInfo(root.path()).canonicalFilePath();
  for (const char letter : {'x', 'y', 'z'}) folder += QLatin1Char('/') + QString(200, QLatin1Char(letter));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString file = folder + QStringLiteral("/path_probe.so");
  ASSERT_TRUE(QFile::copy(QStringLiteral(FP_PATH_PROBE), file));
  QLibrary library(file);
  const QFunctionPointer probe = library.resolve("fp_path_probe");
  ASSERT_NE(probe, nullptr) << library.errorString().toStdString();
  EXPECT_EQ(kivra::hostcore::detail::DirectoryOfBinaryContaining(reinterpret_cast<const void*>(probe)),
            folder.toStdString());
  library.unload();
}

TEST(HostcoreTest, LoaderLoadsAndReleasesThroughThePlatform) {
  ModuleLoader* loader = get_module();
  const uint64_t before = loader->loadedCount();

  void* shcore = loader->loadLibrary("shcore.dll", ModuleLoader::kSystemFolderOnly);
  ASSERT_NE(shcore, nullptr);
  EXPECT_EQ(loader->loadedCount(), before + 1);
  EXPECT_NE(platform::system().GetProcAddress(shcore, "GetDpiForMonitor"), nullptr);
  EXPECT_TRUE(loader->releaseLibrary(shcore));
  EXPECT_EQ(loader->loadedCount(), before);
  EXPECT_EQ(platform::system().GetProcAddress(shcore, "GetDpiForMonitor"), nullptr) << "released for good";
  EXPECT_FALSE(loader->releaseLibrary(shcore)) << "a second release has nothing to give back";
  EXPECT_EQ(loader->loadLibrary("nosuch.dll", 1), nullptr);
  EXPECT_EQ(loader->loadLibrary(nullptr, 1), nullptr);
  EXPECT_FALSE(loader->releaseLibrary(nullptr));
  EXPECT_EQ(loader->loadedCount(), before);
}

}  // namespace
