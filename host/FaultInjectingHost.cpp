#include "host/FaultInjectingHost.h"

HandleTrackingFiles::HandleTrackingFiles(FileServices& inner, FaultPlan& faults)
    : ForwardingFiles(inner, &faults) {}

HandleTrackingFiles::~HandleTrackingFiles() { CloseLeftoverHandles(); }

int HandleTrackingFiles::OpenHandleCount() const {
  int count = 0;
  for (const win::HANDLE handle : handles_) count += handle != nullptr ? 1 : 0;
  return count;
}

void HandleTrackingFiles::CloseLeftoverHandles() {
  for (win::HANDLE& handle : handles_) {
    if (handle == nullptr) continue;
    Inner().CloseHandle(handle);
    handle = nullptr;
  }
}

win::HANDLE HandleTrackingFiles::CreateFileA(const char* path, std::uint32_t access,
                                             std::uint32_t shareMode, std::uint32_t disposition,
                                             std::uint32_t attributes) {
  win::HANDLE* slot = Slot(nullptr);
  if (slot == nullptr) return win::InvalidHandleValue();
  const win::HANDLE handle =
      ForwardingFiles::CreateFileA(path, access, shareMode, disposition, attributes);
  if (handle != win::InvalidHandleValue()) *slot = handle;
  return handle;
}

// The forwarder releases the handle even when the close is made to fail.
bool HandleTrackingFiles::CloseHandle(win::HANDLE handle) {
  win::HANDLE* slot = handle == nullptr ? nullptr : Slot(handle);
  if (slot != nullptr) *slot = nullptr;
  return ForwardingFiles::CloseHandle(handle);
}

win::HANDLE* HandleTrackingFiles::Slot(win::HANDLE handle) {
  for (win::HANDLE& tracked : handles_) {
    if (tracked == handle) return &tracked;
  }
  return nullptr;
}
