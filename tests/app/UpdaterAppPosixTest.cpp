// The whole update run through the framework's entry function, on a scratch
// machine whose desktop answers the boxes as each test scripts: the boxes in
// order, the INF files, the registry sweep, the restart request and the exit
// code of every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/UpdaterApp.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/WinMain.h"
#include "host/FaultInjectingHost.h"
#include "host/posix/PosixHost.h"
#include "support/DesktopCallRecorder.h"
#include "support/HostWrapper.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"
#include "support/VersionHost.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

constexpr int kShowDefault = 10;
constexpr char kCaption[] = "Tovi Mother Board";
constexpr char kSuccessText[] = "Intel Tx Info update OK...";
constexpr char kFailureText[] = "When Update it get error msg!";
constexpr char kWin95Prompt[] =
    "Your OS now is 4.00,Build is 950 \n\r If you want update TX chip info, \n\r pls select OK "
    "else select Cancel..";

const char kUnknownDevice[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7111\\BUS_00&DEV_07";
const char kKnownDevice[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7100\\BUS_00&DEV_00";

// Places the start of the registry sweep among the desktop's calls.
class SweepNoting : public HostWrapper<ForwardingRegistry> {
 public:
  SweepNoting(HostServices& inner, DesktopCallRecorder& record)
      : HostWrapper(inner), record_(record) {}

  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override {
    if (parent == win::HkeyLocalMachine()) record_.Note(std::string("RegOpenKeyExA ") + subKey);
    return ForwardingRegistry::RegOpenKeyExA(parent, subKey, options, access, result);
  }

 private:
  DesktopCallRecorder& record_;
};

// Arms the allocation fault on the version query, the step just before the
// engine allocates its box parameters.
class BoxParamsFault : public HostWrapper<ForwardingSystem> {
 public:
  using HostWrapper::HostWrapper;

  bool armed = false;
  bool GetVersionExA(win::OSVERSIONINFOA* info) override {
    FaultPlan& heap = *FaultInjectingHost::HeapPlan();
    if (armed) heap.FailCall(HostCall::kAllocate, heap.Calls(HostCall::kAllocate) + 1);
    return ForwardingSystem::GetVersionExA(info);
  }
};

// Keeps what the hook and the failure box gave.
class RecordingApp : public UpdaterApp {
 public:
  int InitInstance() override {
    hookResult = UpdaterApp::InitInstance();
    return *hookResult;
  }
  int ShowFailure() override {
    failureAnswer = UpdaterApp::ShowFailure();
    return *failureAnswer;
  }

  std::optional<int> hookResult;
  std::optional<int> failureAnswer;
};

class UpdateRun : public testing::Test {
 protected:
  UpdateRun() {
    machine.WriteInf("mshdc.inf", "[Version]\r\nClass=hdc\r\n[INTEL_HDC]\r\n");
    machine.WriteInf("machine.inf", "[Version]\r\nClass=System\r\n[MS_SYS]\r\n");
    machine.WriteInf("usb.inf", "[Version]\r\nClass=USB\r\n");
    host.Registry().SetValue(kUnknownDevice, "Class", win::kRegSz, std::string("Unknown\0", 8));
    host.Registry().SetValue(kKnownDevice, "Class", win::kRegSz, std::string("System\0", 7));
    filesBefore = Files();
  }

  // Runs the program as the host's entry point does; gives its exit code.
  int Run() {
    return AfxWinMain(boxParamsFault, host.system.GetModuleHandleA(nullptr), kShowDefault);
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const std::string& name : machine.ListInf())
      files.push_back(name + ":" + machine.ReadInf(name));
    return files;
  }

  // The program's first window, the banner; none when it was never made.
  win::HWND Banner() const {
    return desktop.Windows().empty() ? nullptr : desktop.Windows().front().handle;
  }

  void ExpectBox(std::size_t index, ScriptedDesktop::Box::Kind kind, win::HWND owner,
                 const std::string& text, const std::optional<std::string>& caption,
                 std::uint32_t style, std::optional<std::uint16_t> icon) {
    ASSERT_LT(index, desktop.Boxes().size());
    const ScriptedDesktop::Box& box = desktop.Boxes()[index];
    EXPECT_EQ(box.kind, kind) << "box " << index;
    EXPECT_EQ(box.owner, owner) << "box " << index;
    EXPECT_EQ(box.text, text) << "box " << index;
    EXPECT_EQ(box.caption, caption) << "box " << index;
    EXPECT_EQ(box.style, style) << "box " << index;
    if (kind == ScriptedDesktop::Box::Kind::kIndirect) {
      EXPECT_EQ(box.iconId, icon) << "box " << index;
      EXPECT_EQ(box.instance, host.system.GetModuleHandleA(nullptr)) << "box " << index;
    }
  }

  void ExpectConfirmation(win::HWND owner, const std::string& text) {
    ExpectBox(0, ScriptedDesktop::Box::Kind::kIndirect, owner, text, kCaption, 0x81, 12);
  }

  void ExpectFailureBox(std::size_t index, win::HWND owner) {
    ExpectBox(index, ScriptedDesktop::Box::Kind::kIndirect, owner, kFailureText, kCaption, 0x80,
              13);
  }

  void ExpectNothingTouched() {
    EXPECT_EQ(Files(), filesBefore);
    EXPECT_TRUE(host.Registry().KeyExists(kUnknownDevice));
    EXPECT_TRUE(host.Registry().KeyExists(kKnownDevice));
    EXPECT_THAT(
        record.CallsOf({"RegOpenKeyExA", "ExitWindowsEx", "EnableShutdownPrivilege", "SetCursor"}),
        IsEmpty());
  }

  // The program ended as it should: banner gone, quit code 0, nothing held.
  void ExpectCleanEnd(const RecordingApp& app) {
    EXPECT_EQ(app.hookResult, 1);
    EXPECT_EQ(app.mainWindow, nullptr);
    EXPECT_EQ(desktop.QuitCode(), 0);
    EXPECT_FALSE(desktop.MessageLoopStarved());
    EXPECT_EQ(desktop.OpenWindowCount(), 0);
    EXPECT_EQ(desktop.LiveGdiObjects(), 0);
    EXPECT_EQ(desktop.OpenPaints(), 0);
    EXPECT_THAT(desktop.GdiFaults(), IsEmpty());
    EXPECT_EQ(host.Registry().OpenHandleCount(), 0u);
  }

  TestMachine machine;
  PosixHost& host = machine.Posix();
  ScriptedDesktop& desktop = host.Desktop();
  ScriptTableHost strings{host};
  VersionHost version{strings};
  // The desktop's and the system's calls, noted on their way.
  DesktopCallRecorder record{version};
  // Faults that a test plants reach every call of the run.
  FaultInjectingHost faults{record};
  SweepNoting noting{faults, record};
  BoxParamsFault boxParamsFault{noting};
  std::vector<std::string> filesBefore;
};

TEST_F(UpdateRun, Win95Build950UpdatesWithPlan3AndRestarts) {
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  const win::HWND banner = Banner();
  ASSERT_EQ(desktop.Boxes().size(), 2u);
  ExpectConfirmation(banner, kWin95Prompt);
  ExpectBox(1, ScriptedDesktop::Box::Kind::kIndirect, banner, kSuccessText, kCaption, 0x80, 12);
  EXPECT_THAT(machine.ReadInf("mshdc.inf"), HasSubstr("DEV_7111"));
  EXPECT_THAT(machine.ReadInf("machine.inf"), HasSubstr("82439TX"));
  EXPECT_THAT(machine.ReadInf("machine.inf"), Not(HasSubstr("IRQMiniports")));
  EXPECT_EQ(machine.ReadInf("usb.inf"), "[Version]\r\nClass=USB\r\n");
  EXPECT_TRUE(machine.InfExists("mshdc.OR0"));
  EXPECT_TRUE(machine.InfExists("machine.OR0"));
  EXPECT_FALSE(machine.InfExists("usb.OR0"));
  EXPECT_FALSE(host.Registry().KeyExists(kUnknownDevice));
  EXPECT_TRUE(host.Registry().KeyExists(kKnownDevice));
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, SucceedsInTheOrderOfTheRun) {
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  const std::vector<std::string> calls = record.CallsOf(
      {"SetThreadPriority", "CreateWindowExA", "SetClassLongPtrA", "ShowWindow", "UpdateWindow",
       "BeginPaint", "GetVersionExA", "MessageBoxIndirectA", "MessageBoxA", "SetCursor",
       "RegOpenKeyExA", "EnableShutdownPrivilege", "ExitWindowsEx", "SendMessageA",
       "ShowOwnedPopups", "SetWindowPos", "DestroyWindow", "PostQuitMessage", "GetMessageA"});
  EXPECT_THAT(calls,
              ElementsAre("SetThreadPriority current 2", "CreateWindowExA",
                          "SetClassLongPtrA -12 program 11", "ShowWindow 10", "UpdateWindow",
                          "BeginPaint", "GetVersionExA", "MessageBoxIndirectA", "SetCursor wait",
                          "RegOpenKeyExA Enum\\PCI", "SetCursor arrow", "MessageBoxIndirectA",
                          "ExitWindowsEx 2 ffffffff", "SendMessageA 10", "ShowWindow 0",
                          "ShowOwnedPopups 0", "SetWindowPos bottom 0 0 0 0 13", "DestroyWindow",
                          "PostQuitMessage 0", "GetMessageA 12"));
}

TEST_F(UpdateRun, WindowsNtUpdatesWithPlan4AndAsksForTheShutdownRight) {
  version.Set(VersionHost::WindowsNt(4, 0, 1381));
  host.Registry().SetFlavour(MemoryRegistry::Flavour::kNt);
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ExpectConfirmation(Banner(),
                     "Your OS now is 4.00,Build is 1381 \n\r If you want update TX chip info, "
                     "\n\r pls select OK else select Cancel..");
  EXPECT_THAT(machine.ReadInf("machine.inf"), HasSubstr("IRQMiniports"));
  EXPECT_THAT(machine.ReadInf("usb.inf"), HasSubstr("DEV_7112"));
  EXPECT_TRUE(machine.InfExists("usb.OR0"));
  EXPECT_FALSE(host.Registry().KeyExists(kUnknownDevice));
  EXPECT_THAT(record.CallsOf({"MessageBoxIndirectA", "EnableShutdownPrivilege", "ExitWindowsEx",
                              "SendMessageA"}),
              ElementsAre("MessageBoxIndirectA", "MessageBoxIndirectA", "EnableShutdownPrivilege",
                          "ExitWindowsEx 2 ffffffff", "SendMessageA 10"));
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, OtherWin95BuildsTakePlan4WithoutTheShutdownRight) {
  version.Set(VersionHost::Windows95(0x040A08AE));
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  EXPECT_THAT(machine.ReadInf("usb.inf"), HasSubstr("DEV_7112"));
  EXPECT_THAT(record.CallsOf({"EnableShutdownPrivilege", "ExitWindowsEx"}),
              ElementsAre("ExitWindowsEx 2 ffffffff"));
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, SucceedsWithoutAnEnumPciKey) {
  host.Registry().Clear();
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 2u);
  EXPECT_EQ(desktop.Boxes()[1].text, kSuccessText);
  EXPECT_THAT(record.CallsOf({"ExitWindowsEx"}), ElementsAre("ExitWindowsEx 2 ffffffff"));
  ExpectCleanEnd(app);
}

