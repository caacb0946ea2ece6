// Reading the update script from the program's string table.
#pragma once

#include <cstdint>

#include "base/Text.h"
#include "host/SystemServices.h"

enum class StringRead { kFound, kMissing, kNoMemory };

// Reads string `id` of the program's table whole, whatever its length. An ID
// outside the table's 16-bit range, an absent string, an empty one and one
// that holds a zero byte are all missing; `text` is then empty.
StringRead ReadScriptString(SystemServices& system, std::int64_t id, Text& text);
