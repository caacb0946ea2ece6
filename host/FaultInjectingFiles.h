// The files of a host, for tests of the failure paths: it forwards every
// call to another realisation and makes chosen operations fail as a refused
// open, a full disk or a power cut would.
//
// Calls are counted per operation, 1-based, failed ones included. A rule
// "the Nth call of X fails with E" answers that call with X's failure value
// without forwarding it, and GetLastError then gives E. A short write hands
// only half of the bytes on, reports success with the smaller count and
// leaves ERROR_DISK_FULL. After a power cut every file operation fails
// without being forwarded, so the disk stays as it stood after the last call
// that got through.
//
// Handles opened through this wrapper are tracked until the caller hands them
// to CloseHandle. A close that is made to fail still releases the handle in
// the inner files, as a failed CloseHandle does on Win32; those the caller
// left open are closed when this wrapper goes away.
#pragma once

#include <cstdint>

#include "host/ForwardingServices.h"

class FaultInjectingFiles : public ForwardingFiles {
 public:
  enum class FileOp : std::uint8_t {
    kGetWindowsDirectory,
    kQueryFileStatus,
    kCreateFile,
    kReadFile,
    kWriteFile,
    kFlushFileBuffers,
    kCloseHandle,
    kMoveFile,
    kDeleteFile,
    kAny,  // every file operation, counted together
  };

  // ERROR_NOT_READY: what a file operation meets after the power cut.
  static constexpr std::uint32_t kPowerCutError = 21;
  // ERROR_TOO_MANY_OPEN_FILES: an open refused because the tracking is full.
  static constexpr std::uint32_t kTooManyOpenFiles = 4;
  static constexpr int kMaxRules = 16;
  static constexpr int kMaxHandles = 32;

  explicit FaultInjectingFiles(FileServices& inner);
  ~FaultInjectingFiles();
  FaultInjectingFiles(const FaultInjectingFiles&) = delete;
  FaultInjectingFiles& operator=(const FaultInjectingFiles&) = delete;

  // The Nth call of `op` fails with `error`. False when the rules are full.
  [[nodiscard]] bool FailCall(FileOp op, std::uint32_t nth, std::uint32_t error);
  // The Nth WriteFile stores half of its bytes. False when the rules are full.
  [[nodiscard]] bool ShortWrite(std::uint32_t nth);
  // Every file operation after the Nth (of any kind) fails; 0 cuts at once.
  void PowerCutAfter(std::uint32_t call);
  // Closes in the inner files what the caller has left open.
  void CloseLeftoverHandles();

  std::uint32_t CallCount(FileOp op) const;
  std::uint32_t ForwardedCount() const;
  int OpenHandleCount() const;

  std::uint32_t GetLastError() override;
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
  bool QueryFileStatus(const char* path, win::FileStatus* status) override;
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override;
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read) override;
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override;
  bool FlushFileBuffers(win::HANDLE file) override;
  bool CloseHandle(win::HANDLE handle) override;
  bool MoveFileA(const char* existing, const char* target) override;
  bool DeleteFileA(const char* path) override;

 private:
  enum class Verdict : std::uint8_t { kForward, kFail, kShortWrite };
  struct Rule {
    FileOp op;
    std::uint32_t nth;
    Verdict verdict;
    std::uint32_t error;
  };
  struct TrackedHandle {
    win::HANDLE handle;
    bool closedByCaller;
  };
  static constexpr int kOpCount = static_cast<int>(FileOp::kAny) + 1;
  static constexpr std::uint32_t kNoPowerCut = 0xFFFFFFFFu;

  Verdict Admit(FileOp op);
  bool AddRule(const Rule& rule);
  void Inject(std::uint32_t error);
  TrackedHandle* FindTracked(win::HANDLE handle);
  void Release(win::HANDLE handle, TrackedHandle* tracked);

  std::uint32_t calls_[kOpCount] = {};
  std::uint32_t forwarded_ = 0;
  std::uint32_t powerCutAfter_ = kNoPowerCut;
  Rule rules_[kMaxRules] = {};
  int ruleCount_ = 0;
  TrackedHandle handles_[kMaxHandles] = {};
  bool lastCallInjected_ = false;
  std::uint32_t injectedError_ = 0;
};
