// The desktop as every host gives it, where the framework and the banner
// rely on it: the messages of a window's creation and end, sent and quit
// messages, painting with brushes and the picture, owned pop-ups, the work
// area, the release of the banner's picture and the program's resources.
// (The boxes are the user's to answer, and the program reads nothing back
// from SetCursor and SetClassLongPtrA: no rule of theirs is relied on.) These tests go through
// TestMachine::Host() only, so they hold for the scripted desktop and for the Win32 API alike.
//
// Wine without a display makes no top-level window (its driver refuses one
// once WM_CREATE is through), so the message rules are checked on
// message-only windows, which get the same messages; the rules of the screen
// are checked where the host can show a window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/HostServices.h"
#include "resources/resource.h"
#include "support/TestMachine.h"

namespace {

using ::testing::ElementsAreArray;

constexpr std::uint32_t kWmCreate = 0x0001;
constexpr std::uint32_t kWmGetMinMaxInfo = 0x0024;
constexpr std::uint32_t kWmProbe = 0x0401;  // WM_USER + 1
constexpr std::uint32_t kWsPopup = 0x80000000u;
constexpr std::uint32_t kWsVisible = 0x10000000u;
constexpr char kClassName[] = "txinfupd-desktop-rules";
constexpr char kNoDisplay[] = "the host makes no top-level window without a display";

// The messages of a window's life that the framework acts on.
constexpr std::uint32_t kLifeMessages[] = {kWmGetMinMaxInfo, win::kWmNcCreate, kWmCreate,
                                           win::kWmClose,    win::kWmDestroy,  win::kWmNcDestroy};

struct Seen {
  win::HWND window;
  std::uint32_t message;
  win::WPARAM wParam;
  win::LPARAM lParam;
};

// The class procedure notes every message. It refuses WM_NCCREATE when
// told to, answers the probe with wParam + lParam and leaves the rest to the
// default handling.
DesktopServices* procedureDesktop = nullptr;
std::vector<Seen> seen;
bool refuseCreation = false;

win::LRESULT RecordingProcedure(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                win::LPARAM lParam) {
  seen.push_back({window, message, wParam, lParam});
  if (message == win::kWmNcCreate && refuseCreation) return 0;
  if (message == kWmProbe) return static_cast<win::LRESULT>(wParam) + lParam;
  return procedureDesktop->DefWindowProcA(window, message, wParam, lParam);
}

win::HWND MessageOnly() { return reinterpret_cast<win::HWND>(static_cast<std::intptr_t>(-3)); }

std::vector<std::uint32_t> LifeMessagesSeen() {
  std::vector<std::uint32_t> messages;
  for (const Seen& message : seen) {
    if (std::count(std::begin(kLifeMessages), std::end(kLifeMessages), message.message) != 0) {
      messages.push_back(message.message);
    }
  }
  return messages;
}

int Count(std::uint32_t message) {
  return static_cast<int>(std::count_if(
      seen.begin(), seen.end(), [message](const Seen& one) { return one.message == message; }));
}

class Desktop : public ::testing::Test {
 protected:
  // On Windows a class belongs to the process and outlives the test.
  Desktop() {
    procedureDesktop = &desktop_;
    seen.clear();
    refuseCreation = false;
    win::WNDCLASSA windowClass = {};
    if (desktop_.GetClassInfoA(instance_, kClassName, &windowClass)) return;
    windowClass.lpfnWndProc = RecordingProcedure;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = kClassName;
    EXPECT_NE(desktop_.RegisterClassA(&windowClass), 0);
  }

  // An overlapped window, as the banner is; top-level without a parent.
  win::HWND Create(std::uint32_t style, win::HWND parent) {
    return desktop_.CreateWindowExA(0, kClassName, "", style, 0, 0, 200, 100, parent, nullptr,
                                    instance_, nullptr);
  }

  // A window made with nothing seen of it yet.
  win::HWND NewWindow() {
    const win::HWND window = Create(0, MessageOnly());
    EXPECT_NE(window, nullptr);
    seen.clear();
    return window;
  }

  win::HBITMAP LoadPicture() {
    return desktop_.LoadBitmapA(instance_, win::MakeIntResource(IDB_BANNER));
  }

  // Whether the bitmap still exists: only a live one is described.
  bool Describes(win::HBITMAP bitmap) {
    win::BITMAP info = {};
    return desktop_.GetObjectA(bitmap, sizeof info, &info) == static_cast<int>(sizeof info);
  }

