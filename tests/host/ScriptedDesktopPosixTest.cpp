// The scaffolding of the scripted desktop that the application tests stand
// on, beyond the host's rules (DesktopServicesTest): leaks and undone
// selections seen, and a message loop that cannot hang.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "host/posix/ScriptedDesktop.h"

namespace {

using testing::ElementsAre;

win::LRESULT PlainProcedure(win::HWND, std::uint32_t message, win::WPARAM, win::LPARAM) {
  return message == win::kWmNcCreate ? 1 : 0;
}

class Scripted : public testing::Test {
 protected:
  Scripted() {
    win::WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.hInstance = desktop.ProgramInstance();
    windowClass.lpszClassName = "Plain";
    desktop.RegisterClassA(&windowClass);
  }

  win::HWND NewWindow() {
    return desktop.CreateWindowExA(0, "Plain", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                   desktop.ProgramInstance(), nullptr);
  }

  ScriptedDesktop desktop;
};

TEST_F(Scripted, MessageLoopFailsRatherThanWaitWhenNothingIsQueued) {
  win::MSG message = {};
  const win::HWND window = NewWindow();

  EXPECT_EQ(desktop.GetMessageA(&message, nullptr, 0, 0), -1);
  EXPECT_TRUE(desktop.MessageLoopStarved());

  desktop.SetUserClosesWindows(true);
  EXPECT_EQ(desktop.GetMessageA(&message, nullptr, 0, 0), 1);
  EXPECT_EQ(message.hwnd, window);
  EXPECT_EQ(message.message, win::kWmClose);
  // The user closes a window once; one that stays open does not loop.
  EXPECT_EQ(desktop.GetMessageA(&message, nullptr, 0, 0), -1);
}

// The application tests look at these after every run.
TEST_F(Scripted, ReportsBitmapsReleasedWhileSelectedAndObjectsLeftBehind) {
  const win::HBITMAP picture =
      desktop.LoadBitmapA(desktop.ProgramInstance(), win::MakeIntResource(10));
  const win::HDC memory = desktop.CreateCompatibleDC(nullptr);
  desktop.SelectObject(memory, picture);
  desktop.CreateHatchBrush(win::kHsFDiagonal, 0x7A7AFF);

  EXPECT_FALSE(desktop.DeleteObject(picture));
  desktop.DeleteDC(memory);

  EXPECT_THAT(desktop.GdiFaults(),
              ElementsAre("DeleteObject of a bitmap still selected into a context",
                          "DeleteDC with a bitmap still selected"));
  EXPECT_EQ(desktop.LiveGdiObjects(), 2);
}

}  // namespace
