// What the real Win32 API does where the updater relies on it, seen through
// the Win32 host: file times, the status of odd names, window classes with
// portable procedures, and the shutdown privilege. The rules shared with
// the POSIX host are the contract suites' (FileServicesTest,
// RegistryServicesTest).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/win32/MessageBoxCall.h"
#include "host/win32/Win32Host.h"
#include "support/TestMachine.h"
// Last: its SetClassLongPtrA macro must not rename the host's operation.
#include "host/win32/WindowsApi.h"

namespace {

// Local calendar seconds of a time given in seconds since 1970 UTC, worked
// out by plain division of the local file time.
std::int64_t LocalSecondsByDivision(std::int64_t utcSeconds) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(utcSeconds + 11644473600LL) * 10000000ULL;
  const FILETIME universal{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  EXPECT_TRUE(FileTimeToLocalFileTime(&universal, &local));
  const std::uint64_t localTicks =
      (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<std::int64_t>(localTicks / 10000000ULL) - 11644473600LL;
}

TEST(Win32FileStatus, TimesAreWholeSecondsOfLocalCalendarTime) {
  const std::int64_t cases[] = {
      315532800,   // 1980-01-01 00:00:00
      951782400,   // 2000-02-29 00:00:00, a leap day of a century year
      951868799,   // 2000-02-29 23:59:59
      1234567890,  // 2009-02-13 23:31:30
      2145916799,  // 2037-12-31 23:59:59
  };
  TestMachine machine;
  machine.WriteInf("TIMED.INF", "t");
  for (const std::int64_t utc : cases) {
    machine.SetInfTime("TIMED.INF", utc);
    win::FileStatus status{};
    ASSERT_TRUE(
        machine.Host().files.QueryFileStatus(machine.InfHostPath("TIMED.INF").c_str(), &status));
    EXPECT_EQ(status.lastWriteTime, LocalSecondsByDivision(utc)) << utc;
  }
}

TEST(Win32FileStatus, OddNamesGetAClearAnswer) {
  TestMachine machine;
  machine.WriteInf("MSHDC.OR1", "1");
  HostServices& host = machine.Host();
  win::FileStatus status{};

  // A wildcard would match some other file; it names none.
  EXPECT_FALSE(host.files.QueryFileStatus(machine.InfHostPath("MSHDC.OR?").c_str(), &status));
  EXPECT_FALSE(host.files.QueryFileStatus(machine.InfHostPath("*").c_str(), &status));

  // The INF folder itself, with and without a trailing separator.
  const std::string folder = machine.InfHostPath("");
  for (const std::string& name : {folder, folder.substr(0, folder.size() - 1)}) {
    ASSERT_TRUE(host.files.QueryFileStatus(name.c_str(), &status)) << name;
    EXPECT_NE(status.attributes & win::kFileAttributeDirectory, 0u) << name;
  }

  // A relative name is taken from the current folder, like any Win32 call.
  EXPECT_FALSE(host.files.QueryFileStatus("txinfupd-no-such-file.inf", &status));
}

// What a stand-in for either box call was given.
struct BoxCall {
  const char* via = nullptr;
  HWND owner = nullptr;
  LPCSTR text = nullptr;
  LPCSTR caption = nullptr;
  UINT style = 0;
};
BoxCall boxCall;

int WINAPI IndirectStandIn(const MSGBOXPARAMSA* params) {
  boxCall = {"indirect", params->hwndOwner, params->lpszText, params->lpszCaption,
             static_cast<UINT>(params->dwStyle)};
  return IDOK;
}

int WINAPI PlainStandIn(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  boxCall = {"plain", owner, text, caption, style};
  return IDCANCEL;
}

TEST(Win32MessageBox, IndirectBoxesAreLookedUpInUser32) {
  const auto expected = reinterpret_cast<MessageBoxIndirectFunction>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("USER32.DLL"), "MessageBoxIndirectA")));
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(FindMessageBoxIndirect(), expected);
}

