// What only the POSIX host has to get right on its own: the mapping of
// Windows paths onto the root folder, the Windows rules that root would
// otherwise escape (read-only files), and the handle table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "host/posix/PosixHost.h"
#include "support/TestMachine.h"

namespace {

using ::testing::ElementsAre;

constexpr std::uint32_t kRead = win::kGenericRead;
constexpr std::uint32_t kWrite = win::kGenericWrite;

class PosixFiles : public ::testing::Test {
 protected:
  PosixFileSystem& Files() { return static_cast<PosixHost&>(machine_.Host()).Files(); }

  win::HANDLE Open(const std::string& path, std::uint32_t access = kRead,
                   std::uint32_t disposition = win::kOpenExisting,
                   std::uint32_t attributes = win::kFileAttributeNormal) {
    return Files().CreateFileA(path.c_str(), access, 0, disposition, attributes);
  }

  win::FileStatus Status(const std::string& path) {
    win::FileStatus status{};
    EXPECT_TRUE(Files().QueryFileStatus(path.c_str(), &status)) << path;
    return status;
  }

  TestMachine machine_;
};

TEST_F(PosixFiles, WindowsPathsMapOntoTheRootFolder) {
  machine_.WriteInf("MSHDC.INF", "abc");
  const std::string tooLong = "C:\\WINDOWS\\INF\\" + std::string(250, 'A') + ".INF";
  const struct {
    std::string path;
    bool found;
  } cases[] = {
      {"C:\\WINDOWS\\INF\\MSHDC.INF", true},
      {"c:\\windows\\inf\\mshdc.inf", true},
      {"C:/WINDOWS/INF/MSHDC.INF", true},
      {"C:\\WINDOWS\\\\INF\\MSHDC.INF", true},
      {"C:\\WINDOWS\\.\\SYSTEM\\..\\INF\\MSHDC.INF", true},
      {"C:\\..\\..\\WINDOWS\\INF\\MSHDC.INF", true},
      {"D:\\WINDOWS\\INF\\MSHDC.INF", false},
      {"WINDOWS\\INF\\MSHDC.INF", false},
      {"\\WINDOWS\\INF\\MSHDC.INF", false},
      {"C:WINDOWS\\INF\\MSHDC.INF", false},
      {"", false},
      {"C:\\WINDOWS\\INF\\MSHDC.INF\\MSHDC.INF", false},
      {"C:\\WINDOWS\\INF\\MISSING.INF", false},
      {tooLong, false},
  };
  for (const auto& c : cases) {
    win::FileStatus status{};
    EXPECT_EQ(Files().QueryFileStatus(c.path.c_str(), &status), c.found) << c.path;
    if (c.found) {
      EXPECT_EQ(status.size, 3u) << c.path;
    }
  }
}

TEST_F(PosixFiles, ANewFileKeepsTheLettersGivenInsideTheFoldersThatExist) {
  const win::HANDLE file = Open("c:\\windows\\inf\\New.Inf", kWrite, win::kCreateAlways);
  ASSERT_NE(file, win::InvalidHandleValue());
  EXPECT_TRUE(Files().CloseHandle(file));
  EXPECT_THAT(machine_.ListInf(), ElementsAre("New.Inf"));
  EXPECT_FALSE(std::filesystem::exists(machine_.InfDir().parent_path().parent_path() / "windows"));
}

TEST_F(PosixFiles, AReadOnlyFileCannotBeWrittenOrCreatedOverEvenByRoot) {
  machine_.WriteInf("MSHDC.INF", "kept");
  machine_.SetInfReadOnly("MSHDC.INF", true);
  const std::string path = machine_.InfHostPath("MSHDC.INF");
  for (const std::uint32_t disposition : {win::kOpenExisting, win::kCreateAlways}) {
    EXPECT_EQ(Open(path, kWrite, disposition), win::InvalidHandleValue()) << disposition;
  }
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "kept");

  const win::HANDLE reader = Open(path, kRead);
  EXPECT_NE(reader, win::InvalidHandleValue());
  EXPECT_TRUE(Files().CloseHandle(reader));
}

TEST_F(PosixFiles, OnlyOpenExistingCreateAlwaysAndCreateNewAreOffered) {
  machine_.WriteInf("MSHDC.INF", "x");
  for (const std::uint32_t disposition : {0u, 4u, 5u}) {
    EXPECT_EQ(Open(machine_.InfHostPath("MSHDC.INF"), kRead, disposition),
              win::InvalidHandleValue())
        << disposition;
  }
}

TEST_F(PosixFiles, HandlesServeOnlyWhatTheyWereOpenedForAndOnlyUntilClosed) {
  machine_.WriteInf("MSHDC.INF", "abc");
  const std::string path = machine_.InfHostPath("MSHDC.INF");
  char buffer[8];
  std::uint32_t moved = 0;

  const win::HANDLE reader = Open(path, kRead);
  EXPECT_FALSE(Files().WriteFile(reader, "x", 1, &moved));
  EXPECT_FALSE(Files().FlushFileBuffers(reader));
  EXPECT_TRUE(Files().CloseHandle(reader));

  const win::HANDLE writer = Open(path, kWrite);
  EXPECT_FALSE(Files().ReadFile(writer, buffer, sizeof buffer, &moved));
  EXPECT_TRUE(Files().FlushFileBuffers(writer));
  EXPECT_TRUE(Files().CloseHandle(writer));

  EXPECT_FALSE(Files().CloseHandle(writer));
  EXPECT_FALSE(Files().ReadFile(reader, buffer, sizeof buffer, &moved));
  EXPECT_FALSE(Files().CloseHandle(win::InvalidHandleValue()));
  EXPECT_FALSE(Files().CloseHandle(nullptr));
}

TEST_F(PosixFiles, SizeIsTheLowThirtyTwoBits) {
  machine_.WriteInf("HUGE.INF", "");
  std::filesystem::resize_file(machine_.InfDir() / "HUGE.INF", (std::uint64_t{1} << 32) + 7);
  EXPECT_EQ(Status(machine_.InfHostPath("HUGE.INF")).size, 7u);
}

}  // namespace
