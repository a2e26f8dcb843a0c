#include "suite/hostcore/hostcore.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"

namespace {

using kivra::hostcore::get_module;
using kivra::hostcore::ModuleLoader;
using ::testing::_;

TEST(HostcoreTest, LongModulePathsAreReadInFull) {
  fp_test::ScopedMockSystem system;
  const std::u16string path = u"/very" + std::u16string(600, u'x') + u"/module_fingerprint.so";
  int binary = 0;  // the handle of the binary holding the address
  ON_CALL(*system, ModuleFromAddress(&binary)).WillByDefault(::testing::Return(&binary));
  EXPECT_CALL(*system, GetModuleFileNameW(&binary, _, _))
      .WillRepeatedly([&](platform::LibraryHandle, char16_t* buffer, uint32_t size) -> uint32_t {
        // Windows semantics: a truncated name fills the buffer and reports its size.
        const size_t copied = std::min<size_t>(path.size(), size - 1);
        std::memcpy(buffer, path.data(), copied * sizeof(char16_t));
        buffer[copied] = u'\0';
        return copied < path.size() ? size : static_cast<uint32_t>(copied);
      });
  EXPECT_EQ(kivra::hostcore::detail::DirectoryOfBinaryContaining(&binary), "/very" + std::string(600, 'x'));
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
