// The system services as every host gives them: these tests go through
// TestMachine::Host() only, so they hold for the POSIX host's scripted
// system and for the Win32 API alike. The restart is left out: on a real
// host it would end the session that runs the tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/HostServices.h"
#include "support/TestMachine.h"

namespace {

constexpr std::uint32_t kFileEntryId = 9900;
constexpr char kFileEntry[] = "mshdc.inf 3 10 30 50";
// No string of the table has this ID.
constexpr std::uint32_t kAbsentId = 0xFFFF;
constexpr std::uint32_t kWindows95FamilyBit = 0x80000000u;
constexpr int kThreadPriorityNormal = 0;

class SystemServices : public ::testing::Test {
 protected:
  TestMachine machine_;
  HostServices& host_ = machine_.Host();
  win::HINSTANCE module_ = host_.system.GetModuleHandleA(nullptr);
};

TEST_F(SystemServices, TheRunningModuleReadsItsOwnStringTable) {
  ASSERT_NE(module_, nullptr);
  char buffer[64] = "unchanged";
  const int length = host_.system.LoadStringA(module_, kFileEntryId, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0), kFileEntry);
  EXPECT_EQ(buffer[length > 0 ? length : 0], '\0');
}

// The script's reader doubles its buffer until a string comes back whole:
// it relies on a string cut to the buffer, zero-terminated, and on an absent
// string's length 0.
TEST_F(SystemServices, AStringIsCutToItsBufferAndAnAbsentOneHasLengthZero) {
  char buffer[6] = "-----";
  EXPECT_EQ(host_.system.LoadStringA(module_, kFileEntryId, buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "mshdc");
  char absent[16] = "unchanged";
  EXPECT_EQ(host_.system.LoadStringA(module_, kAbsentId, absent, sizeof absent), 0);
}

// The banner's class is named after the executable's file name.
TEST_F(SystemServices, TheModulesFileNameIsAWholePathToAnExecutable) {
  char name[260] = {};
  const std::uint32_t length = host_.system.GetModuleFileNameA(module_, name, sizeof name);
  ASSERT_GT(length, 4u);
  ASSERT_LT(length, sizeof name);
  EXPECT_EQ(name[length], '\0');
  std::string extension(name + length - 4);
  for (char& c : extension) c = static_cast<char>(c | 0x20);
  EXPECT_EQ(extension, ".exe") << name;
  EXPECT_NE(std::string(name).find('\\'), std::string::npos) << name;
}

// The probe reads the version through GetVersionExA; the frame reads the
// major version from GetVersion. Both tell the same version and family.
TEST_F(SystemServices, BothVersionQueriesTellTheSameVersion) {
  win::OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(host_.system.GetVersionExA(&version));
  const std::uint32_t packed = host_.system.GetVersion();
  EXPECT_EQ(packed & 0xFF, version.dwMajorVersion);
  EXPECT_EQ((packed >> 8) & 0xFF, version.dwMinorVersion);
  EXPECT_EQ((packed & kWindows95FamilyBit) == 0, version.dwPlatformId == win::kVerPlatformWin32Nt);
}

TEST_F(SystemServices, TheVersionQueryRefusesABlockOfAnotherSize) {
  win::OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version - 4;
  EXPECT_FALSE(host_.system.GetVersionExA(&version));
}

// The run raises the priority of the thread that it runs on.
TEST_F(SystemServices, TheCurrentThreadsPriorityCanBeRaised) {
  const win::HANDLE thread = host_.system.GetCurrentThread();
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(thread), -2);
  EXPECT_TRUE(host_.system.SetThreadPriority(thread, win::kThreadPriorityHighest));
  host_.system.SetThreadPriority(thread, kThreadPriorityNormal);
}

// The run asks for the privilege on NT alone, before the restart; Wine
// grants it in a prefix of either family.
TEST_F(SystemServices, TheShutdownPrivilegeIsGranted) {
  EXPECT_TRUE(host_.system.EnableShutdownPrivilege());
}

}  // namespace
