// Makes the next allocation by `new (std::nothrow)` fail, as it would when
// memory has run out. Replaces the global allocation functions of the test
// binary it is linked into.
#pragma once

void FailNextNothrowAllocation();
