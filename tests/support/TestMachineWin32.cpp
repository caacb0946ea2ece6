// The Windows test machine: a fresh folder under the temporary folder stands
// for the Windows directory, holding INF, and the Win32 host answers
// GetWindowsDirectoryA with it. The helpers below use the Win32 API directly,
// so that they do not depend on the host they set up.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "TestMachine.h"
#include "WindowsDirectoryHost.h"
#include "host/win32/Win32Host.h"
#include "host/win32/WindowsApi.h"

namespace {

std::string MakeScratchFolder() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("no temporary folder");
  static unsigned attempt = 0;
  for (;;) {
    std::string folder = std::string(temp, length) + "txinfupd-" +
                         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++attempt);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make " + folder);
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// Seconds since 1970 UTC as a file time (100-nanosecond steps since 1601).
FILETIME FileTimeOf(std::int64_t seconds) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(seconds + 11644473600LL) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

struct TestMachine::Impl {
  std::string windowsDir;
  Win32Host real;
  std::unique_ptr<WindowsDirectoryHost> host;

  std::string InfPath(const std::string& name) const { return windowsDir + "\\INF\\" + name; }
};

TestMachine::TestMachine() : impl_(std::make_unique<Impl>()) {
  impl_->windowsDir = MakeScratchFolder();
  if (!CreateDirectoryA((impl_->windowsDir + "\\INF").c_str(), nullptr)) {
    throw std::runtime_error("cannot make the INF folder");
  }
  impl_->host = std::make_unique<WindowsDirectoryHost>(impl_->real, impl_->windowsDir);
}

TestMachine::~TestMachine() { RemoveTree(impl_->windowsDir); }

HostServices& TestMachine::Host() { return *impl_->host; }

std::filesystem::path TestMachine::InfDir() const {
  return std::filesystem::path(impl_->windowsDir) / "INF";
}

std::string TestMachine::InfHostPath(const std::string& name) const { return impl_->InfPath(name); }

void TestMachine::WriteInf(const std::string& name, const std::string& bytes) {
  const HANDLE file = CreateFileA(impl_->InfPath(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << name << ": " << GetLastError();
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(wrote && written == bytes.size()) << "cannot write " << name;
}

std::string TestMachine::ReadInf(const std::string& name) const {
  const HANDLE file = CreateFileA(impl_->InfPath(name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << "cannot read " << name << ": " << GetLastError();
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool TestMachine::InfExists(const std::string& name) const {
  return GetFileAttributesA(impl_->InfPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> TestMachine::ListInf() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(impl_->InfPath("*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void TestMachine::MakeInfFolder(const std::string& name) {
  EXPECT_TRUE(CreateDirectoryA(impl_->InfPath(name).c_str(), nullptr)) << name;
}

void TestMachine::SetInfReadOnly(const std::string& name, bool readOnly) {
  const std::string path = impl_->InfPath(name);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
  const DWORD changed = readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                 : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(SetFileAttributesA(path.c_str(), changed)) << name;
}

bool TestMachine::InfReadOnly(const std::string& name) const {
  const DWORD attributes = GetFileAttributesA(impl_->InfPath(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void TestMachine::SetInfTime(const std::string& name, std::int64_t seconds) {
  const HANDLE file = CreateFileA(impl_->InfPath(name).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot open " << name << ": " << GetLastError();
  const FILETIME time = FileTimeOf(seconds);
  const BOOL set = SetFileTime(file, &time, nullptr, &time);
  CloseHandle(file);
  EXPECT_TRUE(set) << "cannot set the times of " << name;
}
