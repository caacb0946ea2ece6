// The file services as every host gives them: these tests go through
// TestMachine::Host() only, so they hold for the POSIX host and for the
// Win32 API alike.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/Text.h"
#include "host/HostServices.h"
#include "support/TestMachine.h"

namespace {

using ::testing::ElementsAre;

constexpr std::uint32_t kShareNone = 0;
constexpr std::uint32_t kRead = win::kGenericRead;
constexpr std::uint32_t kWrite = win::kGenericWrite;

class FileServices : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return machine_.InfHostPath(name); }

  win::HANDLE Open(const std::string& name, std::uint32_t access = kRead,
                   std::uint32_t share = kShareNone,
                   std::uint32_t disposition = win::kOpenExisting) {
    return host_.files.CreateFileA(Path(name).c_str(), access, share, disposition,
                                   win::kFileAttributeNormal);
  }

  // The whole file read through the host; "<failed>" when any call fails.
  std::string ReadThroughHost(const std::string& hostPath) {
    const win::HANDLE file = host_.files.CreateFileA(hostPath.c_str(), kRead, kShareNone,
                                                     win::kOpenExisting, win::kFileAttributeNormal);
    if (file == win::InvalidHandleValue()) return "<failed>";
    char buffer[256];
    std::uint32_t read = 0;
    const bool ok = host_.files.ReadFile(file, buffer, sizeof buffer, &read);
    host_.files.CloseHandle(file);
    return ok ? std::string(buffer, read) : "<failed>";
  }

  bool WriteThroughHost(win::HANDLE file, const std::string& bytes) {
    std::uint32_t written = 0;
    const bool ok = host_.files.WriteFile(file, bytes.data(),
                                          static_cast<std::uint32_t>(bytes.size()), &written);
    return ok && written == bytes.size();
  }

  win::FileStatus Status(const std::string& name) {
    win::FileStatus status{};
    EXPECT_TRUE(host_.files.QueryFileStatus(Path(name).c_str(), &status)) << name;
    return status;
  }

  TestMachine machine_;
  HostServices& host_ = machine_.Host();
};

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

TEST_F(FileServices, NamesMatchWithoutRegardToLetterCase) {
  machine_.WriteInf("MsHdc.Inf", "abc");
  for (const std::string& path :
       {Path("MSHDC.INF"), Path("mshdc.inf"), Upper(Path("mShDc.iNf")), Lower(Path("MSHDC.INF"))}) {
    win::FileStatus status{};
    ASSERT_TRUE(host_.files.QueryFileStatus(path.c_str(), &status)) << path;
    EXPECT_EQ(status.size, 3u) << path;
    EXPECT_EQ(ReadThroughHost(path), "abc") << path;
  }
}

TEST_F(FileServices, CreatingOverANameInOtherLettersReplacesThatFile) {
  machine_.WriteInf("MSHDC.INF", "old text");
  const win::HANDLE file = Open("mshdc.inf", kWrite, kShareNone, win::kCreateAlways);
  ASSERT_NE(file, win::InvalidHandleValue());
  EXPECT_TRUE(WriteThroughHost(file, "new"));
  EXPECT_TRUE(host_.files.CloseHandle(file));
  EXPECT_THAT(machine_.ListInf(), ElementsAre("MSHDC.INF"));
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "new");
}

TEST_F(FileServices, StatusGivesSizeAndAttributes) {
  machine_.WriteInf("PLAIN.INF", "12345");
  machine_.WriteInf("LOCKED.INF", "1");
  machine_.SetInfReadOnly("LOCKED.INF", true);
  machine_.MakeInfFolder("MSHDC.OR3");

  const win::FileStatus plain = Status("PLAIN.INF");
  EXPECT_EQ(plain.size, 5u);
  EXPECT_EQ(plain.attributes & (win::kFileAttributeReadonly | win::kFileAttributeDirectory), 0u);

  const win::FileStatus locked = Status("LOCKED.INF");
  EXPECT_EQ(locked.size, 1u);
  EXPECT_NE(locked.attributes & win::kFileAttributeReadonly, 0u);

  const win::FileStatus folder = Status("MSHDC.OR3");
  EXPECT_NE(folder.attributes & win::kFileAttributeDirectory, 0u);
}

