// The program's string table as the POSIX host serves it, generated at build
// time from the same data as the Windows string-table resource.
#pragma once

#include <cstddef>
#include <cstdint>

struct BuiltInString {
  std::uint16_t id;
  const char* text;
};

extern const BuiltInString kBuiltInStrings[];
extern const std::size_t kBuiltInStringCount;
