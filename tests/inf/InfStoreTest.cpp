// Loading INF files into lines and saving them back through a temporary
// file, with the old file kept as a numbered backup: these bytes in, these
// lines, these bytes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"
#include "support/WindowsDirectoryHost.h"

namespace {

using Lines = std::vector<std::string>;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

struct RoundTrip {
  const char* name;
  std::string bytes;
  Lines lines;
  std::string saved;
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {
 protected:
  TestMachine machine;
  UpdaterProbe engine{machine.Host()};
};

TEST_P(RoundTripTest, LoadsLinesAndSavesThemWithCrLf) {
  const RoundTrip& c = GetParam();
  machine.WriteInf("mshdc.inf", c.bytes);
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(engine.Existed(), 1);
  EXPECT_EQ(engine.Lines(), c.lines);
  EXPECT_EQ(engine.Path(), machine.InfHostPath("mshdc.inf"));
  EXPECT_EQ(engine.TempPath(), machine.InfHostPath("mshdc.tmp"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), c.saved);
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), c.bytes);
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.OR0", "mshdc.inf"}));
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, RoundTripTest,
    ::testing::Values(
        RoundTrip{"NoFinalLineEnd", "a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
        RoundTrip{
            "FinalLineEndGivesAnEmptyLastLine", "a\r\nb\r\n", {"a", "b", ""}, "a\r\nb\r\n\r\n"},
        RoundTrip{"TwoLineEndsInARow", "a\r\n\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        RoundTrip{"OnlyALineEnd", "\r\n", {"", ""}, "\r\n\r\n"},
        RoundTrip{"OneByte", "x", {"x"}, "x\r\n"},
        RoundTrip{"LoneLineFeedStaysInItsLine", "a\nb\r\nc", {"a\nb", "c"}, "a\nb\r\nc\r\n"},
        RoundTrip{"LoneCarriageReturnStaysInItsLine", "a\rb\r\n", {"a\rb", ""}, "a\rb\r\n\r\n"},
        RoundTrip{"CarriageReturnBeforeALineEnd", "a\r\r\nb\r", {"a\r", "b\r"}, "a\r\r\nb\r\r\n"},
        RoundTrip{"LineFeedThenCarriageReturn", "a\n\rb", {"a\n\rb"}, "a\n\rb\r\n"},
        RoundTrip{"BytesKeptAsTheyAre",
                  "\t[Strings] \xE4\x1A\xFF\r\n%x%=\"y\" ",
                  {"\t[Strings] \xE4\x1A\xFF", "%x%=\"y\" "},
                  "\t[Strings] \xE4\x1A\xFF\r\n%x%=\"y\" \r\n"},
        RoundTrip{"EndOfFileMark", "a\r\n\x1A", {"a", "\x1A"}, "a\r\n\x1A\r\n"},
        RoundTrip{"LongLine",
                  std::string(5000, 'k') + "\r\nz",
                  {std::string(5000, 'k'), "z"},
                  std::string(5000, 'k') + "\r\nz\r\n"}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

class StoreTest : public ::testing::Test {
 protected:
  TestMachine machine;
  UpdaterProbe engine{machine.Host()};
};

TEST_F(StoreTest, InfDirectoryIsTheWindowsDirectoryWithInf) {
  EXPECT_EQ(engine.InfDirectory(), machine.InfHostPath(""));
}

// The new text goes through the temporary name, so that a write cut short
// never leaves a part of it under the file's own name.
TEST_F(StoreTest, ZeroSizeFileCountsAsMissingAndIsReplacedWithoutBackup) {
  machine.WriteInf("mshdc.inf", "");
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(engine.Existed(), 0);
  EXPECT_TRUE(engine.HasDocument());
  EXPECT_TRUE(engine.Lines().empty());
  EXPECT_EQ(engine.TempPath(), machine.InfHostPath("mshdc.tmp"));
  engine.SetDocument({"[Strings]", "x"});
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "[Strings]\r\nx\r\n");
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
}

TEST_F(StoreTest, MissingFileIsCreatedUnderItsOwnName) {
  engine.LoadInf(std::string("usb.inf"));
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(engine.Existed(), 0);
  EXPECT_TRUE(engine.Lines().empty());
  engine.SetDocument({"[Intel.Section]"});
  engine.SaveInf();
  EXPECT_EQ(machine.ReadInf("usb.inf"), "[Intel.Section]\r\n");
  EXPECT_EQ(machine.ListInf(), (Names{"usb.inf"}));
}

TEST_F(StoreTest, EachLoadStartsAFreshDocument) {
  machine.WriteInf("mshdc.inf", "a\r\nb");
  machine.WriteInf("usb.inf", "c");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.LoadInf(std::string("usb.inf"));
  EXPECT_EQ(engine.Lines(), (Lines{"c"}));
  engine.LoadInf(std::string("machine.inf"));
  EXPECT_TRUE(engine.Lines().empty());
}

TEST_F(StoreTest, StaleTemporaryFileIsReplacedAndGone) {
  machine.WriteInf("mshdc.inf", "new");
  machine.WriteInf("mshdc.tmp", "stale text that is longer than the new one");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "new\r\n");
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.OR0", "mshdc.inf"}));
}

TEST_F(StoreTest, ReadOnlyFileKeepsItsAttributeInTheBackup) {
  machine.WriteInf("mshdc.inf", "old");
  machine.SetInfReadOnly("mshdc.inf", true);
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), "old");
  EXPECT_TRUE(machine.InfReadOnly("mshdc.OR0"));
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "old\r\n");
  EXPECT_FALSE(machine.InfReadOnly("mshdc.inf"));
  machine.SetInfReadOnly("mshdc.OR0", false);
}

