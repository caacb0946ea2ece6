// The fault-injecting host over the test machine's host: a planted call
// fails with its failure value and never reaches the host behind, on every
// facet; counted calls, half-done writes and the tracking of open file
// handles, and the heap's faults in the plan of the newest host alive. The
// power cut is the store's own suite.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <ostream>
#include <string>

#include "host/FaultInjectingHost.h"
#include "support/TestMachine.h"

namespace {

constexpr std::uint32_t kRead = win::kGenericRead;
constexpr std::uint32_t kWrite = win::kGenericWrite;

// The injector under test sits on a second one that only counts what
// reaches it.
class FaultInjection : public ::testing::Test {
 public:
  std::string Path(const std::string& name) const { return machine_.InfHostPath(name); }

  win::HANDLE OpenThrough(HostServices& host, const std::string& name, std::uint32_t access,
                          std::uint32_t disposition = win::kOpenExisting) {
    return host.files.CreateFileA(Path(name).c_str(), access, 0, disposition,
                                  win::kFileAttributeNormal);
  }

  bool Write(win::HANDLE file, const std::string& bytes, std::uint32_t* written) {
    return faults_.files.WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                   written);
  }

  std::uint32_t Reached() { return reached_.Plan().Calls(HostCall::kAnyFileCall); }

  TestMachine machine_;
  FaultInjectingHost reached_{machine_.Host()};
  FaultInjectingHost faults_{static_cast<HostServices&>(reached_)};
};

// One call of an operation through the injector, in round 1, 2, 3...;
// set-up and clean-up go to the inner host, so only the call is counted.
struct OpCase {
  const char* name;
  HostCall operation;
  std::function<bool(FaultInjection&, int)> call;
};

const OpCase kOpCases[] = {
    {"GetWindowsDirectoryA", HostCall::kGetWindowsDirectoryA,
     [](FaultInjection& t, int) {
       char buffer[win::kMaxPath];
       return t.faults_.files.GetWindowsDirectoryA(buffer, sizeof buffer) != 0;
     }},
    {"QueryFileStatus", HostCall::kQueryFileStatus,
     [](FaultInjection& t, int) {
       win::FileStatus status{};
       return t.faults_.files.QueryFileStatus(t.Path("A.INF").c_str(), &status);
     }},
    {"CreateFileA", HostCall::kCreateFileA,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.faults_, "A.INF", kRead);
       return file != win::InvalidHandleValue() && t.faults_.files.CloseHandle(file);
     }},
    {"ReadFile", HostCall::kReadFile,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kRead);
       char buffer[8];
       std::uint32_t read = 77;
       const bool ok = t.faults_.files.ReadFile(file, buffer, sizeof buffer, &read);
       t.machine_.Host().files.CloseHandle(file);
       EXPECT_EQ(read, ok ? 3u : 0u);
       return ok;
     }},
    {"WriteFile", HostCall::kWriteFile,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kWrite);
       std::uint32_t written = 77;
       const bool ok = t.Write(file, "xyz", &written);
       t.machine_.Host().files.CloseHandle(file);
       EXPECT_EQ(written, ok ? 3u : 0u);
       return ok;
     }},
    {"FlushFileBuffers", HostCall::kFlushFileBuffers,
     [](FaultInjection& t, int) {
       const win::HANDLE file = t.OpenThrough(t.machine_.Host(), "A.INF", kWrite);
       const bool ok = t.faults_.files.FlushFileBuffers(file);
       t.machine_.Host().files.CloseHandle(file);
       return ok;
     }},
    {"CloseHandle", HostCall::kCloseHandle,
     [](FaultInjection& t, int) {
       return t.faults_.files.CloseHandle(t.OpenThrough(t.machine_.Host(), "A.INF", kRead));
     }},
    {"MoveFileA", HostCall::kMoveFileA,
     [](FaultInjection& t, int round) {
       const std::string name = "M" + std::to_string(round) + ".INF";
       t.machine_.WriteInf(name, "m");
       return t.faults_.files.MoveFileA(t.Path(name).c_str(), t.Path(name + "X").c_str());
     }},
    {"DeleteFileA", HostCall::kDeleteFileA,
     [](FaultInjection& t, int round) {
       const std::string name = "D" + std::to_string(round) + ".INF";
       t.machine_.WriteInf(name, "d");
       return t.faults_.files.DeleteFileA(t.Path(name).c_str());
     }},
};

void PrintTo(const OpCase& c, std::ostream* out) { *out << c.name; }

class EachOperation : public FaultInjection, public ::testing::WithParamInterface<OpCase> {
 protected:
  bool CallOnce(int round) { return GetParam().call(*this, round); }
};

