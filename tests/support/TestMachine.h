// A scratch Windows machine for tests: a fresh temporary folder holding a
// Windows directory with its INF folder, and a host whose Windows directory
// is that folder. Natively the host is the POSIX realisation; in the Windows
// builds it is the Win32 realisation, so the same tests meet the real API.
//
// The host gives a file's last-write time as its creation time where the
// file system keeps no settable one (as Wine does on ext4), and sets both
// where it does, so SetInfTime arranges the ages of backups on every host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/HostServices.h"

class PosixHost;

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  HostServices& Host();
#ifndef _WIN32
  // The POSIX host behind Host(), whose stand-ins the native tests script.
  PosixHost& Posix();
#endif
  // The INF folder as a path of the machine running the tests.
  std::filesystem::path InfDir() const;
  // A name in the INF folder as the host spells its path ("C:\...\INF\name").
  std::string InfHostPath(const std::string& name) const;

  // Files of the INF folder, by bare name.
  void WriteInf(const std::string& name, const std::string& bytes);
  std::string ReadInf(const std::string& name) const;
  bool InfExists(const std::string& name) const;
  // The names in the INF folder, files and folders, in byte order.
  std::vector<std::string> ListInf() const;
  void MakeInfFolder(const std::string& name);
  void SetInfReadOnly(const std::string& name, bool readOnly);
  bool InfReadOnly(const std::string& name) const;
  // Sets the last-write and creation times, in whole seconds since 1970 UTC.
  void SetInfTime(const std::string& name, std::int64_t seconds);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
