// The cut of the host's loader, for the stand-ins that hand out a module
// name or a string of the string table: as much of the text as fits in the
// buffer, zero-terminated.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

// Gives the length copied, without the terminator; a buffer of no bytes
// takes nothing.
inline std::uint32_t CopyCut(std::string_view text, char* buffer, std::uint32_t size) {
  if (size == 0) return 0;
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = '\0';
  return static_cast<std::uint32_t>(length);
}
