// A host for tests of the failure paths: it forwards every call of every
// facet to another host through one fault plan, so that a refused open, a
// full disk, a missing window or a power cut can be planted anywhere.
//
// File handles opened through it are tracked until the caller hands them to
// CloseHandle, so that a test can tell a handle the caller left open; those
// are closed in the inner host when this host goes away.
#pragma once

#include <cstdint>
#include <set>

#include "host/FaultPlan.h"
#include "host/ForwardingServices.h"
#include "host/HostServices.h"

class HandleTrackingFiles : public ForwardingFiles {
 public:
  HandleTrackingFiles(FileServices& inner, FaultPlan& faults);
  ~HandleTrackingFiles();
  HandleTrackingFiles(const HandleTrackingFiles&) = delete;
  HandleTrackingFiles& operator=(const HandleTrackingFiles&) = delete;

  int OpenHandleCount() const { return static_cast<int>(open_.size()); }
  // Closes in the inner files what the caller has left open.
  void CloseLeftoverHandles();

  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override;
  bool CloseHandle(win::HANDLE handle) override;

 private:
  std::set<win::HANDLE> open_;
};

// The forwarders, built before the services that refer to them.
struct FaultInjectingFacets {
  explicit FaultInjectingFacets(HostServices& inner)
      : files_(inner.files, plan_),
        registry_(inner.registry, &plan_),
        desktop_(inner.desktop, &plan_),
        system_(inner.system, &plan_) {}

  FaultPlan plan_;
  HandleTrackingFiles files_;
  ForwardingRegistry registry_;
  ForwardingDesktop desktop_;
  ForwardingSystem system_;
};

class FaultInjectingHost : private FaultInjectingFacets, public HostServices {
 public:
  explicit FaultInjectingHost(HostServices& inner);
  ~FaultInjectingHost();
  FaultInjectingHost(const FaultInjectingHost&) = delete;
  FaultInjectingHost& operator=(const FaultInjectingHost&) = delete;

  // The heap is no facet of the host, yet its failures belong to the same
  // plan: the non-throwing operator new of a test binary asks the plan of
  // the newest fault-injecting host still alive (HostCall::kAllocate), and
  // nothing when there is none.
  static FaultPlan* HeapPlan();

  FaultPlan& Plan() { return plan_; }
  // Every file operation after the Nth (of any kind) fails, so that the disk
  // stays as it stood after the last call that got through; 0 cuts at once.
  void PowerCutAfter(std::uint32_t call) { plan_.FailCallsFrom(HostCall::kAnyFileCall, call + 1); }
  int OpenHandleCount() const { return files_.OpenHandleCount(); }
  void CloseLeftoverHandles() { files_.CloseLeftoverHandles(); }

 private:
  static FaultInjectingHost* newest_;
  FaultInjectingHost* older_;
};