TEST_F(StoreTest, DirectoryOfABackupNameCountsAsTaken) {
  machine.WriteInf("mshdc.inf", "old");
  machine.MakeInfFolder("mshdc.OR0");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.OR1"), "old");
  EXPECT_TRUE(fs::is_directory(machine.InfDir() / "mshdc.OR0"));
}

TEST_F(StoreTest, LowestFreeNumberWins) {
  machine.WriteInf("mshdc.inf", "first");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), "first");
  EXPECT_EQ(machine.ReadInf("mshdc.OR1"), "first\r\n");
  fs::remove(machine.InfDir() / "mshdc.OR0");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), "first\r\n\r\n");
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "first\r\n\r\n\r\n");
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.OR0", "mshdc.OR1", "mshdc.inf"}));
}

TEST_F(StoreTest, DirectoryOfTheFilesNameIsNeitherReadNorReplaced) {
  machine.MakeInfFolder("mshdc.inf");
  engine.LoadInf(std::string("mshdc.inf"));
  if (engine.GetError() == 0) engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_TRUE(fs::is_directory(machine.InfDir() / "mshdc.inf"));
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
}

TEST_F(StoreTest, SaveClearsAnEarlierFailure) {
  machine.WriteInf("mshdc.inf", "x");
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SetError(1);
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
}

TEST_F(StoreTest, SaveWithoutADocumentFails) {
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_TRUE(machine.ListInf().empty());
}

TEST_F(StoreTest, SplitLinesWithoutADocumentFails) {
  engine.SplitLines(std::string("a\r\nb"));
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_FALSE(engine.HasDocument());
}

class NineBackupsTest : public ::testing::TestWithParam<int> {};

TEST_P(NineBackupsTest, TheFreeNumberIsUsedAndNothingDeleted) {
  TestMachine machine;
  machine.WriteInf("mshdc.inf", "current");
  for (int number = 0; number <= 9; ++number) {
    if (number == GetParam()) continue;
    const std::string name = "mshdc.OR" + std::to_string(number);
    machine.WriteInf(name, "backup " + std::to_string(number));
    machine.SetInfTime(name, 1000000000 + 60 * (9 - number));
  }
  UpdaterProbe engine(machine.Host());
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  for (int number = 0; number <= 9; ++number) {
    const std::string name = "mshdc.OR" + std::to_string(number);
    EXPECT_EQ(machine.ReadInf(name),
              number == GetParam() ? "current" : "backup " + std::to_string(number));
  }
}

INSTANTIATE_TEST_SUITE_P(FreeNumbers, NineBackupsTest, ::testing::Range(0, 10));

// Names are taken from the file-name part only, whatever the directories are
// called.
class DottedDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(machine.InfDir().parent_path() / "WIN.95" / "INF");
    const std::string infFolder = machine.InfHostPath("");
    windowsDirectory = infFolder.substr(0, infFolder.size() - 5) + "\\WIN.95";
  }
  fs::path Folder() const { return machine.InfDir().parent_path() / "WIN.95" / "INF"; }
  Names List() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(Folder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Folder() / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream file(Folder() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  TestMachine machine;
  std::string windowsDirectory;
};

TEST_F(DottedDirectoryTest, FileWithoutExtensionGetsTmpAndOrAppended) {
  Write("mshdc", "old");
  WindowsDirectoryHost host(machine.Host(), windowsDirectory);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc"));
  EXPECT_EQ(engine.TempPath(), windowsDirectory + "\\INF\\mshdc.tmp");
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(Read("mshdc"), "old\r\n");
  EXPECT_EQ(Read("mshdc.OR0"), "old");
  EXPECT_EQ(List(), (Names{"mshdc", "mshdc.OR0"}));
}

TEST_F(DottedDirectoryTest, FileWithTmpExtensionIsBackedUpNotOverwritten) {
  Write("old.TMP", "old");
  WindowsDirectoryHost host(machine.Host(), windowsDirectory);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("old.TMP"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(Read("old.TMP"), "old\r\n");
  EXPECT_EQ(Read("old.OR0"), "old");
  EXPECT_EQ(List(), (Names{"old.OR0", "old.TMP"}));
}

}  // namespace
