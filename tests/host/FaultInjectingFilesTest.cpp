// The fault injector over the test machine's host: counted calls, failed
// calls that never reach the disk, short writes, the power cut and the
// tracking of open handles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/HostWrapper.h"
#include "support/TestMachine.h"

namespace {

using ::testing::ElementsAre;
using FileOp = FaultInjectingHost::FileOp;

constexpr std::uint32_t kRead = win::kGenericRead;
constexpr std::uint32_t kWrite = win::kGenericWrite;
constexpr std::uint32_t kInjected = 0xE0001234u;

// A small save: the new text to X.TMP, the old file to X.OR0, X.TMP to X.INF.
bool Save(HostServices& host, const TestMachine& machine, const std::string& text) {
  const win::HANDLE file = host.files.CreateFileA(machine.InfHostPath("X.TMP").c_str(), kWrite, 0,
                                                  win::kCreateAlways, win::kFileAttributeNormal);
  if (file == win::InvalidHandleValue()) return false;
  std::uint32_t written = 0;
  const auto size = static_cast<std::uint32_t>(text.size());
  const bool wrote = host.files.WriteFile(file, text.data(), size, &written) && written == size;
  const bool closed = host.files.CloseHandle(file);
  return wrote && closed &&
         host.files.MoveFileA(machine.InfHostPath("X.INF").c_str(),
                              machine.InfHostPath("X.OR0").c_str()) &&
         host.files.MoveFileA(machine.InfHostPath("X.TMP").c_str(),
                              machine.InfHostPath("X.INF").c_str());
}

// The names in the INF folder with what each holds, as "NAME=text".
std::vector<std::string> Disk(const TestMachine& machine) {
  std::vector<std::string> disk;
  for (const std::string& name : machine.ListInf())
    disk.push_back(name + "=" + machine.ReadInf(name));
  return disk;
}

class FaultInjection : public ::testing::Test {
 public:
  std::string Path(const std::string& name) const { return machine_.InfHostPath(name); }

  win::HANDLE OpenThrough(HostServices& host, const std::string& name, std::uint32_t access,
                          std::uint32_t disposition = win::kOpenExisting) {
    return host.files.CreateFileA(Path(name).c_str(), access, 0, disposition,
                                  win::kFileAttributeNormal);
  }

  bool Write(win::HANDLE file, const std::string& bytes, std::uint32_t* written) {
    return faults_.WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
  }

  TestMachine machine_;
  FaultInjectingHost faults_{machine_.Host()};
};

// One call of an operation through the injector, in round 1, 2, 3...;
// set-up and clean-up go to the inner host, so only the call is counted.
struct OpCase {
  const char* name;
  FileOp op;
  std::function<bool(FaultInjection&, int)> call;
};

const OpCase kOpCases[] = {
    {"GetWindowsDirectoryA", FileOp::kGetWindowsDirectory,
     [](FaultInjection& t, int) {
       char buffer[win::kMaxPath];
       return t.faults_.GetWindowsDirectoryA(buffer, sizeof buffer) != 0;
     }},
    {"QueryFileStatus", FileOp::kQueryFileStatus,
     [](FaultInjection& t, int) {
       win::FileStatus status{};
       return t.faults_.QueryFileStatus(t.Path("A.INF").c_str(), &status);
     }},
    {"CreateFileA", FileOp::kCreateFile,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.faults_, "A.INF", kRead);
       return file != win::InvalidHandleValue() && t.faults_.CloseHandle(file);
     }},
    {"ReadFile", FileOp::kReadFile,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kRead);
       char buffer[8];
       std::uint32_t read = 77;
       const bool ok = t.faults_.ReadFile(file, buffer, sizeof buffer, &read);
       t.machine_.Host().files.CloseHandle(file);
       EXPECT_EQ(read, ok ? 3u : 0u);
       return ok;
     }},
    {"WriteFile", FileOp::kWriteFile,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kWrite);
       std::uint32_t written = 77;
       const bool ok = t.Write(file, "xyz", &written);
       t.machine_.Host().files.CloseHandle(file);
       EXPECT_EQ(written, ok ? 3u : 0u);
       return ok;
     }},
    {"FlushFileBuffers", FileOp::kFlushFileBuffers,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kWrite);
       const bool ok = t.faults_.FlushFileBuffers(file);
       t.machine_.Host().files.CloseHandle(file);
       return ok;
     }},
    {"CloseHandle", FileOp::kCloseHandle,
     [](FaultInjection& t, int) {
       return t.faults_.CloseHandle(t.OpenThrough(t.machine_.Host(), "A.INF", kRead));
     }},
    {"MoveFileA", FileOp::kMoveFile,
     [](FaultInjection& t, int round) {
       const std::string name = "M" + std::to_string(round) + ".INF";
       t.machine_.WriteInf(name, "m");
       return t.faults_.MoveFileA(t.Path(name).c_str(), t.Path(name + "X").c_str());
     }},
    {"DeleteFileA", FileOp::kDeleteFile,
     [](FaultInjection& t, int round) {
       const std::string name = "D" + std::to_string(round) + ".INF";
       t.machine_.WriteInf(name, "d");
       return t.faults_.DeleteFileA(t.Path(name).c_str());
     }},
};

