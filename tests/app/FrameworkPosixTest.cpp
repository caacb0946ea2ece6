// Our application framework on the scripted desktop: the current
// application, the entry function and message loop, and the frame window's
// message routing, closing and self-deletion.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/framework/FrameWnd.h"
#include "app/framework/WinApp.h"
#include "app/framework/WinMain.h"
#include "host/FaultInjectingHost.h"
#include "support/DesktopCallRecorder.h"
#include "support/RegistryFixturesPosix.h"
#include "support/VersionHost.h"

namespace {

using testing::ElementsAre;

constexpr std::uint32_t kWmGetMinMaxInfo = 0x0024;
constexpr std::uint32_t kWmUser = 0x0400;

// Notes the messages that reach the host's default handling.
class DefaultHandlingLog : public HostWrapper<ForwardingDesktop> {
 public:
  using HostWrapper::HostWrapper;

  win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam) override {
    messages.push_back({window, message});
    return ForwardingDesktop::DefWindowProcA(window, message, wParam, lParam);
  }

  struct Seen {
    win::HWND window;
    std::uint32_t message;
  };
  std::vector<Seen> messages;

  bool Saw(std::uint32_t message) const {
    for (const Seen& seen : messages) {
      if (seen.message == message) return true;
    }
    return false;
  }
};

// A frame with a handler for WM_USER, and one for WM_NCCREATE when asked,
// which answers 0 and so makes the creation fail.
class TestFrame : public CFrameWnd {
 public:
  TestFrame(HostServices& host, bool* deleted) : CFrameWnd(host), deleted_(deleted) {}
  ~TestFrame() override { *deleted_ = true; }

  static constexpr const char* kClassName = "TestFrame";

  static void RegisterClass(HostServices& host, win::HINSTANCE instance) {
    win::WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = AfxWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    host.desktop.RegisterClassA(&windowClass);
  }

  bool Open(win::HINSTANCE instance) {
    return Create(0, kClassName, "Test frame", 0, {0, 0, 300, 200}, instance);
  }

  bool refuseCreation = false;
  int userMessages = 0;

 protected:
  const MessageTable* GetMessageTable() const override {
    return refuseCreation ? &refusingMessages : &testMessages;
  }

 private:
  void OnUser() { ++userMessages; }
  void OnNcCreate() {}

  static const MessageEntry testEntries[];
  static const MessageTable testMessages;
  static const MessageEntry refusingEntries[];
  static const MessageTable refusingMessages;

  bool* deleted_;
};

const CFrameWnd::MessageEntry TestFrame::testEntries[] = {
    {kWmUser, static_cast<Handler>(&TestFrame::OnUser)},
};
const CFrameWnd::MessageTable TestFrame::testMessages = {&CFrameWnd::frameMessages, testEntries, 1};
const CFrameWnd::MessageEntry TestFrame::refusingEntries[] = {
    {win::kWmNcCreate, static_cast<Handler>(&TestFrame::OnNcCreate)},
};
const CFrameWnd::MessageTable TestFrame::refusingMessages = {&testMessages, refusingEntries, 1};

// An application whose hook opens a main frame, or does as the test says.
class TestApp : public CWinApp {
 public:
  int InitInstance() override {
    ++hookCalls;
    seenHost = host;
    seenInstance = instance;
    seenShowCommand = showCommand;
    seenThread = mainThread;
    if (openFrame) {
      TestFrame::RegisterClass(*host, instance);
      auto* frame = new TestFrame(*host, &frameDeleted);
      frame->Open(instance);
      mainWindow = frame;
    }
    if (quitCode >= 0) host->desktop.PostQuitMessage(quitCode);
    return hookResult;
  }

  int hookResult = 1;
  bool openFrame = false;
  int quitCode = -1;
  int hookCalls = 0;
  bool frameDeleted = false;
  HostServices* seenHost = nullptr;
  win::HINSTANCE seenInstance = nullptr;
  int seenShowCommand = 0;
  win::HANDLE seenThread = nullptr;
};

class Framework : public testing::Test {
 protected:
  ScratchHost scratch;
  PosixHost& posix = scratch.Host();
  ScriptedDesktop& desktop = posix.Desktop();
  // The stand-in's desktop, its calls noted on their way.
  DesktopCallRecorder host{posix};
  win::HINSTANCE instance = host.system.GetModuleHandleA(nullptr);
};

