#include "host/FaultInjectingHost.h"

HandleTrackingFiles::HandleTrackingFiles(FileServices& inner, FaultPlan& faults)
    : ForwardingFiles(inner, &faults) {}

HandleTrackingFiles::~HandleTrackingFiles() { CloseLeftoverHandles(); }

void HandleTrackingFiles::CloseLeftoverHandles() {
  for (const win::HANDLE handle : open_) Inner().CloseHandle(handle);
  open_.clear();
}

win::HANDLE HandleTrackingFiles::CreateFileA(const char* path, std::uint32_t access,
                                             std::uint32_t shareMode, std::uint32_t disposition,
                                             std::uint32_t attributes) {
  const win::HANDLE handle =
      ForwardingFiles::CreateFileA(path, access, shareMode, disposition, attributes);
  if (handle != win::InvalidHandleValue()) open_.insert(handle);
  return handle;
}

// The forwarder releases the handle even when the close is made to fail.
bool HandleTrackingFiles::CloseHandle(win::HANDLE handle) {
  open_.erase(handle);
  return ForwardingFiles::CloseHandle(handle);
}

FaultInjectingHost* FaultInjectingHost::newest_ = nullptr;

FaultInjectingHost::FaultInjectingHost(HostServices& inner)
    : FaultInjectingFacets(inner),
      HostServices{files_, registry_, desktop_, system_},
      older_(newest_) {
  newest_ = this;
}

// Hosts may end in any order: this one leaves the chain wherever it stands.
FaultInjectingHost::~FaultInjectingHost() {
  for (FaultInjectingHost** link = &newest_; *link != nullptr; link = &(*link)->older_) {
    if (*link == this) {
      *link = older_;
      return;
    }
  }
}

FaultPlan* FaultInjectingHost::HeapPlan() { return newest_ == nullptr ? nullptr : &newest_->plan_; }
