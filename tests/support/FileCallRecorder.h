// A host that writes down every file operation it forwards, one line each,
// so that a test can follow the road of a file call for call:
//
//   GetWindowsDirectory
//   QueryFileStatus mshdc.OR0 (none)     the query found no such file
//   CreateFile mshdc.inf to read         an existing file opened for reading
//   CreateFile mshdc.tmp to write        a file created afresh for writing
//   CreateFile mshdc.OR0 to flush        an existing file opened for writing
//   ReadFile
//   WriteFile Msft="Microsoft"\r\n       the bytes handed over
//   FlushFileBuffers
//   CloseHandle
//   MoveFile mshdc.inf to mshdc.OR0
//   DeleteFile mshdc.OR4
//
// An open that shares the file or asks for other attributes than the normal
// ones is noted "(shared)", "(attributes)". Files in the machine's INF folder
// go by their bare name, any other by its whole path, so that the lines of
// two scratch machines compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/HostWrapper.h"
#include "support/TestMachine.h"

class FileCallRecorder : public HostWrapper<ForwardingFiles> {
 public:
  FileCallRecorder(HostServices& inner, const TestMachine& machine)
      : HostWrapper(inner), infFolder_(machine.InfHostPath("")) {}

  const std::vector<std::string>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }

  // The call a line records, without what the call found: a status query
  // that fails finds no file, whatever is there.
  static std::string Asked(const std::string& line) {
    const std::string none = " (none)";
    const bool noted = line.rfind("QueryFileStatus ", 0) == 0 && line.size() > none.size() &&
                       line.compare(line.size() - none.size(), none.size(), none) == 0;
    return noted ? line.substr(0, line.size() - none.size()) : line;
  }

  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    calls_.push_back("GetWindowsDirectory");
    return ForwardingFiles::GetWindowsDirectoryA(buffer, size);
  }
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    const bool found = ForwardingFiles::QueryFileStatus(path, status);
    calls_.push_back("QueryFileStatus " + Name(path) + (found ? "" : " (none)"));
    return found;
  }
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override {
    const bool toRead = access == win::kGenericRead && disposition == win::kOpenExisting;
    const bool toWrite = access == win::kGenericWrite && disposition == win::kCreateAlways;
    const bool toFlush = access == win::kGenericWrite && disposition == win::kOpenExisting;
    calls_.push_back("CreateFile " + Name(path) + (toRead ? " to read" : "") +
                     (toWrite ? " to write" : "") + (toFlush ? " to flush" : "") +
                     (shareMode == 0 ? "" : " (shared)") +
                     (attributes == win::kFileAttributeNormal ? "" : " (attributes)"));
    return ForwardingFiles::CreateFileA(path, access, shareMode, disposition, attributes);
  }
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                std::uint32_t* read) override {
    calls_.push_back("ReadFile");
    return ForwardingFiles::ReadFile(file, buffer, toRead, read);
  }
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override {
    calls_.push_back("WriteFile " + std::string(static_cast<const char*>(buffer), toWrite));
    return ForwardingFiles::WriteFile(file, buffer, toWrite, written);
  }
  bool FlushFileBuffers(win::HANDLE file) override {
    calls_.push_back("FlushFileBuffers");
    return ForwardingFiles::FlushFileBuffers(file);
  }
  bool CloseHandle(win::HANDLE handle) override {
    calls_.push_back("CloseHandle");
    return ForwardingFiles::CloseHandle(handle);
  }
  bool MoveFileA(const char* existing, const char* target) override {
    calls_.push_back("MoveFile " + Name(existing) + " to " + Name(target));
    return ForwardingFiles::MoveFileA(existing, target);
  }
  bool DeleteFileA(const char* path) override {
    calls_.push_back("DeleteFile " + Name(path));
    return ForwardingFiles::DeleteFileA(path);
  }

 private:
  std::string Name(const char* path) const {
    const std::string text = path;
    const bool inInfFolder = text.rfind(infFolder_, 0) == 0;
    return inInfFolder ? text.substr(infFolder_.size()) : text;
  }

  std::string infFolder_;
  std::vector<std::string> calls_;
};