// Without MessageBoxIndirectA (Win32s) the same box is shown by MessageBoxA:
// same owner, text, caption and buttons, the question icon for the
// program's own, any standard icon kept.
TEST(Win32MessageBox, WithoutTheIndirectCallThePlainBoxAsksTheSame) {
  const struct {
    UINT style;
    MessageBoxIndirectFunction indirect;
    const char* via;
    UINT shownStyle;
    int answer;
  } cases[] = {
      {MB_OKCANCEL | MB_USERICON, IndirectStandIn, "indirect", MB_OKCANCEL | MB_USERICON, IDOK},
      {MB_OKCANCEL | MB_USERICON, nullptr, "plain", MB_OKCANCEL | MB_ICONQUESTION, IDCANCEL},
      {MB_USERICON, nullptr, "plain", MB_OK | MB_ICONQUESTION, IDCANCEL},
      {MB_ICONINFORMATION, nullptr, "plain", MB_ICONINFORMATION, IDCANCEL},
  };
  const HWND owner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x1234));
  for (const auto& one : cases) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.lpszText = "text";
    params.lpszCaption = "caption";
    params.dwStyle = one.style;
    params.lpszIcon = MAKEINTRESOURCEA(12);
    boxCall = {};
    EXPECT_EQ(ShowMessageBox(params, one.indirect, PlainStandIn), one.answer) << one.style;
    EXPECT_STREQ(boxCall.via, one.via) << one.style;
    EXPECT_EQ(boxCall.owner, owner);
    EXPECT_STREQ(boxCall.text, "text");
    EXPECT_STREQ(boxCall.caption, "caption");
    EXPECT_EQ(boxCall.style, one.shownStyle) << one.style;
  }
}

// Records what the portable procedure was called with.
struct ProcedureCall {
  win::HWND window;
  std::uint32_t message;
  win::WPARAM wParam;
  win::LPARAM lParam;
};
std::vector<ProcedureCall> calls;
HostServices* procedureHost = nullptr;

constexpr std::uint32_t kProbeMessage = 0x0400 + 7;  // WM_USER + 7

win::LRESULT RecordingProcedure(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                win::LPARAM lParam) {
  if (message == kProbeMessage) {
    calls.push_back({window, message, wParam, lParam});
    return 4242;
  }
  return procedureHost->desktop.DefWindowProcA(window, message, wParam, lParam);
}

TEST(Win32WindowClass, APortableProcedureReceivesTheWindowsMessages) {
  Win32Host host;
  procedureHost = &host;
  calls.clear();
  const win::HINSTANCE instance = host.system.GetModuleHandleA(nullptr);
  win::WNDCLASSA wanted{};
  wanted.style = win::kCsHRedraw | win::kCsVRedraw;
  wanted.lpfnWndProc = RecordingProcedure;
  wanted.hInstance = instance;
  wanted.lpszClassName = "txinfupd-test-class";

  win::WNDCLASSA found{};
  EXPECT_FALSE(host.desktop.GetClassInfoA(instance, wanted.lpszClassName, &found));
  ASSERT_NE(host.desktop.RegisterClassA(&wanted), 0);
  ASSERT_TRUE(host.desktop.GetClassInfoA(instance, wanted.lpszClassName, &found));
  EXPECT_EQ(found.lpfnWndProc, &RecordingProcedure);
  EXPECT_EQ(found.style, wanted.style);

  // The same name cannot be registered twice.
  EXPECT_EQ(host.desktop.RegisterClassA(&wanted), 0);

  // A message-only window (parent HWND_MESSAGE) needs no desktop.
  const win::HWND messageOnly = reinterpret_cast<win::HWND>(static_cast<std::intptr_t>(-3));
  const win::HWND window = host.desktop.CreateWindowExA(
      0, wanted.lpszClassName, "probe", 0, 0, 0, 0, 0, messageOnly, nullptr, instance, nullptr);
  ASSERT_NE(window, nullptr) << "CreateWindowExA failed: " << ::GetLastError();
  EXPECT_EQ(host.desktop.SendMessageA(window, kProbeMessage, 11, -22), 4242);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].window, window);
  EXPECT_EQ(calls[0].wParam, 11u);
  EXPECT_EQ(calls[0].lParam, -22);
  EXPECT_TRUE(host.desktop.DestroyWindow(window));
}

TEST(Win32WindowClass, AClassOfTheSystemHasNoPortableProcedure) {
  Win32Host host;
  win::WNDCLASSA found{};
  ASSERT_TRUE(host.desktop.GetClassInfoA(nullptr, "BUTTON", &found));
  EXPECT_EQ(found.lpfnWndProc, nullptr);
}

TEST(Win32WindowClass, AClassWithoutAProcedureIsRefused) {
  Win32Host host;
  win::WNDCLASSA wanted{};
  wanted.hInstance = host.system.GetModuleHandleA(nullptr);
  wanted.lpszClassName = "txinfupd-no-procedure";
  EXPECT_EQ(host.desktop.RegisterClassA(&wanted), 0);
}

}  // namespace