// Cancel, the close button (which answers IDCANCEL) and a box that fails to
// show are all a refusal.
struct RefusalCase {
  const char* name;
  std::optional<int> answer;  // none: the confirmation box fails to show
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) { *out << refusal.name; }

class Refusal : public UpdateRun, public testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, ShowsTheFailureBoxAndTouchesNothing) {
  const std::optional<int> answer = GetParam().answer;
  if (answer) {
    desktop.QueueBoxAnswers({*answer, win::kIdOk});
  } else {
    faults.Plan().FailCall(HostCall::kMessageBoxIndirectA, 1);
  }
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  const std::size_t shown = answer ? 2 : 1;
  ASSERT_EQ(desktop.Boxes().size(), shown);
  if (answer) ExpectConfirmation(Banner(), kWin95Prompt);
  ExpectFailureBox(shown - 1, Banner());
  EXPECT_EQ(app.failureAnswer, win::kIdOk);
  ExpectNothingTouched();
  EXPECT_THAT(record.CallsOf({"SendMessageA"}), ElementsAre("SendMessageA 10"));
  ExpectCleanEnd(app);
}

INSTANTIATE_TEST_SUITE_P(Answers, Refusal,
                         testing::Values(RefusalCase{"Cancel", win::kIdCancel},
                                         RefusalCase{"BoxFailsToShow", std::nullopt}),
                         [](const testing::TestParamInfo<RefusalCase>& info) {
                           return info.param.name;
                         });

