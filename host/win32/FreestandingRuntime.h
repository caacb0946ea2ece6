// What the C runtime would do around the program's entry point, for the
// executable that links none: run the static constructors, and at the end the
// destructors that they registered.
#pragma once

void RunStaticConstructors();
void RunExitHandlers();
