// The sweep of a device-enumeration key (Enum\PCI below HKEY_LOCAL_MACHINE)
// that deletes every key whose "Class" value is "Unknown": devices that
// Windows found but could not identify, which the updated INF files now
// describe, so that they are detected afresh at the next start.
#pragma once

#include <cstdint>

#include "host/RegistryServices.h"

// Visits the key `keyName` below `parent` depth first: every subkey is swept
// before the key itself is tested and, when its "Class" is "Unknown" in any
// letter case, deleted. Returns the open's error code when the key cannot be
// opened, otherwise the result of closing it (ERROR_SUCCESS normally).
std::int32_t PurgeUnknownDevices(RegistryServices& registry, win::HKEY parent, const char* keyName);