// The banner's window icon is the first loaded, the failure box's the second.
TEST_F(UpdateRun, FailureBoxFallsBackToTheInformationIcon) {
  faults.Plan().FailCall(HostCall::kLoadIconA, 2);
  desktop.QueueBoxAnswers({win::kIdCancel, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(faults.Plan().Calls(HostCall::kLoadIconA), 2u);
  ExpectBox(1, ScriptedDesktop::Box::Kind::kIndirect, Banner(), kFailureText, kCaption, 0x40, 12);
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, PlanFailureKeepsWhatWasRewrittenAndDoesNotRestart) {
  strings.Set(9901, "");  // plan 3's second file entry
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 2u);
  ExpectFailureBox(1, Banner());
  EXPECT_THAT(machine.ReadInf("mshdc.inf"), HasSubstr("DEV_7111"));
  EXPECT_TRUE(machine.InfExists("mshdc.OR0"));
  EXPECT_EQ(machine.ReadInf("machine.inf"), "[Version]\r\nClass=System\r\n[MS_SYS]\r\n");
  EXPECT_TRUE(host.Registry().KeyExists(kUnknownDevice));
  EXPECT_THAT(record.CallsOf({"RegOpenKeyExA", "ExitWindowsEx", "SetCursor"}), IsEmpty());
  ExpectCleanEnd(app);
}

struct UnsupportedHost {
  const char* name;
  std::optional<win::OSVERSIONINFOA> version;  // none: the query fails
};

void PrintTo(const UnsupportedHost& host, std::ostream* out) { *out << host.name; }

win::OSVERSIONINFOA UnknownPlatform() {
  win::OSVERSIONINFOA version = VersionHost::WindowsNt(4, 0, 1381);
  version.dwPlatformId = 3;
  return version;
}

class Unsupported : public UpdateRun, public testing::WithParamInterface<UnsupportedHost> {};

TEST_P(Unsupported, WarnsAndLeavesTheBannerOpenUntilTheUserClosesIt) {
  if (GetParam().version) {
    version.Set(*GetParam().version);
  } else {
    faults.Plan().FailCallsFrom(HostCall::kGetVersionExA, 1);
  }
  desktop.SetUserClosesWindows(true);
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 1u);
  ExpectBox(0, ScriptedDesktop::Box::Kind::kPlain, nullptr, "It need Win95 Platform..",
            std::nullopt, 0x30, std::nullopt);
  ExpectNothingTouched();
  // The run itself never closed the banner: the user's WM_CLOSE did.
  EXPECT_THAT(record.CallsOf({"SendMessageA", "DispatchMessageA", "PostQuitMessage"}),
              ElementsAre("DispatchMessageA 10", "PostQuitMessage 0"));
  ExpectCleanEnd(app);
}

