// The heap of a test binary as a host call that can fail: the non-throwing
// forms of operator new, which the core takes all its memory through, ask
// this plan (HostCall::kAllocate) first and give nothing for a call it
// fails, as the heap does once memory has run out.
#pragma once

#include "host/FaultPlan.h"

FaultPlan& AllocationFaults();