  TestMachine machine_;
  HostServices& host_ = machine_.Host();
  DesktopServices& desktop_ = host_.desktop;
  win::HINSTANCE instance_ = host_.system.GetModuleHandleA(nullptr);
};

// The framework joins a window to its frame on the first message, which
// comes before CreateWindowExA returns; a frame whose window dies there
// learns of it from WM_NCDESTROY.
TEST_F(Desktop, CreationSendsItsMessagesBeforeCreateWindowExAReturns) {
  const struct {
    const char* what;
    bool refused;
    std::vector<std::uint32_t> messages;
  } cases[] = {
      {"accepted", false, {kWmGetMinMaxInfo, win::kWmNcCreate, kWmCreate}},
      {"WM_NCCREATE refused", true, {kWmGetMinMaxInfo, win::kWmNcCreate, win::kWmNcDestroy}},
  };
  for (const auto& c : cases) {
    seen.clear();
    refuseCreation = c.refused;
    const win::HWND window = Create(0, MessageOnly());
    EXPECT_EQ(window == nullptr, c.refused) << c.what;
    EXPECT_THAT(LifeMessagesSeen(), ElementsAreArray(c.messages)) << c.what;
    ASSERT_FALSE(seen.empty()) << c.what;
    EXPECT_EQ(seen.front().message, kWmGetMinMaxInfo) << c.what;
    if (window == nullptr) continue;
    for (const Seen& message : seen) EXPECT_EQ(message.window, window) << c.what;
    desktop_.DestroyWindow(window);
  }
}

// WM_NCDESTROY deletes the frame: nothing may reach the window after it.
TEST_F(Desktop, AWindowEndsWithWmDestroyThenWmNcDestroy) {
  const struct {
    const char* what;
    void (*end)(DesktopServices&, win::HWND);
    std::vector<std::uint32_t> messages;
  } cases[] = {
      {"DestroyWindow",
       [](DesktopServices& desktop, win::HWND window) { desktop.DestroyWindow(window); },
       {win::kWmDestroy, win::kWmNcDestroy}},
      {"WM_CLOSE left to DefWindowProcA",
       [](DesktopServices& desktop, win::HWND window) {
         desktop.SendMessageA(window, win::kWmClose, 0, 0);
       },
       {win::kWmClose, win::kWmDestroy, win::kWmNcDestroy}},
  };
  for (const auto& c : cases) {
    const win::HWND window = NewWindow();
    c.end(desktop_, window);
    EXPECT_THAT(LifeMessagesSeen(), ElementsAreArray(c.messages)) << c.what;
    ASSERT_FALSE(seen.empty()) << c.what;
    EXPECT_EQ(seen.back().message, win::kWmNcDestroy) << c.what;
    seen.clear();
    EXPECT_FALSE(desktop_.DestroyWindow(window)) << c.what;
    EXPECT_EQ(seen.size(), 0u) << c.what;
  }
}

TEST_F(Desktop, SendMessageACallsTheProcedureAtOnce) {
  const win::HWND window = NewWindow();

  EXPECT_EQ(desktop_.SendMessageA(window, kWmProbe, 44, -2), 42);

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].window, window);
  EXPECT_EQ(seen[0].message, kWmProbe);
  EXPECT_EQ(seen[0].wParam, 44u);
  EXPECT_EQ(seen[0].lParam, -2);
  desktop_.DestroyWindow(window);
}

// The program's exit code is the quit message's.
TEST_F(Desktop, PostQuitMessageEndsTheMessageLoopWithItsCode) {
  desktop_.PostQuitMessage(7);

  win::MSG message = {};
  int got = 0;
  for (int i = 0; i < 100 && (got = desktop_.GetMessageA(&message, nullptr, 0, 0)) > 0; ++i) {
    desktop_.DispatchMessageA(&message);
  }
  EXPECT_EQ(got, 0);
  EXPECT_EQ(message.message, win::kWmQuit);
  EXPECT_EQ(message.wParam, 7u);
}