INSTANTIATE_TEST_SUITE_P(Hosts, Unsupported,
                         testing::Values(UnsupportedHost{"Win32s", VersionHost::Win32s()},
                                         UnsupportedHost{"UnknownPlatform", UnknownPlatform()},
                                         UnsupportedHost{"FailedVersionQuery", std::nullopt}),
                         [](const testing::TestParamInfo<UnsupportedHost>& info) {
                           return info.param.name;
                         });

TEST_F(UpdateRun, UnsupportedHookReturnsWithTheBannerStillUp) {
  version.Set(VersionHost::Win32s());
  RecordingApp app;
  app.host = &boxParamsFault;
  app.instance = host.system.GetModuleHandleA(nullptr);
  app.showCommand = kShowDefault;
  app.mainThread = host.system.GetCurrentThread();

  EXPECT_EQ(app.InitInstance(), 1);

  ASSERT_NE(app.mainWindow, nullptr);
  EXPECT_EQ(desktop.OpenWindowCount(), 1);
  EXPECT_TRUE(desktop.FindWindow(app.mainWindow->GetSafeHwnd())->visible);
  EXPECT_THAT(record.CallsOf({"PostQuitMessage"}), IsEmpty());

  host.desktop.SendMessageA(app.mainWindow->GetSafeHwnd(), win::kWmClose, 0, 0);
  EXPECT_EQ(app.mainWindow, nullptr);
  EXPECT_THAT(record.CallsOf({"PostQuitMessage"}), ElementsAre("PostQuitMessage 0"));
}

TEST_F(UpdateRun, WithoutBoxParametersTheRunRefusesAndStillReportsIt) {
  boxParamsFault.armed = true;
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 1u);
  ExpectBox(0, ScriptedDesktop::Box::Kind::kPlain, Banner(), kFailureText, kCaption, 0x40,
            std::nullopt);
  ExpectNothingTouched();
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, WithoutABannerTheRunGoesOnAndEndsTheLoopItself) {
  faults.Plan().FailCallsFrom(HostCall::kCreateWindowExA, 1);
  desktop.QueueBoxAnswers({win::kIdOk, win::kIdOk});
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 2u);
  ExpectConfirmation(nullptr, kWin95Prompt);
  ExpectBox(1, ScriptedDesktop::Box::Kind::kIndirect, nullptr, kSuccessText, kCaption, 0x80, 12);
  EXPECT_FALSE(host.Registry().KeyExists(kUnknownDevice));
  EXPECT_THAT(record.CallsOf({"SendMessageA", "ShowWindow", "PostQuitMessage"}),
              ElementsAre("PostQuitMessage 0"));
  ExpectCleanEnd(app);
}

TEST_F(UpdateRun, WithoutABannerAnUnsupportedHostStillEnds) {
  faults.Plan().FailCallsFrom(HostCall::kCreateWindowExA, 1);
  version.Set(VersionHost::Win32s());
  RecordingApp app;

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(desktop.Boxes().size(), 1u);
  EXPECT_EQ(desktop.Boxes()[0].text, "It need Win95 Platform..");
  ExpectCleanEnd(app);
}

}  // namespace
