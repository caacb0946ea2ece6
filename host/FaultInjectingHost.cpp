#include "host/FaultInjectingHost.h"

FaultInjectingHost::FaultInjectingHost(HostServices& inner) : ForwardingHost(inner) {}

FaultInjectingHost::~FaultInjectingHost() { CloseLeftoverHandles(); }

bool FaultInjectingHost::FailCall(FileOp op, std::uint32_t nth, std::uint32_t error) {
  return AddRule(Rule{op, nth, Verdict::kFail, error});
}

bool FaultInjectingHost::ShortWrite(std::uint32_t nth) {
  return AddRule(Rule{FileOp::kWriteFile, nth, Verdict::kShortWrite, win::kErrorDiskFull});
}

void FaultInjectingHost::PowerCutAfter(std::uint32_t call) { powerCutAfter_ = call; }

void FaultInjectingHost::CloseLeftoverHandles() {
  for (TrackedHandle& tracked : handles_) {
    if (tracked.handle != nullptr) Release(tracked.handle, &tracked);
  }
}

void FaultInjectingHost::Release(win::HANDLE handle, TrackedHandle* tracked) {
  Inner().CloseHandle(handle);
  if (tracked != nullptr) *tracked = TrackedHandle{};
}

std::uint32_t FaultInjectingHost::CallCount(FileOp op) const {
  return calls_[static_cast<int>(op)];
}

std::uint32_t FaultInjectingHost::ForwardedCount() const { return forwarded_; }

int FaultInjectingHost::OpenHandleCount() const {
  int count = 0;
  for (const TrackedHandle& tracked : handles_) {
    if (tracked.handle != nullptr && !tracked.closedByCaller) ++count;
  }
  return count;
}

std::uint32_t FaultInjectingHost::GetLastError() {
  return lastCallInjected_ ? injectedError_ : ForwardingHost::GetLastError();
}

std::uint32_t FaultInjectingHost::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  if (Admit(FileOp::kGetWindowsDirectory) == Verdict::kFail) return 0;
  return ForwardingHost::GetWindowsDirectoryA(buffer, size);
}

bool FaultInjectingHost::QueryFileStatus(const char* path, win::FileStatus* status) {
  if (Admit(FileOp::kQueryFileStatus) == Verdict::kFail) return false;
  return ForwardingHost::QueryFileStatus(path, status);
}

// An open that the tracking has no room for is refused before it is counted:
// it is a limit of this host, not a call of the scenario.
win::HANDLE FaultInjectingHost::CreateFileA(const char* path, std::uint32_t access,
                                            std::uint32_t shareMode, std::uint32_t disposition,
                                            std::uint32_t attributes) {
  TrackedHandle* slot = FindTracked(nullptr);
  if (slot == nullptr) {
    Inject(kTooManyOpenFiles);
    return win::InvalidHandleValue();
  }
  if (Admit(FileOp::kCreateFile) == Verdict::kFail) return win::InvalidHandleValue();
  const win::HANDLE handle =
      ForwardingHost::CreateFileA(path, access, shareMode, disposition, attributes);
  if (handle != win::InvalidHandleValue()) *slot = TrackedHandle{handle, false};
  return handle;
}

bool FaultInjectingHost::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                                  std::uint32_t* read) {
  if (Admit(FileOp::kReadFile) == Verdict::kFail) {
    if (read != nullptr) *read = 0;
    return false;
  }
  return ForwardingHost::ReadFile(file, buffer, toRead, read);
}

bool FaultInjectingHost::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                                   std::uint32_t* written) {
  const Verdict verdict = Admit(FileOp::kWriteFile);
  if (verdict == Verdict::kFail) {
    if (written != nullptr) *written = 0;
    return false;
  }
  if (verdict == Verdict::kForward)
    return ForwardingHost::WriteFile(file, buffer, toWrite, written);
  if (!ForwardingHost::WriteFile(file, buffer, toWrite / 2, written)) return false;
  Inject(win::kErrorDiskFull);
  return true;
}

bool FaultInjectingHost::FlushFileBuffers(win::HANDLE file) {
  if (Admit(FileOp::kFlushFileBuffers) == Verdict::kFail) return false;
  return ForwardingHost::FlushFileBuffers(file);
}

// A close that fails still releases the handle, as on Win32: the caller
// cannot close it again. The release is no call of the scenario, so it is
// not counted as forwarded.
bool FaultInjectingHost::CloseHandle(win::HANDLE handle) {
  TrackedHandle* tracked = handle == nullptr ? nullptr : FindTracked(handle);
  if (tracked != nullptr) tracked->closedByCaller = true;
  if (Admit(FileOp::kCloseHandle) == Verdict::kFail) {
    Release(handle, tracked);
    return false;
  }
  if (!ForwardingHost::CloseHandle(handle)) return false;
  if (tracked != nullptr) *tracked = TrackedHandle{};
  return true;
}

bool FaultInjectingHost::MoveFileA(const char* existing, const char* target) {
  if (Admit(FileOp::kMoveFile) == Verdict::kFail) return false;
  return ForwardingHost::MoveFileA(existing, target);
}

bool FaultInjectingHost::DeleteFileA(const char* path) {
  if (Admit(FileOp::kDeleteFile) == Verdict::kFail) return false;
  return ForwardingHost::DeleteFileA(path);
}

// Counts the call and decides its fate: the power cut first, then the rules.
FaultInjectingHost::Verdict FaultInjectingHost::Admit(FileOp op) {
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

bool FaultInjectingHost::AddRule(const Rule& rule) {
  if (ruleCount_ == kMaxRules) return false;
  rules_[ruleCount_++] = rule;
  return true;
}

// Makes GetLastError give `error` until the next call that is forwarded.
void FaultInjectingHost::Inject(std::uint32_t error) {
  lastCallInjected_ = true;
  injectedError_ = error;
}

FaultInjectingHost::TrackedHandle* FaultInjectingHost::FindTracked(win::HANDLE handle) {
  for (TrackedHandle& tracked : handles_) {
    if (tracked.handle == handle) return &tracked;
  }
  return nullptr;
}
