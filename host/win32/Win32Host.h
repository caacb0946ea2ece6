// The Win32 host: one Win32 realisation of each facet, held together as the
// program's host services.
#pragma once

#include "host/HostServices.h"
#include "host/win32/Win32Desktop.h"
#include "host/win32/Win32Files.h"
#include "host/win32/Win32Registry.h"
#include "host/win32/Win32System.h"

// The realisations, built before the services that refer to them.
struct Win32Realisations {
  Win32Files files_;
  Win32Registry registry_;
  Win32Desktop desktop_;
  Win32System system_;
};

class Win32Host : private Win32Realisations, public HostServices {
 public:
  constexpr Win32Host() : HostServices{files_, registry_, desktop_, system_} {}
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;
};
