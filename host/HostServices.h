// The one seam between the updater and its host: one realisation of each
// facet, held together. Every operation keeps the shape, arguments and
// results of the Win32 call it stands for, so that the Win32 realisation is
// a pass-through and the core reads like Win32 code. Each consumer takes the
// facet it uses; wrappers (fault injection, call records) wrap one facet and
// stand in for it through With().
// Realisations: Win32 (the real program) and POSIX (native builds and tests).
#pragma once

#include "host/DesktopServices.h"
#include "host/FileServices.h"
#include "host/RegistryServices.h"
#include "host/SystemServices.h"

struct HostServices {
  FileServices& files;
  RegistryServices& registry;
  DesktopServices& desktop;
  SystemServices& system;

  // The same host with one facet replaced.
  HostServices With(FileServices& other) const { return {other, registry, desktop, system}; }
  HostServices With(RegistryServices& other) const { return {files, other, desktop, system}; }
  HostServices With(DesktopServices& other) const { return {files, registry, other, system}; }
  HostServices With(SystemServices& other) const { return {files, registry, desktop, other}; }
};