TEST(CurrentApplication, FollowsTheObjectsAsTheyAreBuiltAndDestroyed) {
  EXPECT_EQ(AfxGetApp(), nullptr);
  {
    TestApp first;
    EXPECT_EQ(AfxGetApp(), &first);
    {
      TestApp second;
      EXPECT_EQ(AfxGetApp(), &second);
    }
    EXPECT_EQ(AfxGetApp(), &first);
  }
  EXPECT_EQ(AfxGetApp(), nullptr);
  TestApp third;
  EXPECT_EQ(AfxGetApp(), &third);
}

TEST_F(Framework, EntryFillsTheApplicationAndCallsTheHookOnce) {
  TestApp app;
  app.quitCode = 0;

  EXPECT_EQ(AfxWinMain(host, instance, 3), 0);

  EXPECT_EQ(app.hookCalls, 1);
  EXPECT_EQ(app.seenHost, &host);
  EXPECT_EQ(app.seenInstance, instance);
  EXPECT_EQ(app.seenShowCommand, 3);
  EXPECT_EQ(app.seenThread, host.system.GetCurrentThread());
  EXPECT_EQ(desktop.QuitCode(), 0);
}

TEST_F(Framework, HookGivingZeroEndsAtOnceWithoutTheLoop) {
  TestApp app;
  app.hookResult = 0;

  EXPECT_EQ(AfxWinMain(host, instance, 10), 0);

  EXPECT_TRUE(host.CallsOf({"GetMessageA"}).empty());
}

TEST_F(Framework, LoopEndsWithTheQuitMessageAndGivesItsCode) {
  TestApp app;
  app.quitCode = 7;

  EXPECT_EQ(AfxWinMain(host, instance, 10), 7);
  EXPECT_THAT(host.CallsOf({"GetMessageA"}), ElementsAre("GetMessageA 12"));
}

TEST_F(Framework, LoopEndsWhenTheQueueCannotBeRead) {
  TestApp app;

  EXPECT_EQ(AfxWinMain(host, instance, 10), 0);
  EXPECT_TRUE(desktop.MessageLoopStarved());
}

TEST_F(Framework, EntryWithoutAnApplicationEndsWithZero) {
  EXPECT_EQ(AfxWinMain(host, instance, 10), 0);
  EXPECT_TRUE(host.Calls().empty());
}

TEST_F(Framework, ClosingTheMainFrameEndsTheLoop) {
  TestApp app;
  app.openFrame = true;
  desktop.SetUserClosesWindows(true);

  EXPECT_EQ(AfxWinMain(host, instance, 10), 0);

  EXPECT_THAT(host.CallsOf({"GetMessageA", "DispatchMessageA", "ShowWindow", "ShowOwnedPopups",
                            "SetWindowPos", "DestroyWindow", "PostQuitMessage"}),
              ElementsAre("GetMessageA 10", "DispatchMessageA 10", "ShowWindow 0",
                          "ShowOwnedPopups 0", "SetWindowPos bottom 0 0 0 0 13", "DestroyWindow",
                          "PostQuitMessage 0", "GetMessageA 12"));
  EXPECT_EQ(app.mainWindow, nullptr);
  EXPECT_TRUE(app.frameDeleted);
  EXPECT_EQ(desktop.OpenWindowCount(), 0);
  EXPECT_EQ(desktop.QuitCode(), 0);
}

TEST_F(Framework, ClosingAFrameThatIsNotTheMainWindowPostsNoQuit) {
  TestApp app;
  app.host = &host;
  TestFrame::RegisterClass(host, instance);
  bool deleted = false;
  auto* frame = new TestFrame(host, &deleted);
  ASSERT_TRUE(frame->Open(instance));

  host.desktop.SendMessageA(frame->GetSafeHwnd(), win::kWmClose, 0, 0);

  EXPECT_TRUE(deleted);
  EXPECT_TRUE(host.CallsOf({"PostQuitMessage"}).empty());
  EXPECT_EQ(desktop.OpenWindowCount(), 0);
}

