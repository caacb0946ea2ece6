// Pictures of the screen as the user sees it, and recognition of the icon
// that a message box shows, by comparing its pixels with candidate icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The whole screen (the virtual desktop), read back from the display.
Image CaptureScreen();

// Writes a 24-bit bottom-up BMP file.
bool WriteBmp(const Image& image, const std::string& path);

struct IconCandidate {
  std::string name;  // "user12", "warning", ...
  HICON icon;
};

// Icons of the given program (by resource ID) and the system's standard box
// icons; handles stay valid until the process ends.
std::vector<IconCandidate> LoadIconCandidates(const std::string& programPath);

// The name of the candidate whose opaque pixels match the screen best at
// (x, y), within a few pixels either way; "unknown" when none matches well,
// and the names joined by "|" when several match equally well.
std::string RecogniseIcon(const Image& screen, int x, int y,
                          const std::vector<IconCandidate>& candidates);