// The banner is painted before the first box stands over it; a paint that
// cannot start validates the window so that it is not asked for again.
TEST_F(Desktop, UpdateWindowPaintsAShownWindowAtOnceUnlessItIsValid) {
  for (const bool validated : {false, true}) {
    const win::HWND window = Create(0, nullptr);
    if (window == nullptr) GTEST_SKIP() << kNoDisplay;
    desktop_.ShowWindow(window, win::kSwShowDefault);
    if (validated) desktop_.ValidateRect(window, nullptr);
    seen.clear();

    desktop_.UpdateWindow(window);

    EXPECT_EQ(Count(win::kWmPaint), validated ? 0 : 1) << "validated " << validated;
    desktop_.DestroyWindow(window);
  }
}

// Hiding a window leaves its pop-ups on the screen: a closing frame hides
// them itself. ShowWindow answers whether the window was visible.
TEST_F(Desktop, ShowOwnedPopupsHidesTheOwnersPopups) {
  const struct {
    const char* what;
    bool hidePopups;
    bool popupVisible;
  } cases[] = {
      {"owner hidden", false, true},
      {"owner hidden, then its pop-ups", true, false},
  };
  for (const auto& c : cases) {
    const win::HWND owner = Create(kWsVisible, nullptr);
    if (owner == nullptr) GTEST_SKIP() << kNoDisplay;
    const win::HWND popup = Create(kWsPopup | kWsVisible, owner);
    ASSERT_NE(popup, nullptr) << c.what;
    desktop_.ShowWindow(owner, win::kSwHide);
    if (c.hidePopups) desktop_.ShowOwnedPopups(owner, false);

    EXPECT_EQ(desktop_.ShowWindow(popup, win::kSwHide), c.popupVisible) << c.what;
    desktop_.DestroyWindow(popup);
    desktop_.DestroyWindow(owner);
  }
}

