// What the real Win32 API does where the updater relies on it, seen through
// the Win32 host: registry renumbering and deletion, file times, the status
// of odd names, window classes with portable procedures, and the shutdown
// privilege. The file services shared with the POSIX host are covered by
// FileServicesTest.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/win32/Win32Host.h"
#include "support/TestMachine.h"
// Last: its SetClassLongPtrA macro must not rename the host's operation.
#include "host/win32/WindowsApi.h"

namespace {

constexpr const char* kTestsKey = "Software\\txinfupd-tests";

void DeleteKeyTree(HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char child[256];
  DWORD size = sizeof child;
  while (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    DeleteKeyTree(key, child);
    size = sizeof child;
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, name.c_str());
}

// A scratch key of this process below HKEY_CURRENT_USER\Software\txinfupd-tests,
// removed with everything in it afterwards (and the common key once empty).
class Registry : public ::testing::Test {
 protected:
  void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, root_); }

  void TearDown() override {
    if (key_) host_.registry.RegCloseKey(key_);
    DeleteKeyTree(HKEY_CURRENT_USER, root_);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
  }

  void MakeKey(const std::string& path, const char* classValue = nullptr) {
    HKEY key = nullptr;
    const std::string full = root_ + "\\" + path;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    if (classValue) {
      RegSetValueExA(key, "Class", 0, REG_SZ, reinterpret_cast<const BYTE*>(classValue),
                     static_cast<DWORD>(std::string(classValue).size() + 1));
    }
    RegCloseKey(key);
  }

  win::HKEY OpenRoot() {
    EXPECT_EQ(host_.registry.RegOpenKeyExA(win::HkeyCurrentUser(), root_.c_str(), 0,
                                           win::kKeyAllAccess, &key_),
              0);
    return key_;
  }

  // The subkey at an index, or "<code>" when the enumeration fails.
  std::string SubkeyAt(win::HKEY key, std::uint32_t index) {
    char name[256];
    std::uint32_t size = sizeof name;
    const std::int32_t status =
        host_.registry.RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status != 0) return "<" + std::to_string(status) + ">";
    EXPECT_EQ(size, std::string(name).size());
    return name;
  }

  const std::string root_ = std::string(kTestsKey) + "\\" + std::to_string(GetCurrentProcessId());
  Win32Host host_;
  win::HKEY key_ = nullptr;
};

TEST_F(Registry, DeletingAKeyRenumbersTheKeysAfterIt) {
  for (const char* name : {"A", "B", "C", "D"}) MakeKey(name);
  const win::HKEY root = OpenRoot();
  ASSERT_EQ(SubkeyAt(root, 0), "A");

  // A sweep that advances its index after each delete skips every second key.
  std::vector<std::string> deletedWhileAdvancing;
  for (std::uint32_t index = 0;; ++index) {
    const std::string name = SubkeyAt(root, index);
    if (name.front() == '<') break;
    EXPECT_EQ(host_.registry.RegDeleteKeyA(root, name.c_str()), 0) << name;
    deletedWhileAdvancing.push_back(name);
  }
  EXPECT_EQ(deletedWhileAdvancing, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(SubkeyAt(root, 0), "B");
  EXPECT_EQ(SubkeyAt(root, 1), "D");
  EXPECT_EQ(SubkeyAt(root, 2), "<" + std::to_string(win::kErrorNoMoreItems) + ">");
}

TEST_F(Registry, ANameBufferTooSmallReportsMoreData) {
  MakeKey("PCI_VENDOR_KEY");
  const win::HKEY root = OpenRoot();
  char name[4];
  std::uint32_t size = sizeof name;
  EXPECT_EQ(host_.registry.RegEnumKeyExA(root, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            static_cast<std::int32_t>(win::kErrorMoreData));
}

TEST_F(Registry, AStringValueComesWithItsTerminator) {
  MakeKey("DEV", "Unknown");
  win::HKEY device = nullptr;
  ASSERT_EQ(host_.registry.RegOpenKeyExA(win::HkeyCurrentUser(), (root_ + "\\DEV").c_str(), 0,
                                         win::kKeyAllAccess, &device),
            0);
  std::uint8_t data[64];
  std::uint32_t type = 0;
  std::uint32_t size = sizeof data;
  EXPECT_EQ(host_.registry.RegQueryValueExA(device, "Class", nullptr, &type, data, &size), 0);
  EXPECT_EQ(type, win::kRegSz);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data)), "Unknown");

  std::uint32_t missingSize = sizeof data;
  EXPECT_EQ(host_.registry.RegQueryValueExA(device, "Driver", nullptr, &type, data, &missingSize),
            static_cast<std::int32_t>(win::kErrorFileNotFound));
  EXPECT_EQ(host_.registry.RegCloseKey(device), 0);
}

// Windows 95 deletes a key together with its subkeys; NT refuses while
// subkeys remain.
TEST_F(Registry, DeletingAKeyWithSubkeysFollowsTheHostFamily) {
  MakeKey("PARENT\\CHILD");
  const win::HKEY root = OpenRoot();
  const bool windows95Family = (host_.system.GetVersion() & 0x80000000u) != 0;
  const std::int32_t status = host_.registry.RegDeleteKeyA(root, "PARENT");
  if (windows95Family) {
    EXPECT_EQ(status, 0);
    EXPECT_EQ(SubkeyAt(root, 0), "<" + std::to_string(win::kErrorNoMoreItems) + ">");
  } else {
    EXPECT_NE(status, 0);
    EXPECT_EQ(SubkeyAt(root, 0), "PARENT");
  }
}

TEST_F(Registry, OpeningAMissingKeyFails) {
  win::HKEY key = nullptr;
  EXPECT_EQ(host_.registry.RegOpenKeyExA(win::HkeyCurrentUser(), (root_ + "\\NONE").c_str(), 0,
                                         win::kKeyAllAccess, &key),
            static_cast<std::int32_t>(win::kErrorFileNotFound));
}

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
  EXPECT_EQ(host.files.GetLastError(), static_cast<std::uint32_t>(ERROR_INVALID_NAME));
  EXPECT_FALSE(host.files.QueryFileStatus(machine.InfHostPath("*").c_str(), &status));

  // The INF folder itself, with and without a trailing separator.
  const std::string folder = machine.InfHostPath("");
  for (const std::string& name : {folder, folder.substr(0, folder.size() - 1)}) {
    ASSERT_TRUE(host.files.QueryFileStatus(name.c_str(), &status)) << name;
    EXPECT_NE(status.attributes & win::kFileAttributeDirectory, 0u) << name;
  }

  // A relative name is taken from the current folder, like any Win32 call.
  EXPECT_FALSE(host.files.QueryFileStatus("txinfupd-no-such-file.inf", &status));
  EXPECT_EQ(host.files.GetLastError(), win::kErrorFileNotFound);
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
  ASSERT_NE(window, nullptr) << "CreateWindowExA failed: " << host.files.GetLastError();
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
  EXPECT_EQ(host.files.GetLastError(), win::kErrorInvalidParameter);
}

TEST(Win32Shutdown, ThePrivilegeIsGrantedOrNotNeeded) {
  Win32Host host;
  EXPECT_TRUE(host.system.EnableShutdownPrivilege());
}

}  // namespace
