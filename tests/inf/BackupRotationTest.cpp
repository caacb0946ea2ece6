// Ten backups taken: the one with the earliest creation time makes room.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <ostream>
#include <regex>
#include <string>

#include "StoreScenarios.h"
#include "host/FaultInjectingHost.h"
#include "support/FileCallRecorder.h"
#include "support/HostWrapper.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

constexpr std::int64_t kBaseTime = 1000000000;  // September 2001

using store::BackupName;
std::string BackupText(int number) { return "backup " + std::to_string(number); }

class RotationTest : public ::testing::Test {
 protected:
  // Ten backups whose ages, in minutes before now, are given by number.
  void MakeBackups(const std::array<int, 10>& minutesOld) {
    machine.WriteInf("mshdc.inf", "current");
    for (int number = 0; number < 10; ++number) {
      machine.WriteInf(BackupName(number), BackupText(number));
      machine.SetInfTime(BackupName(number), kBaseTime - std::int64_t{60} * minutesOld[number]);
    }
  }
  void Save(HostServices& host) {
    UpdaterProbe engine(host);
    engine.LoadInf(std::string("mshdc.inf"));
    engine.SaveInf();
    error = engine.GetError();
  }
  // The backup that took the old file; every other backup is unchanged.
  void ExpectReplaced(int replaced) {
    EXPECT_EQ(error, 0);
    EXPECT_EQ(machine.ReadInf("mshdc.inf"), "current\r\n");
    for (int number = 0; number < 10; ++number) {
      EXPECT_EQ(machine.ReadInf(BackupName(number)),
                number == replaced ? "current" : BackupText(number))
          << number;
    }
    EXPECT_EQ(machine.ListInf().size(), 11u);
  }
  void ExpectNothingChanged() {
    EXPECT_EQ(error, 1);
    EXPECT_EQ(machine.ReadInf("mshdc.inf"), "current");
    EXPECT_EQ(machine.ReadInf("mshdc.tmp"), "current\r\n");
    for (int number = 0; number < 10; ++number) {
      if (!std::filesystem::is_directory(machine.InfDir() / BackupName(number))) {
        EXPECT_EQ(machine.ReadInf(BackupName(number)), BackupText(number)) << number;
      }
    }
  }

  TestMachine machine;
  std::int32_t error = -1;
};

struct AgeCase {
  const char* name;
  std::array<int, 10> minutesOld;
  int replaced;
};

void PrintTo(const AgeCase& c, std::ostream* os) { *os << c.name; }

class RotationAgeTest : public RotationTest, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(RotationAgeTest, DeletesTheOldestAndTakesItsName) {
  MakeBackups(GetParam().minutesOld);
  Save(machine.Host());
  ExpectReplaced(GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Ages, RotationAgeTest,
    ::testing::Values(
        AgeCase{"DistinctTimes", {5, 4, 3, 10, 9, 2, 1, 8, 7, 6}, 3},
        AgeCase{"OldestIsTheFirst", {50, 4, 3, 10, 9, 2, 1, 8, 7, 6}, 0},
        AgeCase{"OldestIsTheLast", {5, 4, 3, 10, 9, 2, 1, 8, 7, 60}, 9},
        AgeCase{"SharedOldestTimeTakesTheHighestNumber", {5, 20, 3, 10, 20, 2, 20, 8, 7, 6}, 6},
        AgeCase{"AllInTheSameSecond", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 9}),
    [](const ::testing::TestParamInfo<AgeCase>& info) { return std::string(info.param.name); });

// Reports chosen creation and last-write times for the backups, by their
// digit; a creation time of 0 stands for a file system that keeps none.
class BackupTimesHost : public HostWrapper<ForwardingFiles> {
 public:
  struct Times {
    std::int32_t created;
    std::int32_t written;
  };
  BackupTimesHost(HostServices& inner, std::map<char, Times> times)
      : HostWrapper(inner), times_(std::move(times)) {}
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    if (!ForwardingFiles::QueryFileStatus(path, status)) return false;
    const std::string name(path);
    const auto found = times_.find(name.back());
    if (name.find(".OR") == std::string::npos || found == times_.end()) return true;
    status->creationTime = found->second.created;
    status->lastWriteTime = found->second.written;
    return true;
  }

 private:
  std::map<char, Times> times_;
};

struct MissingCreationCase {
  const char* name;
  std::int32_t writtenOf5;
  int replaced;
};

void PrintTo(const MissingCreationCase& c, std::ostream* os) { *os << c.name; }

class MissingCreationTimeTest : public RotationTest,
                                public ::testing::WithParamInterface<MissingCreationCase> {};

