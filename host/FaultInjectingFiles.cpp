#include "host/FaultInjectingFiles.h"

FaultInjectingFiles::FaultInjectingFiles(FileServices& inner) : ForwardingFiles(inner) {}

FaultInjectingFiles::~FaultInjectingFiles() { CloseLeftoverHandles(); }

bool FaultInjectingFiles::FailCall(FileOp op, std::uint32_t nth, std::uint32_t error) {
  return AddRule(Rule{op, nth, Verdict::kFail, error});
}

bool FaultInjectingFiles::ShortWrite(std::uint32_t nth) {
  return AddRule(Rule{FileOp::kWriteFile, nth, Verdict::kShortWrite, win::kErrorDiskFull});
}

void FaultInjectingFiles::PowerCutAfter(std::uint32_t call) { powerCutAfter_ = call; }

void FaultInjectingFiles::CloseLeftoverHandles() {
  for (TrackedHandle& tracked : handles_) {
    if (tracked.handle != nullptr) Release(tracked.handle, &tracked);
  }
}

void FaultInjectingFiles::Release(win::HANDLE handle, TrackedHandle* tracked) {
  Inner().CloseHandle(handle);
  if (tracked != nullptr) *tracked = TrackedHandle{};
}

std::uint32_t FaultInjectingFiles::CallCount(FileOp op) const {
  return calls_[static_cast<int>(op)];
}

std::uint32_t FaultInjectingFiles::ForwardedCount() const { return forwarded_; }

int FaultInjectingFiles::OpenHandleCount() const {
  int count = 0;
  for (const TrackedHandle& tracked : handles_) {
    if (tracked.handle != nullptr && !tracked.closedByCaller) ++count;
  }
  return count;
}

std::uint32_t FaultInjectingFiles::GetLastError() {
  return lastCallInjected_ ? injectedError_ : ForwardingFiles::GetLastError();
}

std::uint32_t FaultInjectingFiles::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  if (Admit(FileOp::kGetWindowsDirectory) == Verdict::kFail) return 0;
  return ForwardingFiles::GetWindowsDirectoryA(buffer, size);
}

bool FaultInjectingFiles::QueryFileStatus(const char* path, win::FileStatus* status) {
  if (Admit(FileOp::kQueryFileStatus) == Verdict::kFail) return false;
  return ForwardingFiles::QueryFileStatus(path, status);
}

// An open that the tracking has no room for is refused before it is counted:
// it is a limit of this host, not a call of the scenario.
win::HANDLE FaultInjectingFiles::CreateFileA(const char* path, std::uint32_t access,
                                             std::uint32_t shareMode, std::uint32_t disposition,
                                             std::uint32_t attributes) {
  TrackedHandle* slot = FindTracked(nullptr);
  if (slot == nullptr) {
    Inject(kTooManyOpenFiles);
    return win::InvalidHandleValue();
  }
  if (Admit(FileOp::kCreateFile) == Verdict::kFail) return win::InvalidHandleValue();
  const win::HANDLE handle =
      ForwardingFiles::CreateFileA(path, access, shareMode, disposition, attributes);
  if (handle != win::InvalidHandleValue()) *slot = TrackedHandle{handle, false};
  return handle;
}

bool FaultInjectingFiles::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                                   std::uint32_t* read) {
  if (Admit(FileOp::kReadFile) == Verdict::kFail) {
    if (read != nullptr) *read = 0;
    return false;
  }
  return ForwardingFiles::ReadFile(file, buffer, toRead, read);
}

bool FaultInjectingFiles::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                                    std::uint32_t* written) {
  const Verdict verdict = Admit(FileOp::kWriteFile);
  if (verdict == Verdict::kFail) {
    if (written != nullptr) *written = 0;
    return false;
  }
  if (verdict == Verdict::kForward)
    return ForwardingFiles::WriteFile(file, buffer, toWrite, written);
  if (!ForwardingFiles::WriteFile(file, buffer, toWrite / 2, written)) return false;
  Inject(win::kErrorDiskFull);
  return true;
}

bool FaultInjectingFiles::FlushFileBuffers(win::HANDLE file) {
  if (Admit(FileOp::kFlushFileBuffers) == Verdict::kFail) return false;
  return ForwardingFiles::FlushFileBuffers(file);
}

// A close that fails still releases the handle, as on Win32: the caller
// cannot close it again. The release is no call of the scenario, so it is
// not counted as forwarded.
bool FaultInjectingFiles::CloseHandle(win::HANDLE handle) {
  TrackedHandle* tracked = handle == nullptr ? nullptr : FindTracked(handle);
  if (tracked != nullptr) tracked->closedByCaller = true;
  if (Admit(FileOp::kCloseHandle) == Verdict::kFail) {
    Release(handle, tracked);
    return false;
  }
  if (!ForwardingFiles::CloseHandle(handle)) return false;
  if (tracked != nullptr) *tracked = TrackedHandle{};
  return true;
}

bool FaultInjectingFiles::MoveFileA(const char* existing, const char* target) {
  if (Admit(FileOp::kMoveFile) == Verdict::kFail) return false;
  return ForwardingFiles::MoveFileA(existing, target);
}

bool FaultInjectingFiles::DeleteFileA(const char* path) {
  if (Admit(FileOp::kDeleteFile) == Verdict::kFail) return false;
  return ForwardingFiles::DeleteFileA(path);
}

// Counts the call and decides its fate: the power cut first, then the rules.
FaultInjectingFiles::Verdict FaultInjectingFiles::Admit(FileOp op) {
  const std::uint32_t nth = ++calls_[static_cast<int>(op)];
  const std::uint32_t nthOfAny = ++calls_[static_cast<int>(FileOp::kAny)];
  if (powerCutAfter_ != kNoPowerCut && nthOfAny > powerCutAfter_) {
    Inject(kPowerCutError);
    return Verdict::kFail;
  }
  Verdict verdict = Verdict::kForward;
  for (int i = 0; i < ruleCount_; ++i) {
    const Rule& rule = rules_[i];
    if (rule.op == FileOp::kAny ? rule.nth != nthOfAny : rule.op != op || rule.nth != nth) continue;
    if (rule.verdict == Verdict::kFail) {
      Inject(rule.error);
      return Verdict::kFail;
    }
    verdict = rule.verdict;
  }
  ++forwarded_;
  lastCallInjected_ = false;
  return verdict;
}

bool FaultInjectingFiles::AddRule(const Rule& rule) {
  if (ruleCount_ == kMaxRules) return false;
  rules_[ruleCount_++] = rule;
  return true;
}

// Makes GetLastError give `error` until the next call that is forwarded.
void FaultInjectingFiles::Inject(std::uint32_t error) {
  lastCallInjected_ = true;
  injectedError_ = error;
}

FaultInjectingFiles::TrackedHandle* FaultInjectingFiles::FindTracked(win::HANDLE handle) {
  for (TrackedHandle& tracked : handles_) {
    if (tracked.handle == handle) return &tracked;
  }
  return nullptr;
}
