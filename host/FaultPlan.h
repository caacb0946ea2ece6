// Faults planted in the host's calls, for tests of the failure paths, in one
// form: "the Nth call of operation X fails, with error E where the caller
// can tell". The forwarders of every facet consult the plan they are given
// before they forward a call; a call that fails is answered with the
// operation's failure value (a call without a result is dropped) and never
// reaches the host behind.
//
// Calls are counted per operation, 1-based, failed ones included, and per
// facet under its "any call" name (HostCall::kAnyFileCall...), so that a
// power cut is a fault of every file call from the Nth on. Besides failing,
// a call can be made to do half its work and succeed: a write that stores
// half of its bytes, as a disk that fills up does.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/HostCall.h"

class FaultPlan {
 public:
  // ERROR_GEN_FAILURE: the error of a fault whose caller reads none.
  static constexpr std::uint32_t kGeneralFailure = 31;

  struct Fault {
    std::uint32_t error;
    bool halfDone;  // the call does half its work and succeeds
  };

  // The Nth call of `call` fails with `error`.
  void FailCall(HostCall call, std::uint32_t nth, std::uint32_t error = kGeneralFailure);
  // Every call of `call` from the Nth on fails with `error`.
  void FailCallsFrom(HostCall call, std::uint32_t nth, std::uint32_t error = kGeneralFailure);
  // The Nth call of `call` does half its work and succeeds.
  void HalfDoCall(HostCall call, std::uint32_t nth);

  // Counts a call of `call`; the fault planted for it, if any.
  std::optional<Fault> Admit(HostCall call);

  std::uint32_t Calls(HostCall call) const { return calls_[Index(call)]; }
  // Calls that were planted a fault and met it.
  std::uint32_t FaultsMet() const { return faultsMet_; }

 private:
  struct Rule {
    HostCall call;
    std::uint32_t nth;
    bool onwards;
    Fault fault;
  };
  static constexpr int kCallKinds = static_cast<int>(HostCall::kAnyAllocation) + 1;
  static int Index(HostCall call) { return static_cast<int>(call); }
  bool Matches(const Rule& rule, HostCall call) const;

  std::uint32_t calls_[kCallKinds] = {};
  std::uint32_t faultsMet_ = 0;
  std::vector<Rule> rules_;
};