TEST_F(FileServices, StatusFailsWhereNothingHasTheName) {
  const struct {
    const char* name;
  } cases[] = {
      {"MISSING.INF"},
      {"NOFOLDER\\MISSING.INF"},
  };
  for (const auto& c : cases) {
    win::FileStatus status{};
    EXPECT_FALSE(host_.files.QueryFileStatus(Path(c.name).c_str(), &status)) << c.name;
  }
}

TEST_F(FileServices, StatusTimesFollowTheTimesSetOnTheFiles) {
  const std::int64_t kOlder = 1000000000;  // September 2001
  machine_.WriteInf("MSHDC.OR0", "a");
  machine_.WriteInf("MSHDC.OR1", "b");
  machine_.SetInfTime("MSHDC.OR0", kOlder);
  machine_.SetInfTime("MSHDC.OR1", kOlder + 100);

  const win::FileStatus older = Status("MSHDC.OR0");
  const win::FileStatus newer = Status("MSHDC.OR1");
  EXPECT_EQ(newer.lastWriteTime - older.lastWriteTime, 100);
  EXPECT_EQ(newer.creationTime - older.creationTime, 100);
}

TEST_F(FileServices, OpeningFailsWithoutAFileOrFolderOrOnAFolder) {
  machine_.MakeInfFolder("FOLDER.INF");
  const struct {
    const char* name;
    std::uint32_t disposition;
  } cases[] = {
      {"MISSING.INF", win::kOpenExisting},       {"NOFOLDER\\MISSING.INF", win::kOpenExisting},
      {"NOFOLDER\\NEW.INF", win::kCreateAlways}, {"FOLDER.INF", win::kOpenExisting},
      {"FOLDER.INF", win::kCreateAlways},
  };
  for (const auto& c : cases) {
    const std::uint32_t access = c.disposition == win::kCreateAlways ? kWrite : kRead;
    EXPECT_EQ(Open(c.name, access, kShareNone, c.disposition), win::InvalidHandleValue()) << c.name;
  }
}

// The store puts an empty INF file back with it: it must never open, let
// alone empty, a file that is there.
TEST_F(FileServices, CreateNewMakesAnEmptyFileButNeverOpensOneThatIsThere) {
  machine_.WriteInf("MSHDC.INF", "text");
  EXPECT_EQ(Open("MSHDC.INF", kWrite, kShareNone, win::kCreateNew), win::InvalidHandleValue());
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "text");

  const win::HANDLE file = Open("NEW.INF", kWrite, kShareNone, win::kCreateNew);
  ASSERT_NE(file, win::InvalidHandleValue());
  EXPECT_TRUE(host_.files.CloseHandle(file));
  EXPECT_EQ(machine_.ReadInf("NEW.INF"), "");
}

TEST_F(FileServices, CreateAlwaysStartsEmptyAndReadsBackWhatWasWritten) {
  machine_.WriteInf("MSHDC.TMP", "a much longer leftover text");
  const win::HANDLE file = Open("MSHDC.TMP", kWrite, kShareNone, win::kCreateAlways);
  ASSERT_NE(file, win::InvalidHandleValue());
  EXPECT_TRUE(WriteThroughHost(file, "line\r\n"));
  EXPECT_TRUE(WriteThroughHost(file, "next\r\n"));
  EXPECT_TRUE(host_.files.FlushFileBuffers(file));
  EXPECT_TRUE(host_.files.CloseHandle(file));

  EXPECT_EQ(machine_.ReadInf("MSHDC.TMP"), "line\r\nnext\r\n");
  EXPECT_EQ(ReadThroughHost(Path("MSHDC.TMP")), "line\r\nnext\r\n");
  EXPECT_EQ(Status("MSHDC.TMP").attributes & win::kFileAttributeReadonly, 0u);
}

TEST_F(FileServices, AReadStopsAtTheEndOfTheFile) {
  machine_.WriteInf("USB.INF", "xyz");
  const win::HANDLE file = Open("USB.INF");
  ASSERT_NE(file, win::InvalidHandleValue());
  char buffer[16];
  std::uint32_t read = 99;
  EXPECT_TRUE(host_.files.ReadFile(file, buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 3u);
  EXPECT_TRUE(host_.files.ReadFile(file, buffer, sizeof buffer, &read));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(host_.files.CloseHandle(file));
}

TEST_F(FileServices, AMoveNeverReplacesAFile) {
  machine_.WriteInf("MSHDC.TMP", "new");
  machine_.WriteInf("MSHDC.INF", "old");
  for (const char* target : {"MSHDC.INF", "mshdc.inf", "Mshdc.Inf"}) {
    EXPECT_FALSE(host_.files.MoveFileA(Path("MSHDC.TMP").c_str(), Path(target).c_str())) << target;
  }
  EXPECT_THAT(machine_.ListInf(), ElementsAre("MSHDC.INF", "MSHDC.TMP"));
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "old");
  EXPECT_EQ(machine_.ReadInf("MSHDC.TMP"), "new");
}

