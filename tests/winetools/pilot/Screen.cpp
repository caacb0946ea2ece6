#include "Screen.h"

#include <cstdio>

namespace {

constexpr int kIconSize = 32;
constexpr int kSearchRadius = 3;
constexpr double kGoodMatch = 0.9;

// Draws through a 32-bit top-down DIB section and copies the pixels out.
template <typename Paint>
Image PaintToImage(int width, int height, Paint paint) {
  Image image;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory, screen);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    image.width = width;
    image.height = height;
    image.pixels.assign(source, source + static_cast<size_t>(width) * height);
    for (std::uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

Image RenderIcon(HICON icon, COLORREF background) {
  return PaintToImage(kIconSize, kIconSize, [&](HDC memory, HDC) {
    RECT all = {0, 0, kIconSize, kIconSize};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
  });
}

// Share of the icon's opaque pixels (those that come out the same on black
// and on white) that the screen shows at (x, y).
double MatchAt(const Image& screen, int x, int y, const Image& onBlack, const Image& onWhite) {
  int opaque = 0;
  int matching = 0;
  for (int row = 0; row < kIconSize; ++row) {
    for (int column = 0; column < kIconSize; ++column) {
      const std::uint32_t pixel = onBlack.At(column, row);
      if (pixel != onWhite.At(column, row)) continue;
      ++opaque;
      const int sx = x + column;
      const int sy = y + row;
      if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
      if (screen.At(sx, sy) == pixel) ++matching;
    }
  }
  return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

double BestMatchNear(const Image& screen, int x, int y, HICON icon) {
  const Image onBlack = RenderIcon(icon, RGB(0, 0, 0));
  const Image onWhite = RenderIcon(icon, RGB(255, 255, 255));
  if (onBlack.pixels.empty() || onWhite.pixels.empty()) return 0.0;
  double best = 0.0;
  for (int dy = -kSearchRadius; dy <= kSearchRadius; ++dy) {
    for (int dx = -kSearchRadius; dx <= kSearchRadius; ++dx) {
      const double score = MatchAt(screen, x + dx, y + dy, onBlack, onWhite);
      if (score > best) best = score;
    }
  }
  return best;
}

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

Image CaptureScreen() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  return PaintToImage(width, height, [&](HDC memory, HDC screen) {
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  });
}

bool WriteBmp(const Image& image, const std::string& path) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t dataBytes = rowBytes * image.height;
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, 54 + dataBytes, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 54, 4);
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, image.width, 4);
  PutLittleEndian(out, image.height, 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(out, 0, 4);
  for (int row = image.height - 1; row >= 0; --row) {
    for (int column = 0; column < image.width; ++column) {
      PutLittleEndian(out, image.At(column, row), 3);
    }
    while ((out.size() - 54) % 4 != 0) out.push_back(0);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}

std::vector<IconCandidate> LoadIconCandidates(const std::string& programPath) {
  std::vector<IconCandidate> candidates;
  HMODULE program = programPath.empty()
                        ? nullptr
                        : LoadLibraryExA(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  for (int id : {10, 12, 13}) {
    if (!program) break;
    HANDLE icon = LoadImageA(program, MAKEINTRESOURCEA(id), IMAGE_ICON, kIconSize, kIconSize, 0);
    if (icon) candidates.push_back({"user" + std::to_string(id), static_cast<HICON>(icon)});
  }
  const struct {
    const char* name;
    LPCSTR id;
  } system[] = {{"warning", IDI_WARNING},
                {"information", IDI_INFORMATION},
                {"error", IDI_ERROR},
                {"question", IDI_QUESTION}};
  for (const auto& entry : system) {
    HICON icon = LoadIconA(nullptr, entry.id);
    if (icon) candidates.push_back({entry.name, icon});
  }
  return candidates;
}

std::string RecogniseIcon(const Image& screen, int x, int y,
                          const std::vector<IconCandidate>& candidates) {
  std::string bestName = "unknown";
  double bestScore = kGoodMatch;
  for (const IconCandidate& candidate : candidates) {
    const double score = BestMatchNear(screen, x, y, candidate.icon);
    if (score > bestScore) {
      bestScore = score;
      bestName = candidate.name;
    } else if (score == bestScore && bestName != "unknown") {
      // Two icons that look alike cannot be told apart: say so.
      bestName += "|" + candidate.name;
    }
  }
  return bestName;
}
