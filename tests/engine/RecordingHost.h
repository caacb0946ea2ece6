// A host that writes down every file operation it forwards, one line each,
// so that a test can compare the road of a file call for call.
#pragma once

#include <string>
#include <vector>

#include "host/ForwardingHost.h"

class RecordingHost : public ForwardingHost {
 public:
  explicit RecordingHost(HostServices& inner) : ForwardingHost(inner) {}

  const std::vector<std::string>& Calls() const { return calls_; }

  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    const bool found = ForwardingHost::QueryFileStatus(path, status);
    calls_.push_back(std::string("status ") + path + (found ? "" : " (none)"));
    return found;
  }
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override {
    const bool toRead = access == win::kGenericRead && disposition == win::kOpenExisting;
    const bool toWrite = access == win::kGenericWrite && disposition == win::kCreateAlways;
    const char* how = toRead ? "open to read " : toWrite ? "create to write " : "open ";
    calls_.push_back(how + std::string(path) + (shareMode == 0 ? "" : " (shared)") +
                     (attributes == win::kFileAttributeNormal ? "" : " (attributes)"));
    return ForwardingHost::CreateFileA(path, access, shareMode, disposition, attributes);
  }
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                std::uint32_t* read) override {
    calls_.push_back("read");
    return ForwardingHost::ReadFile(file, buffer, toRead, read);
  }
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override {
    calls_.push_back("write " + std::string(static_cast<const char*>(buffer), toWrite));
    return ForwardingHost::WriteFile(file, buffer, toWrite, written);
  }
  bool FlushFileBuffers(win::HANDLE file) override {
    calls_.push_back("flush");
    return ForwardingHost::FlushFileBuffers(file);
  }
  bool CloseHandle(win::HANDLE handle) override {
    calls_.push_back("close");
    return ForwardingHost::CloseHandle(handle);
  }
  bool MoveFileA(const char* existing, const char* target) override {
    calls_.push_back(std::string("move ") + existing + " to " + target);
    return ForwardingHost::MoveFileA(existing, target);
  }
  bool DeleteFileA(const char* path) override {
    calls_.push_back(std::string("delete ") + path);
    return ForwardingHost::DeleteFileA(path);
  }

 private:
  std::vector<std::string> calls_;
};