// By creation time .OR9 is the oldest of the backups that have one; .OR5 has
// none and is ranked by its last-write time.
TEST_P(MissingCreationTimeTest, RanksByTheLastWriteTime) {
  MakeBackups({1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
  std::map<char, BackupTimesHost::Times> times;
  for (char digit = '0'; digit <= '9'; ++digit) times[digit] = {2000 - 10 * (digit - '0'), 5000};
  times['5'] = {0, GetParam().writtenOf5};
  BackupTimesHost host(machine.Host(), times);
  Save(host);
  ExpectReplaced(GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    LastWrite, MissingCreationTimeTest,
    ::testing::Values(MissingCreationCase{"OlderThanEveryCreationTime", 100, 5},
                      MissingCreationCase{"NewerThanTheOldestCreationTime", 3000, 9}),
    [](const ::testing::TestParamInfo<MissingCreationCase>& info) {
      return std::string(info.param.name);
    });

// Removes one backup from the disk just before its `nth` status query, as
// another program might between the search for a free name and the rotation.
class VanishingBackupHost : public HostWrapper<ForwardingFiles> {
 public:
  VanishingBackupHost(HostServices& inner, std::filesystem::path file, std::string hostName,
                      int nth)
      : HostWrapper(inner), file_(std::move(file)), hostName_(std::move(hostName)), nth_(nth) {}
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    if (path == hostName_ && ++queries_ == nth_) std::filesystem::remove(file_);
    return ForwardingFiles::QueryFileStatus(path, status);
  }

 private:
  std::filesystem::path file_;
  std::string hostName_;
  int nth_;
  int queries_ = 0;
};

class VanishedBackupTest : public RotationTest, public ::testing::WithParamInterface<int> {};

TEST_P(VanishedBackupTest, ItsNameIsFreeAndNothingIsDeleted) {
  const int vanishing = GetParam();
  MakeBackups({5, 4, 3, 10, 9, 2, 1, 8, 7, 6});
  VanishingBackupHost host(machine.Host(), machine.InfDir() / BackupName(vanishing),
                           machine.InfHostPath(BackupName(vanishing)), 2);
  Save(host);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), "current\r\n");
  EXPECT_EQ(machine.ReadInf(BackupName(vanishing)), "current");
  for (int number = 0; number < 10; ++number) {
    if (number != vanishing) {
      EXPECT_EQ(machine.ReadInf(BackupName(number)), BackupText(number));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Numbers, VanishedBackupTest, ::testing::Values(9, 7, 3, 0));

TEST_F(RotationTest, ReadOnlyOldestBackupFailsTheSaveWithNothingLost) {
  MakeBackups({5, 4, 3, 10, 9, 2, 1, 8, 7, 6});
  machine.SetInfReadOnly(BackupName(3), true);
  Save(machine.Host());
  ExpectNothingChanged();
  EXPECT_TRUE(machine.InfReadOnly(BackupName(3)));
  machine.SetInfReadOnly(BackupName(3), false);
}

TEST_F(RotationTest, FailedDeleteFailsTheSaveWithNothingLost) {
  MakeBackups({5, 4, 3, 10, 9, 2, 1, 8, 7, 6});
  FaultInjectingHost host(machine.Host());
  host.Plan().FailCall(HostCall::kDeleteFileA, 1);
  Save(host);
  ExpectNothingChanged();
  EXPECT_EQ(host.OpenHandleCount(), 0);
}

// Memory that runs out at any allocation of the save, the search and the
// rotation included, fails it before anything is moved or deleted (but the
// temporary file), and no name made short by it reaches the host.
TEST_F(RotationTest, EveryFailedAllocationFailsTheSaveWithNothingLost) {
  const std::regex changeOrForeignName(
      "^MoveFile |^DeleteFile (?!mshdc\\.tmp$)|^(QueryFileStatus|CreateFile) (?!mshdc\\.)");
  std::uint32_t failing = 1;
  for (;; ++failing) {
    MakeBackups({5, 4, 3, 10, 9, 2, 1, 8, 7, 6});
    FaultInjectingHost faults(machine.Host());
    FileCallRecorder recorder(faults, machine);
    UpdaterProbe engine(recorder);
    engine.LoadInf(std::string("mshdc.inf"));
    // The save's allocations, counted from its start.
    FaultPlan& heap = faults.Plan();
    heap = FaultPlan();
    heap.FailCall(HostCall::kAllocate, failing);
    engine.SaveInf();
    const bool failed = heap.FaultsMet() != 0;
    error = engine.GetError();
    if (!failed) break;
    EXPECT_EQ(error, 1) << "allocation " << failing;
    for (const std::string& call : recorder.Calls()) {
      EXPECT_FALSE(std::regex_search(call, changeOrForeignName))
          << "allocation " << failing << ": " << call;
    }
    EXPECT_EQ(machine.ReadInf("mshdc.inf"), "current") << "allocation " << failing;
    for (int number = 0; number < 10; ++number) {
      EXPECT_EQ(machine.ReadInf(BackupName(number)), BackupText(number))
          << "allocation " << failing << ", backup " << number;
    }
  }
  ExpectReplaced(3);
  // The search and the rotation allocate: the first save that met no
  // failure came after some that did.
  EXPECT_GT(failing, 10u);
}

TEST_F(RotationTest, OldestNameHeldByADirectoryFailsTheSaveWithNothingLost) {
  MakeBackups({5, 4, 3, 1, 9, 2, 1, 8, 7, 6});
  std::filesystem::remove(machine.InfDir() / BackupName(3));
  machine.MakeInfFolder(BackupName(3));
  machine.SetInfTime(BackupName(3), kBaseTime - std::int64_t{60} * 100);
  Save(machine.Host());
  ExpectNothingChanged();
  EXPECT_TRUE(std::filesystem::is_directory(machine.InfDir() / BackupName(3)));
}

}  // namespace