void PrintTo(const OpCase& c, std::ostream* out) { *out << c.name; }

class EachOperation : public FaultInjection, public ::testing::WithParamInterface<OpCase> {
 protected:
  bool CallOnce(int round) { return GetParam().call(*this, round); }
};

TEST_P(EachOperation, OnlyTheChosenCallFailsAndReportsTheChosenError) {
  machine_.WriteInf("A.INF", "abc");
  ASSERT_TRUE(faults_.FailCall(GetParam().op, 2, kInjected));

  EXPECT_TRUE(CallOnce(1));
  const std::uint32_t forwardedBefore = faults_.ForwardedCount();
  EXPECT_FALSE(CallOnce(2));
  EXPECT_EQ(faults_.GetLastError(), kInjected);
  EXPECT_EQ(faults_.ForwardedCount(), forwardedBefore);
  EXPECT_TRUE(CallOnce(3));

  EXPECT_EQ(faults_.CallCount(GetParam().op), 3u);
  EXPECT_EQ(faults_.OpenHandleCount(), 0);
}

TEST_P(EachOperation, AfterAPowerCutTheCallFailsWithoutBeingForwarded) {
  machine_.WriteInf("A.INF", "abc");
  EXPECT_TRUE(CallOnce(1));
  const std::uint32_t forwarded = faults_.ForwardedCount();
  faults_.PowerCutAfter(faults_.CallCount(FileOp::kAny));
  EXPECT_FALSE(CallOnce(2));
  EXPECT_EQ(faults_.GetLastError(), FaultInjectingHost::kPowerCutError);
  EXPECT_EQ(faults_.ForwardedCount(), forwarded);
  EXPECT_EQ(faults_.CallCount(GetParam().op), 2u);
}

