// A scratch Windows machine for tests: a fresh temporary folder holding a
// Windows directory with its INF folder, and a host whose Windows directory
// is that folder. Natively the host is the POSIX realisation; in the Windows
// builds it is the Win32 realisation, so the same tests meet the real API.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/HostServices.h"

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  HostServices& Host();
  // The INF folder as a path of the machine running the tests.
  std::filesystem::path InfDir() const;

  // Files of the INF folder, by bare name.
  void WriteInf(const std::string& name, const std::string& bytes);
  std::string ReadInf(const std::string& name) const;
  bool InfExists(const std::string& name) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
