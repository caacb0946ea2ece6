// The native scratch registry: a memory registry of the family under test.
#include <gtest/gtest.h>

#include "TestRegistry.h"
#include "host/posix/MemoryRegistry.h"

struct TestRegistry::Impl {
  MemoryRegistry registry;
  std::string path = "Software\\txinfupd-tests";
};

std::vector<TestRegistry::Family> TestRegistry::Families() {
  return {Family::kWindows95, Family::kNt};
}

TestRegistry::TestRegistry(Family family) : impl_(std::make_unique<Impl>()) {
  impl_->registry.SetFlavour(family == Family::kWindows95 ? MemoryRegistry::Flavour::kWindows95
                                                          : MemoryRegistry::Flavour::kNt);
  MakeKey("");
}

TestRegistry::~TestRegistry() = default;

RegistryServices& TestRegistry::Registry() { return impl_->registry; }

const std::string& TestRegistry::Path() const { return impl_->path; }

void TestRegistry::MakeKey(const std::string& path, const char* classValue) {
  const std::string scratch = "HKEY_CURRENT_USER\\" + impl_->path;
  const std::string full = path.empty() ? scratch : scratch + "\\" + path;
  ASSERT_TRUE(impl_->registry.CreateKey(full)) << path;
  if (classValue == nullptr) return;
  ASSERT_TRUE(impl_->registry.SetValue(full, "Class", win::kRegSz, std::string(classValue) + '\0'));
}
