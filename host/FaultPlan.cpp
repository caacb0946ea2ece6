#include "host/FaultPlan.h"

void FaultPlan::FailCall(HostCall call, std::uint32_t nth, std::uint32_t error) {
  rules_.push_back(Rule{call, nth, false, Fault{error, false}});
}

void FaultPlan::FailCallsFrom(HostCall call, std::uint32_t nth, std::uint32_t error) {
  rules_.push_back(Rule{call, nth, true, Fault{error, false}});
}

void FaultPlan::HalfDoCall(HostCall call, std::uint32_t nth) {
  rules_.push_back(Rule{call, nth, false, Fault{0, true}});
}

// The first rule that matches decides: a plan reads in the order it was made.
std::optional<FaultPlan::Fault> FaultPlan::Admit(HostCall call) {
  ++calls_[Index(call)];
  ++calls_[Index(AnyCallLike(call))];
  for (const Rule& rule : rules_) {
    if (!Matches(rule, call)) continue;
    ++faultsMet_;
    return rule.fault;
  }
  return std::nullopt;
}

bool FaultPlan::Matches(const Rule& rule, HostCall call) const {
  if (rule.call != call && rule.call != AnyCallLike(call)) return false;
  const std::uint32_t nth = Calls(rule.call);
  return rule.onwards ? nth >= rule.nth : nth == rule.nth;
}
