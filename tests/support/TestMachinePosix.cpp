// The native test machine: a temporary folder that stands for drive C:,
// holding WINDOWS\INF, under the POSIX host.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "ScratchHostPosix.h"
#include "TestMachine.h"

namespace fs = std::filesystem;

struct TestMachine::Impl {
  ScratchHost scratch;
};

TestMachine::TestMachine() : impl_(std::make_unique<Impl>()) { fs::create_directories(InfDir()); }

TestMachine::~TestMachine() = default;

HostServices& TestMachine::Host() { return impl_->scratch.Host(); }

PosixHost& TestMachine::Posix() { return impl_->scratch.Host(); }

fs::path TestMachine::InfDir() const { return impl_->scratch.Root() / "WINDOWS" / "INF"; }

std::string TestMachine::InfHostPath(const std::string& name) const {
  return "C:\\WINDOWS\\INF\\" + name;
}

void TestMachine::WriteInf(const std::string& name, const std::string& bytes) {
  std::ofstream file(InfDir() / name, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "cannot write " << name;
}

// In one piece: byte by byte, a file of many megabytes takes seconds.
std::string TestMachine::ReadInf(const std::string& name) const {
  std::ifstream file(InfDir() / name, std::ios::binary);
  EXPECT_TRUE(file.is_open()) << "cannot read " << name;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool TestMachine::InfExists(const std::string& name) const { return fs::exists(InfDir() / name); }

std::vector<std::string> TestMachine::ListInf() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(InfDir())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TestMachine::MakeInfFolder(const std::string& name) { fs::create_directory(InfDir() / name); }

void TestMachine::SetInfReadOnly(const std::string& name, bool readOnly) {
  EXPECT_TRUE(impl_->scratch.Host().Files().SetReadOnly(InfHostPath(name).c_str(), readOnly))
      << name;
}

bool TestMachine::InfReadOnly(const std::string& name) const {
  const fs::perms writable =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (fs::status(InfDir() / name).permissions() & writable) == fs::perms::none;
}

void TestMachine::SetInfTime(const std::string& name, std::int64_t seconds) {
  const std::chrono::sys_seconds time{std::chrono::seconds{seconds}};
  fs::last_write_time(InfDir() / name, std::chrono::file_clock::from_sys(time));
}
