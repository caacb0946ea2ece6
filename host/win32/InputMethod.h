// The updater takes no text input: its banner has no input of its own and its
// boxes have only buttons.
#pragma once

// Keeps the calling thread's windows free of input-method windows. Call it
// before the thread makes its first window. Where the system has no input
// method manager loaded (Windows 95 outside the Far East editions) it does
// nothing.
void TurnOffInputMethod();