// The banner's order: the picture is selected back out, then deleted.
TEST_F(Desktop, APictureSelectedBackOutOfItsContextCanBeDeleted) {
  const win::HBITMAP picture = LoadPicture();
  ASSERT_NE(picture, nullptr);
  win::BITMAP info = {};
  ASSERT_EQ(desktop_.GetObjectA(picture, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 196);
  EXPECT_EQ(info.bmHeight, 62);
  const win::HDC memory = desktop_.CreateCompatibleDC(nullptr);
  ASSERT_NE(memory, nullptr);

  const win::HGDIOBJ previous = desktop_.SelectObject(memory, picture);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(desktop_.SelectObject(memory, previous), picture);

  EXPECT_TRUE(desktop_.DeleteObject(picture));
  EXPECT_FALSE(Describes(picture));
  EXPECT_FALSE(desktop_.DeleteObject(picture));
  EXPECT_TRUE(desktop_.DeleteDC(memory));
}

// Whether DeleteObject answers yes (and defers) or no differs by host; on
// none is a picture that a context still holds released by it.
TEST_F(Desktop, APictureStillSelectedOutlivesDeleteObject) {
  const win::HBITMAP picture = LoadPicture();
  ASSERT_NE(picture, nullptr);
  const win::HDC memory = desktop_.CreateCompatibleDC(nullptr);
  const win::HGDIOBJ previous = desktop_.SelectObject(memory, picture);
  ASSERT_NE(previous, nullptr);

  desktop_.DeleteObject(picture);

  EXPECT_TRUE(Describes(picture));
  EXPECT_EQ(desktop_.SelectObject(memory, previous), picture);
  desktop_.DeleteObject(picture);
  EXPECT_TRUE(desktop_.DeleteDC(memory));
}

// The banner covers the work area, which is never empty.
TEST_F(Desktop, TheWorkAreaIsARectangleOfTheScreen) {
  win::RECT area = {};
  ASSERT_TRUE(desktop_.SystemParametersInfoA(win::kSpiGetWorkArea, 0, &area, 0));
  EXPECT_GT(area.right, area.left);
  EXPECT_GT(area.bottom, area.top);
}

// A message that is no key stroke gives no character message.
TEST_F(Desktop, TranslateMessageLeavesOtherMessagesAlone) {
  const win::HWND window = NewWindow();
  const win::MSG message = {window, kWmProbe, 0, 0, 0, {0, 0}};
  EXPECT_FALSE(desktop_.TranslateMessage(&message));
  desktop_.DestroyWindow(window);
}

// A closing frame sends its window to the bottom before it destroys it.
TEST_F(Desktop, SetWindowPosTakesALiveWindowOnly) {
  const win::HWND window = Create(kWsVisible, nullptr);
  if (window == nullptr) GTEST_SKIP() << kNoDisplay;
  const std::uint32_t keep = win::kSwpNoSize | win::kSwpNoMove | win::kSwpNoActivate;
  EXPECT_TRUE(desktop_.SetWindowPos(window, win::HwndBottom(), 0, 0, 0, 0, keep));
  desktop_.DestroyWindow(window);
  EXPECT_FALSE(desktop_.SetWindowPos(window, win::HwndBottom(), 0, 0, 0, 0, keep));
}

// The banner's paint: both brushes fill the paint's context, the picture is
// copied from a memory context, and the window is valid once the paint is
// over.
TEST_F(Desktop, APaintFillsAndCopiesIntoItsContext) {
  const win::HWND window = Create(kWsVisible, nullptr);
  if (window == nullptr) GTEST_SKIP() << kNoDisplay;
  win::PAINTSTRUCT paint = {};
  const win::HDC dc = desktop_.BeginPaint(window, &paint);
  ASSERT_NE(dc, nullptr);
  const win::RECT rect = {0, 0, 50, 20};
  const win::HBRUSH solid = desktop_.CreateSolidBrush(0x7a7aff);
  const win::HBRUSH hatch = desktop_.CreateHatchBrush(win::kHsFDiagonal, 0x7a7aff);
  ASSERT_NE(solid, nullptr);
  ASSERT_NE(hatch, nullptr);
  EXPECT_NE(desktop_.FillRect(dc, &rect, solid), 0);
  EXPECT_NE(desktop_.FillRect(dc, &rect, hatch), 0);
  const win::HBITMAP picture = LoadPicture();
  const win::HDC memory = desktop_.CreateCompatibleDC(dc);
  const win::HGDIOBJ previous = desktop_.SelectObject(memory, picture);
  ASSERT_NE(previous, nullptr);
  EXPECT_TRUE(desktop_.BitBlt(dc, 0, 0, 196, 62, memory, 0, 0, win::kSrcAnd));
  desktop_.SelectObject(memory, previous);
  EXPECT_TRUE(desktop_.DeleteObject(picture));
  EXPECT_TRUE(desktop_.DeleteDC(memory));
  EXPECT_TRUE(desktop_.DeleteObject(solid));
  EXPECT_TRUE(desktop_.DeleteObject(hatch));
  EXPECT_TRUE(desktop_.EndPaint(window, &paint));
  seen.clear();

  desktop_.UpdateWindow(window);

  EXPECT_EQ(Count(win::kWmPaint), 0);
  desktop_.DestroyWindow(window);
}

bool LoadsBitmap(DesktopServices& desktop, win::HINSTANCE instance, std::uint16_t id) {
  const win::HBITMAP bitmap = desktop.LoadBitmapA(instance, win::MakeIntResource(id));
  if (bitmap != nullptr) desktop.DeleteObject(bitmap);
  return bitmap != nullptr;
}

bool LoadsIcon(DesktopServices& desktop, win::HINSTANCE instance, std::uint16_t id) {
  return desktop.LoadIconA(instance, win::MakeIntResource(id)) != nullptr;
}

bool LoadsCursor(DesktopServices& desktop, win::HINSTANCE instance, std::uint16_t id) {
  return desktop.LoadCursorA(instance, win::MakeIntResource(id)) != nullptr;
}

// The program falls back where a resource is missing (the failure box's
// icon, the banner's picture), and the scripted desktop holds the
// program's own.
TEST_F(Desktop, LoadsTheProgramsResourcesAndNoneThatItLacks) {
  constexpr std::uint16_t kAbsent = 99;
  const struct {
    bool (*loads)(DesktopServices&, win::HINSTANCE, std::uint16_t);
    std::uint16_t id;
    bool present;
  } cases[] = {
      {LoadsBitmap, IDB_BANNER, true}, {LoadsBitmap, kAbsent, false},
      {LoadsIcon, IDI_WINDOW, true},   {LoadsIcon, IDI_CONFIRM, true},
      {LoadsIcon, IDI_FAILURE, true},  {LoadsIcon, kAbsent, false},
      {LoadsCursor, IDC_BANNER, true}, {LoadsCursor, kAbsent, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.loads(desktop_, instance_, c.id), c.present) << "resource " << c.id;
  }
}

}  // namespace
