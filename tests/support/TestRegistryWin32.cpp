// The Windows scratch registry: a key of this process below
// HKEY_CURRENT_USER\Software\txinfupd-tests, made with the Win32 API
// directly so that it does not depend on the realisation under test.
#include <gtest/gtest.h>

#include "TestRegistry.h"
#include "host/win32/Win32Registry.h"
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

}  // namespace

struct TestRegistry::Impl {
  Win32Registry registry;
  std::string path = std::string(kTestsKey) + "\\" + std::to_string(GetCurrentProcessId());
};

std::vector<TestRegistry::Family> TestRegistry::Families() {
  return {(GetVersion() & 0x80000000u) != 0 ? Family::kWindows95 : Family::kNt};
}

TestRegistry::TestRegistry(Family) : impl_(std::make_unique<Impl>()) {
  DeleteKeyTree(HKEY_CURRENT_USER, impl_->path);
  MakeKey("");
}

TestRegistry::~TestRegistry() {
  DeleteKeyTree(HKEY_CURRENT_USER, impl_->path);
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
}

RegistryServices& TestRegistry::Registry() { return impl_->registry; }

const std::string& TestRegistry::Path() const { return impl_->path; }

void TestRegistry::MakeKey(const std::string& path, const char* classValue) {
  const std::string full = path.empty() ? impl_->path : impl_->path + "\\" + path;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS)
      << path;
  if (classValue != nullptr) {
    RegSetValueExA(key, "Class", 0, REG_SZ, reinterpret_cast<const BYTE*>(classValue),
                   static_cast<DWORD>(std::string(classValue).size() + 1));
  }
  RegCloseKey(key);
}