INSTANTIATE_TEST_SUITE_P(FileOperations, EachOperation, ::testing::ValuesIn(kOpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultInjection, AFailedWriteStoresNothingAndMovesNoFile) {
  machine_.WriteInf("X.INF", "old");
  ASSERT_TRUE(faults_.FailCall(FileOp::kWriteFile, 1, win::kErrorDiskFull));
  EXPECT_FALSE(Save(faults_, machine_, "new text"));
  EXPECT_THAT(Disk(machine_), ElementsAre("X.INF=old", "X.TMP="));
}

TEST_F(FaultInjection, AShortWriteStoresHalfAndReportsADiskFull) {
  ASSERT_TRUE(faults_.ShortWrite(2));
  const win::HANDLE file = OpenThrough(faults_, "X.TMP", kWrite, win::kCreateAlways);
  ASSERT_NE(file, win::InvalidHandleValue());
  std::uint32_t written = 0;
  EXPECT_TRUE(Write(file, "first\r\n", &written));
  EXPECT_EQ(written, 7u);
  EXPECT_TRUE(Write(file, "0123456789", &written));
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(faults_.GetLastError(), win::kErrorDiskFull);
  EXPECT_TRUE(Write(file, "end", &written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(faults_.CloseHandle(file));
  EXPECT_EQ(machine_.ReadInf("X.TMP"), "first\r\n01234end");
}

TEST_F(FaultInjection, TheNthFileOperationOfAnyKindCanFail) {
  machine_.WriteInf("X.INF", "old");
  ASSERT_TRUE(faults_.FailCall(FileOp::kAny, 4, win::kErrorAccessDenied));  // the first move
  EXPECT_FALSE(Save(faults_, machine_, "new"));
  EXPECT_EQ(faults_.GetLastError(), win::kErrorAccessDenied);
  EXPECT_EQ(faults_.CallCount(FileOp::kMoveFile), 1u);
  EXPECT_THAT(Disk(machine_), ElementsAre("X.INF=old", "X.TMP=new"));
}

TEST_F(FaultInjection, ALaterFailureOfTheInnerHostReportsItsOwnError) {
  ASSERT_TRUE(faults_.FailCall(FileOp::kQueryFileStatus, 1, kInjected));
  win::FileStatus status{};
  EXPECT_FALSE(faults_.QueryFileStatus(Path("MISSING.INF").c_str(), &status));
  EXPECT_EQ(faults_.GetLastError(), kInjected);
  EXPECT_FALSE(faults_.QueryFileStatus(Path("MISSING.INF").c_str(), &status));
  EXPECT_EQ(faults_.GetLastError(), win::kErrorFileNotFound);
}

TEST_F(FaultInjection, ACleanRunCountsTheCallsAndACutAtEachOfThemLeavesTheOldTextOnDisk) {
  machine_.WriteInf("X.INF", "old");
  ASSERT_TRUE(Save(faults_, machine_, "new"));
  const std::uint32_t calls = faults_.ForwardedCount();
  EXPECT_EQ(calls, 5u);
  EXPECT_EQ(faults_.CallCount(FileOp::kAny), calls);
  EXPECT_EQ(faults_.CallCount(FileOp::kMoveFile), 2u);

  const std::vector<std::string> expected[] = {
      {"X.INF=old"},
      {"X.INF=old", "X.TMP="},
      {"X.INF=old", "X.TMP=new"},
      {"X.INF=old", "X.TMP=new"},
      {"X.OR0=old", "X.TMP=new"},
  };
  for (std::uint32_t cut = 0; cut < calls; ++cut) {
    TestMachine machine;
    machine.WriteInf("X.INF", "old");
    FaultInjectingHost faults(machine.Host());
    faults.PowerCutAfter(cut);
    EXPECT_FALSE(Save(faults, machine, "new")) << "cut after call " << cut;
    EXPECT_EQ(faults.ForwardedCount(), cut);
    faults.CloseLeftoverHandles();
    EXPECT_EQ(Disk(machine), expected[cut]) << "cut after call " << cut;
  }
}

TEST_F(FaultInjection, HandlesAreTrackedUntilTheCallerClosesThem) {
  machine_.WriteInf("A.INF", "a");
  machine_.WriteInf("B.INF", "b");
  const win::HANDLE a = OpenThrough(faults_, "A.INF", kRead);
  const win::HANDLE b = OpenThrough(faults_, "B.INF", kRead);
  EXPECT_EQ(faults_.OpenHandleCount(), 2);
  EXPECT_EQ(OpenThrough(faults_, "MISSING.INF", kRead), win::InvalidHandleValue());
  EXPECT_EQ(faults_.OpenHandleCount(), 2);

  EXPECT_TRUE(faults_.CloseHandle(a));
  EXPECT_EQ(faults_.OpenHandleCount(), 1);

  // A close that fails still releases the handle, as on Win32, and reports
  // the chosen error.
  ASSERT_TRUE(faults_.FailCall(FileOp::kCloseHandle, 2, kInjected));
  EXPECT_FALSE(faults_.CloseHandle(b));
  EXPECT_EQ(faults_.GetLastError(), kInjected);
  EXPECT_EQ(faults_.OpenHandleCount(), 0);
  const win::HANDLE again = OpenThrough(machine_.Host(), "B.INF", kRead);
  EXPECT_NE(again, win::InvalidHandleValue());
  EXPECT_TRUE(machine_.Host().files.CloseHandle(again));
}

TEST_F(FaultInjection, HandlesLeftOpenAreClosedWhenTheInjectorGoesAway) {
  machine_.WriteInf("A.INF", "a");
  {
    FaultInjectingHost faults(machine_.Host());
    ASSERT_NE(OpenThrough(faults, "A.INF", kRead), win::InvalidHandleValue());
    EXPECT_EQ(faults.OpenHandleCount(), 1);
  }
  const win::HANDLE again = OpenThrough(machine_.Host(), "A.INF", kRead);
  EXPECT_NE(again, win::InvalidHandleValue());
  EXPECT_TRUE(machine_.Host().files.CloseHandle(again));
}

TEST_F(FaultInjection, TheRuleTableRefusesWhatItCannotHold) {
  for (int i = 0; i < FaultInjectingHost::kMaxRules; ++i) {
    ASSERT_TRUE(faults_.FailCall(FileOp::kReadFile, 100 + i, kInjected));
  }
  EXPECT_FALSE(faults_.FailCall(FileOp::kReadFile, 1, kInjected));
  EXPECT_FALSE(faults_.ShortWrite(1));
}

}  // namespace