TEST_F(FileServices, AMoveOntoAFolderNameIsRefused) {
  machine_.WriteInf("MSHDC.INF", "old");
  machine_.MakeInfFolder("MSHDC.OR0");
  EXPECT_FALSE(host_.files.MoveFileA(Path("MSHDC.INF").c_str(), Path("MSHDC.OR0").c_str()));
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "old");
}

TEST_F(FileServices, AMoveFailsWithoutASourceOrATargetFolder) {
  machine_.WriteInf("MSHDC.INF", "old");
  const struct {
    const char* from;
    const char* to;
  } cases[] = {
      {"MISSING.INF", "MISSING.OR0"},
      {"MSHDC.INF", "NOFOLDER\\MSHDC.OR0"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(host_.files.MoveFileA(Path(c.from).c_str(), Path(c.to).c_str())) << c.from;
  }
  EXPECT_EQ(machine_.ReadInf("MSHDC.INF"), "old");
}

TEST_F(FileServices, AMovedFileKeepsContentAttributesAndTimes) {
  const std::int64_t kWritten = 1100000000;
  machine_.WriteInf("MSHDC.INF", "old text");
  machine_.SetInfTime("MSHDC.INF", kWritten);
  machine_.SetInfReadOnly("MSHDC.INF", true);
  const win::FileStatus before = Status("MSHDC.INF");

  ASSERT_TRUE(host_.files.MoveFileA(Path("mshdc.inf").c_str(), Path("MSHDC.OR0").c_str()));

  EXPECT_FALSE(machine_.InfExists("MSHDC.INF"));
  EXPECT_EQ(machine_.ReadInf("MSHDC.OR0"), "old text");
  EXPECT_TRUE(machine_.InfReadOnly("MSHDC.OR0"));
  const win::FileStatus after = Status("MSHDC.OR0");
  EXPECT_EQ(after.lastWriteTime, before.lastWriteTime);
  EXPECT_EQ(after.creationTime, before.creationTime);
  EXPECT_EQ(after.attributes, before.attributes);
}

TEST_F(FileServices, DeleteRefusesReadOnlyFilesAndFolders) {
  machine_.WriteInf("MSHDC.OR0", "kept");
  machine_.SetInfReadOnly("MSHDC.OR0", true);
  machine_.MakeInfFolder("MSHDC.OR1");
  const struct {
    const char* name;
  } cases[] = {
      {"MSHDC.OR0"},
      {"MSHDC.OR1"},
      {"MSHDC.OR2"},
      {"NOFOLDER\\MSHDC.OR2"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(host_.files.DeleteFileA(Path(c.name).c_str())) << c.name;
  }
  EXPECT_THAT(machine_.ListInf(), ElementsAre("MSHDC.OR0", "MSHDC.OR1"));

  machine_.SetInfReadOnly("MSHDC.OR0", false);
  EXPECT_TRUE(host_.files.DeleteFileA(Path("mshdc.or0").c_str()));
  EXPECT_THAT(machine_.ListInf(), ElementsAre("MSHDC.OR1"));
}

TEST_F(FileServices, WindowsDirectoryFollowsTheResultRules) {
  char directory[win::kMaxPath];
  const std::uint32_t length = host_.files.GetWindowsDirectoryA(directory, sizeof directory);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof directory);
  EXPECT_EQ(std::string(directory).size(), length);
  EXPECT_EQ(Path("X.INF"), std::string(directory) + "\\INF\\X.INF");

  char tooSmall[win::kMaxPath];
  for (char& c : tooSmall) c = '#';
  EXPECT_EQ(host_.files.GetWindowsDirectoryA(tooSmall, length), length + 1);
  EXPECT_EQ(tooSmall[0], '#');
  EXPECT_EQ(host_.files.GetWindowsDirectoryA(tooSmall, length + 1), length);
  EXPECT_EQ(std::string(tooSmall), std::string(directory));
}

}  // namespace