TEST_F(Framework, RoutesTableMessagesToHandlersAndTheRestToTheHost) {
  DefaultHandlingLog log(host);
  TestFrame::RegisterClass(host, instance);
  bool deleted = false;
  auto* frame = new TestFrame(log, &deleted);
  ASSERT_TRUE(frame->Open(instance));
  const win::HWND window = frame->GetSafeHwnd();
  log.messages.clear();

  host.desktop.SendMessageA(window, kWmUser, 0, 0);
  host.desktop.SendMessageA(window, kWmUser + 1, 0, 0);

  EXPECT_EQ(frame->userMessages, 1);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].message, kWmUser + 1);
  EXPECT_EQ(log.messages[0].window, window);
  host.desktop.SendMessageA(window, win::kWmClose, 0, 0);
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(log.Saw(win::kWmClose));
  // The last message gets the default handling too, after the frame's own.
  ASSERT_FALSE(log.messages.empty());
  EXPECT_EQ(log.messages.back().message, win::kWmNcDestroy);
  EXPECT_EQ(log.messages.back().window, window);
}

TEST_F(Framework, JoinsTheWindowToItsFrameOnTheFirstMessage) {
  DefaultHandlingLog log(host);
  TestFrame::RegisterClass(host, instance);
  bool deleted = false;
  auto* frame = new TestFrame(log, &deleted);

  ASSERT_TRUE(frame->Open(instance));

  ASSERT_FALSE(log.messages.empty());
  EXPECT_EQ(log.messages[0].message, kWmGetMinMaxInfo);
  EXPECT_EQ(log.messages[0].window, frame->GetSafeHwnd());
  EXPECT_TRUE(log.Saw(win::kWmNcCreate));
  const ScriptedDesktop::Window* window = desktop.FindWindow(frame->GetSafeHwnd());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->caption, "Test frame");
  EXPECT_STREQ(frame->GetTitle(), "Test frame");
  host.desktop.SendMessageA(frame->GetSafeHwnd(), win::kWmClose, 0, 0);
}

TEST_F(Framework, AddsTheClientEdgeFromMajorVersionFour) {
  struct Case {
    win::OSVERSIONINFOA version;
    std::uint32_t exStyle;
  };
  const Case cases[] = {
      {VersionHost::Windows95(0x040003B6), win::kWsExClientEdge},
      {VersionHost::WindowsNt(4, 0, 1381), win::kWsExClientEdge},
      {VersionHost::WindowsNt(5, 1, 2600), win::kWsExClientEdge},
      {VersionHost::WindowsNt(3, 51, 1057), 0},
      {VersionHost::Win32s(), 0},
  };
  TestFrame::RegisterClass(host, instance);
  for (const Case& test : cases) {
    VersionHost version(host, test.version);
    bool deleted = false;
    auto* frame = new TestFrame(version, &deleted);
    ASSERT_TRUE(frame->Open(instance));
    EXPECT_EQ(desktop.FindWindow(frame->GetSafeHwnd())->exStyle, test.exStyle)
        << test.version.dwMajorVersion << "." << test.version.dwMinorVersion;
    host.desktop.SendMessageA(frame->GetSafeHwnd(), win::kWmClose, 0, 0);
    EXPECT_TRUE(deleted);
  }
}

TEST_F(Framework, FailedCreationLeavesTheFrameToItsCreator) {
  TestFrame::RegisterClass(host, instance);
  FaultInjectingHost faults{host};
  faults.Plan().FailCallsFrom(HostCall::kCreateWindowExA, 1);
  bool deleted = false;
  TestFrame frame(faults, &deleted);

  EXPECT_FALSE(frame.Open(instance));

  EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
  EXPECT_FALSE(deleted);
}

TEST_F(Framework, WindowDyingDuringCreationLeavesTheFrameToItsCreator) {
  TestApp app;
  app.host = &host;
  TestFrame::RegisterClass(host, instance);
  bool deleted = false;
  TestFrame frame(host, &deleted);
  app.mainWindow = &frame;
  frame.refuseCreation = true;

  EXPECT_FALSE(frame.Open(instance));

  EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(desktop.OpenWindowCount(), 0);
  EXPECT_TRUE(host.CallsOf({"PostQuitMessage"}).empty());
  app.mainWindow = nullptr;
}

TEST_F(Framework, MessagesOfWindowsWithoutAFrameGoToTheHost) {
  DefaultHandlingLog log(host);
  TestApp app;
  app.host = &log;
  const win::HWND stranger = reinterpret_cast<win::HWND>(std::uintptr_t{0x4440});

  AfxWndProc(stranger, kWmUser, 0, 0);

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].window, stranger);
}

}  // namespace