TEST_P(EachOperation, OnlyThePlantedCallFailsAndItNeverReachesTheHost) {
  machine_.WriteInf("A.INF", "abc");
  faults_.Plan().FailCall(GetParam().operation, 2);

  EXPECT_TRUE(CallOnce(1));
  const std::uint32_t reachedBefore = Reached();
  EXPECT_FALSE(CallOnce(2));
  // A failed close still releases the handle in the host behind.
  const bool releases = GetParam().operation == HostCall::kCloseHandle;
  EXPECT_EQ(Reached(), reachedBefore + (releases ? 1 : 0));
  EXPECT_TRUE(CallOnce(3));

  EXPECT_EQ(faults_.Plan().Calls(GetParam().operation), 3u);
  EXPECT_EQ(faults_.OpenHandleCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(FileOperations, EachOperation, ::testing::ValuesIn(kOpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultInjection, AHalfDoneWriteStoresHalfAndSucceeds) {
  faults_.Plan().HalfDoCall(HostCall::kWriteFile, 2);
  const win::HANDLE file = OpenThrough(faults_, "X.TMP", kWrite, win::kCreateAlways);
  ASSERT_NE(file, win::InvalidHandleValue());
  std::uint32_t written = 0;
  EXPECT_TRUE(Write(file, "first\r\n", &written));
  EXPECT_EQ(written, 7u);
  EXPECT_TRUE(Write(file, "0123456789", &written));
  EXPECT_EQ(written, 5u);
  EXPECT_TRUE(Write(file, "end", &written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(faults_.files.CloseHandle(file));
  EXPECT_EQ(machine_.ReadInf("X.TMP"), "first\r\n01234end");
}

TEST_F(FaultInjection, EveryFacetAnswersAPlantedCallWithItsFailureValue) {
  faults_.Plan().FailCall(HostCall::kRegOpenKeyExA, 1, win::kErrorAccessDenied);
  faults_.Plan().FailCallsFrom(HostCall::kCreateWindowExA, 2);
  faults_.Plan().FailCall(HostCall::kGetVersionExA, 1);

  win::HKEY key = nullptr;
  EXPECT_EQ(
      faults_.registry.RegOpenKeyExA(win::HkeyLocalMachine(), "Enum", 0, win::kKeyAllAccess, &key),
      registry_codes::kAccessDenied);
  win::OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  EXPECT_FALSE(faults_.system.GetVersionExA(&version));
  EXPECT_TRUE(faults_.system.GetVersionExA(&version));
  for (int call = 1; call <= 3; ++call) {
    const win::HWND window = faults_.desktop.CreateWindowExA(0, "Missing", "", 0, 0, 0, 1, 1,
                                                             nullptr, nullptr, nullptr, nullptr);
    if (call >= 2) {
      EXPECT_EQ(window, nullptr) << call;
    }
  }
  EXPECT_EQ(reached_.Plan().Calls(HostCall::kRegOpenKeyExA), 0u);
  EXPECT_EQ(reached_.Plan().Calls(HostCall::kGetVersionExA), 1u);
  EXPECT_EQ(reached_.Plan().Calls(HostCall::kCreateWindowExA), 1u);
  EXPECT_EQ(faults_.Plan().FaultsMet(), 4u);
}

// The quit message gives no result to fail with: a planted fault drops it.
TEST_F(FaultInjection, APlantedPostQuitMessageNeverReachesTheHost) {
  faults_.Plan().FailCall(HostCall::kPostQuitMessage, 1);
  // The counting host drops what reaches it, so that no quit message is
  // left in the queue of the test's own thread.
  reached_.Plan().FailCallsFrom(HostCall::kPostQuitMessage, 1);
  faults_.desktop.PostQuitMessage(0);
  EXPECT_EQ(reached_.Plan().Calls(HostCall::kPostQuitMessage), 0u);
  faults_.desktop.PostQuitMessage(0);
  EXPECT_EQ(reached_.Plan().Calls(HostCall::kPostQuitMessage), 1u);
  EXPECT_EQ(faults_.Plan().Calls(HostCall::kPostQuitMessage), 2u);
  EXPECT_EQ(faults_.Plan().FaultsMet(), 1u);
}

TEST_F(FaultInjection, HandlesAreTrackedUntilTheCallerClosesThem) {
  machine_.WriteInf("A.INF", "a");
  machine_.WriteInf("B.INF", "b");
  const win::HANDLE a = OpenThrough(faults_, "A.INF", kRead);
  const win::HANDLE b = OpenThrough(faults_, "B.INF", kRead);
  EXPECT_EQ(faults_.OpenHandleCount(), 2);
  EXPECT_EQ(OpenThrough(faults_, "MISSING.INF", kRead), win::InvalidHandleValue());
  EXPECT_EQ(faults_.OpenHandleCount(), 2);

  EXPECT_TRUE(faults_.files.CloseHandle(a));
  EXPECT_EQ(faults_.OpenHandleCount(), 1);
  faults_.Plan().FailCall(HostCall::kCloseHandle, 2);
  EXPECT_FALSE(faults_.files.CloseHandle(b));
  EXPECT_EQ(faults_.OpenHandleCount(), 0);
  EXPECT_EQ(reached_.OpenHandleCount(), 0);
}

TEST_F(FaultInjection, HandlesLeftOpenAreClosedWhenTheInjectorGoesAway) {
  machine_.WriteInf("A.INF", "a");
  {
    FaultInjectingHost faults(static_cast<HostServices&>(reached_));
    ASSERT_NE(OpenThrough(faults, "A.INF", kRead), win::InvalidHandleValue());
    EXPECT_EQ(reached_.OpenHandleCount(), 1);
  }
  EXPECT_EQ(reached_.OpenHandleCount(), 0);
}

// The heap asks the newest host alive, whichever order the hosts end in.
TEST(HeapFaults, GoToThePlanOfTheNewestHostAlive) {
  TestMachine machine;
  EXPECT_EQ(FaultInjectingHost::HeapPlan(), nullptr);
  auto older = std::make_unique<FaultInjectingHost>(machine.Host());
  auto newer = std::make_unique<FaultInjectingHost>(machine.Host());
  newer->Plan().FailCall(HostCall::kAllocate, 1);
  EXPECT_EQ(new (std::nothrow) char[8], nullptr);
  EXPECT_EQ(newer->Plan().FaultsMet(), 1u);

  older.reset();
  EXPECT_EQ(FaultInjectingHost::HeapPlan(), &newer->Plan());
  newer.reset();
  EXPECT_EQ(FaultInjectingHost::HeapPlan(), nullptr);
  const std::unique_ptr<char[]> block(new (std::nothrow) char[8]);
  EXPECT_NE(block, nullptr);
}

}  // namespace
