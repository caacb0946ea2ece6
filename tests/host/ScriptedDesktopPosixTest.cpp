// The scripted desktop that the application tests stand on: the rules that
// make their checks bite (messages in the host's order, leaks and undone
// selections seen, a message loop that cannot hang, scripted answers).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/posix/ScriptedDesktop.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr std::uint32_t kWmCreate = 0x0001;
constexpr std::uint32_t kWmGetMinMaxInfo = 0x0024;

std::vector<std::uint32_t> seenMessages;

win::LRESULT RecordingProcedure(win::HWND, std::uint32_t message, win::WPARAM, win::LPARAM) {
  seenMessages.push_back(message);
  return message == win::kWmNcCreate ? 1 : 0;
}

class Scripted : public testing::Test {
 protected:
  Scripted() {
    seenMessages.clear();
    win::WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProcedure;
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

TEST_F(Scripted, SendsCreationAndDestructionMessagesInTheHostsOrder) {
  const win::HWND window = NewWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_THAT(seenMessages, ElementsAre(kWmGetMinMaxInfo, win::kWmNcCreate, kWmCreate));

  seenMessages.clear();
  EXPECT_TRUE(desktop.DestroyWindow(window));
  EXPECT_THAT(seenMessages, ElementsAre(win::kWmDestroy, win::kWmNcDestroy));
  EXPECT_FALSE(desktop.DestroyWindow(window));
  EXPECT_EQ(desktop.OpenWindowCount(), 0);
}

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

  desktop.PostQuitMessage(5);
  EXPECT_EQ(desktop.GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(desktop.QuitCode(), 5);
}

TEST_F(Scripted, RefusesToDeleteABitmapThatIsStillSelected) {
  win::PAINTSTRUCT paint = {};
  const win::HWND window = NewWindow();
  const win::HDC screen = desktop.BeginPaint(window, &paint);
  const win::HBITMAP picture =
      desktop.LoadBitmapA(desktop.ProgramInstance(), win::MakeIntResource(10));
  const win::HDC memory = desktop.CreateCompatibleDC(screen);
  const win::HGDIOBJ previous = desktop.SelectObject(memory, picture);
  ASSERT_NE(previous, nullptr);

  EXPECT_FALSE(desktop.DeleteObject(picture));
  EXPECT_EQ(desktop.GdiFaults().size(), 1u);
  EXPECT_EQ(desktop.LiveGdiObjects(), 2);

  desktop.SelectObject(memory, previous);
  EXPECT_TRUE(desktop.DeleteObject(picture));
  EXPECT_TRUE(desktop.DeleteDC(memory));
  EXPECT_TRUE(desktop.EndPaint(window, &paint));
  EXPECT_EQ(desktop.LiveGdiObjects(), 0);
  EXPECT_EQ(desktop.OpenPaints(), 0);
}

TEST_F(Scripted, ReportsAContextDeletedWithItsBitmapAndObjectsLeftBehind) {
  const win::HBITMAP picture =
      desktop.LoadBitmapA(desktop.ProgramInstance(), win::MakeIntResource(10));
  const win::HDC memory = desktop.CreateCompatibleDC(nullptr);
  desktop.SelectObject(memory, picture);
  desktop.CreateHatchBrush(win::kHsFDiagonal, 0x7A7AFF);

  desktop.DeleteDC(memory);

  EXPECT_THAT(desktop.GdiFaults(), ElementsAre("DeleteDC with a bitmap still selected"));
  EXPECT_EQ(desktop.LiveGdiObjects(), 2);
}

TEST_F(Scripted, DescribesThePictureAndOnlyToABufferThatHoldsTheRecord) {
  const win::HBITMAP picture =
      desktop.LoadBitmapA(desktop.ProgramInstance(), win::MakeIntResource(10));
  win::BITMAP info = {};

  EXPECT_EQ(desktop.GetObjectA(picture, sizeof info - 1, &info), 0);
  EXPECT_EQ(desktop.GetObjectA(picture, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 196);
  EXPECT_EQ(info.bmHeight, 62);
  EXPECT_EQ(info.bmBitsPixel, 8);

  desktop.SetBitmapPresent(10, false);
  EXPECT_EQ(desktop.LoadBitmapA(desktop.ProgramInstance(), win::MakeIntResource(10)), nullptr);
  EXPECT_EQ(desktop.LoadBitmapA(nullptr, win::MakeIntResource(10)), nullptr);
}

TEST_F(Scripted, AnswersBoxesFromTheScriptThenWithOk) {
  desktop.QueueBoxAnswers({win::kIdCancel, 0});

  EXPECT_EQ(desktop.MessageBoxA(nullptr, "a", nullptr, 0), win::kIdCancel);
  EXPECT_EQ(desktop.MessageBoxA(nullptr, "b", "B", 0), 0);
  EXPECT_EQ(desktop.MessageBoxA(nullptr, "c", "C", 0), win::kIdOk);

  ASSERT_EQ(desktop.Boxes().size(), 3u);
  EXPECT_EQ(desktop.Boxes()[0].caption, std::nullopt);
  EXPECT_EQ(desktop.Boxes()[1].caption, "B");
  EXPECT_EQ(desktop.Boxes()[1].answer, 0);
}

TEST_F(Scripted, DerivesGetVersionFromTheScriptedVersion) {
  EXPECT_EQ(desktop.GetVersion(), 0xC0000004u);
  desktop.SetVersion(ScriptedDesktop::WindowsNt(4, 0, 1381));
  EXPECT_EQ(desktop.GetVersion(), 0x05650004u);
  desktop.SetVersion(ScriptedDesktop::Windows95(0x040A08AE));
  EXPECT_EQ(desktop.GetVersion(), 0xC0000A04u);

  win::OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = 100;
  EXPECT_FALSE(desktop.GetVersionExA(&info));
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_TRUE(desktop.GetVersionExA(&info));
  EXPECT_EQ(info.dwBuildNumber, 0x040A08AEu);
}

TEST_F(Scripted, HandsOutCursorsAndIconsOfTheProgramOnlyWhilePresent) {
  const win::HINSTANCE program = desktop.ProgramInstance();
  EXPECT_EQ(desktop.LoadCursorA(program, win::MakeIntResource(11)),
            ScriptedDesktop::ProgramCursor(11));
  EXPECT_EQ(desktop.LoadCursorA(nullptr, win::MakeIntResource(win::kIdcWait)),
            ScriptedDesktop::SystemCursor(win::kIdcWait));
  EXPECT_EQ(desktop.LoadIconA(program, win::MakeIntResource(14)), nullptr);
  desktop.SetCursorPresent(11, false);
  desktop.SetIconPresent(13, false);
  EXPECT_EQ(desktop.LoadCursorA(program, win::MakeIntResource(11)), nullptr);
  EXPECT_EQ(desktop.LoadIconA(program, win::MakeIntResource(13)), nullptr);
  EXPECT_EQ(desktop.LoadIconA(program, win::MakeIntResource(12)), ScriptedDesktop::ProgramIcon(12));
  EXPECT_THAT(desktop.GdiFaults(), IsEmpty());
}

}  // namespace
