// The framework's entry function. The host's real entry point calls it once,
// after the static application object has been built, and ends the process
// with the code it gives.
#pragma once

#include "host/HostServices.h"

int AfxWinMain(HostServices& host, win::HINSTANCE instance, int showCommand);
