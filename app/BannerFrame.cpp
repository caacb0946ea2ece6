#include "app/BannerFrame.h"

#include "base/Text.h"
#include "engine/ScriptStrings.h"
#include "resources/resource.h"

namespace {

constexpr win::COLORREF kBannerRed = 0x007A7AFF;
constexpr char kDefaultCaption[] = "Welcome use Quelm Software...";
constexpr char kMissingPictureText[] = "Resource ID can't found";
constexpr std::uint32_t kClassStyle = win::kCsHRedraw | win::kCsVRedraw;
constexpr std::uint32_t kBannerStyle =
    win::kWsOverlapped | win::kWsMaximize | win::kWsCaption | win::kWsSysMenu;
// Used when the host cannot tell its work area: the smallest screen it runs on.
constexpr std::int32_t kFallbackWidth = 640;
constexpr std::int32_t kFallbackHeight = 480;

// Writes `value` in upper-case hexadecimal, without leading zeros; gives the
// position after the last digit.
char* PutHex(char* out, std::uintptr_t value) {
  char digits[2 * sizeof value];
  int count = 0;
  do {
    const int digit = static_cast<int>(value & 0xF);
    digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
    value >>= 4;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

template <typename Handle>
std::uintptr_t HandleValue(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// One class per combination of instance, style, cursor, brush and icon.
// Room: "Afx" and five colons, five values of at most 16 digits, the zero.
constexpr std::size_t kClassNameSize = 3 + 5 + 5 * 16 + 1;
void FormClassName(char* out, win::HINSTANCE instance, win::HCURSOR cursor, win::HBRUSH brush,
                   win::HICON icon) {
  out = PutText(out, "Afx:");
  out = PutHex(out, HandleValue(instance));
  out = PutText(out, ":");
  out = PutHex(out, kClassStyle);
  out = PutText(out, ":");
  out = PutHex(out, HandleValue(cursor));
  out = PutText(out, ":");
  out = PutHex(out, HandleValue(brush));
  out = PutText(out, ":");
  out = PutHex(out, HandleValue(icon));
  *out = '\0';
}

// The executable's file name without its directory and extension.
void ApplicationName(HostServices& host, win::HINSTANCE instance, char* name, std::uint32_t size) {
  const std::uint32_t length = host.system.GetModuleFileNameA(instance, name, size);
  if (length == 0 || length >= size) {
    name[0] = '\0';
    return;
  }
  std::uint32_t start = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (name[i] == '\\' || name[i] == '/' || name[i] == ':') start = i + 1;
  }
  std::uint32_t end = length;
  for (std::uint32_t i = start; i < length; ++i) {
    if (name[i] == '.') end = i;
  }
  CopyBytes(name, name + start, end - start);
  name[end - start] = '\0';
}

}  // namespace

const CFrameWnd::MessageEntry BannerFrame::bannerEntries[] = {
    {win::kWmPaint, static_cast<Handler>(&BannerFrame::OnPaint)},
};

const CFrameWnd::MessageTable BannerFrame::bannerMessages = {
    &CFrameWnd::frameMessages, bannerEntries, sizeof bannerEntries / sizeof bannerEntries[0]};

BannerFrame::BannerFrame(HostServices& host, win::HINSTANCE instance)
    : CFrameWnd(host), instance_(instance) {
  LoadWorkArea();
  const win::RECT rect = BannerRect();
  const win::HCURSOR cursor = host.desktop.LoadCursorA(instance, win::MakeIntResource(IDC_BANNER));
  background_ = host.desktop.CreateSolidBrush(kBannerRed);
  if (background_ == nullptr) return;
  const win::HICON icon = host.desktop.LoadIconA(instance, win::MakeIntResource(IDI_WINDOW));
  char className[kClassNameSize];
  FormClassName(className, instance, cursor, background_, icon);
  if (!ObtainWindowClass(className, cursor, icon)) return;
  Text caption;
  const bool found = ReadScriptString(host.system, IDS_CAPTION, caption) == StringRead::kFound;
  Create(0, className, found ? caption.Data() : kDefaultCaption, kBannerStyle, rect, instance);
}

// The window is gone by now (the object deletes itself after its last
// message, or never had one), so its class background can go too.
BannerFrame::~BannerFrame() {
  if (background_ != nullptr) host.desktop.DeleteObject(background_);
}

bool BannerFrame::ObtainWindowClass(const char* className, win::HCURSOR cursor, win::HICON icon) {
  win::WNDCLASSA existing = {};
  if (host.desktop.GetClassInfoA(instance_, className, &existing)) return true;
  win::WNDCLASSA windowClass = {};
  windowClass.style = kClassStyle;
  windowClass.lpfnWndProc = AfxWndProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = icon;
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background_;
  windowClass.lpszClassName = className;
  return host.desktop.RegisterClassA(&windowClass) != 0;
}

// The banner always starts at (0, 0) of the screen, wherever the task bar
// lies; only the work area's size is kept.
void BannerFrame::LoadWorkArea() {
  win::RECT area = {};
  left = 0;
  top = 0;
  if (!host.desktop.SystemParametersInfoA(win::kSpiGetWorkArea, 0, &area, 0)) {
    width = kFallbackWidth;
    height = kFallbackHeight;
    return;
  }
  if (area.right < area.left) {
    const std::int32_t right = area.left;
    area.left = area.right;
    area.right = right;
  }
  if (area.bottom < area.top) {
    const std::int32_t bottom = area.top;
    area.top = area.bottom;
    area.bottom = bottom;
  }
  width = area.right - area.left;
  height = area.bottom - area.top;
}

win::RECT BannerFrame::BannerRect() const { return {left, top, left + width, top + height}; }

const CFrameWnd::MessageTable* BannerFrame::GetMessageTable() const { return &bannerMessages; }

// Everything drawn is made and released within this one paint. A paint that
// cannot start, or gets no brush, marks the window valid so that it is not
// asked for again and again.
void BannerFrame::OnPaint() {
  const win::HWND window = GetSafeHwnd();
  win::PAINTSTRUCT paint = {};
  const win::HDC dc = host.desktop.BeginPaint(window, &paint);
  if (dc == nullptr) {
    host.desktop.ValidateRect(window, nullptr);
    return;
  }
  const win::HBRUSH hatch = host.desktop.CreateHatchBrush(win::kHsFDiagonal, kBannerRed);
  if (hatch == nullptr) {
    host.desktop.EndPaint(window, &paint);
    host.desktop.ValidateRect(window, nullptr);
    return;
  }
  const win::RECT area = BannerRect();
  host.desktop.FillRect(dc, &area, hatch);
  if (TileBitmap(dc, area) == 0) ShowMissingPicture();
  host.desktop.DeleteObject(hatch);
  host.desktop.EndPaint(window, &paint);
}

// A picture that tells no size, or cannot be selected, is not drawn: with
// no tile size the tiling would never end.
int BannerFrame::TileBitmap(win::HDC dc, win::RECT area) {
  const win::HBITMAP picture =
      host.desktop.LoadBitmapA(instance_, win::MakeIntResource(IDB_BANNER));
  if (picture == nullptr) return 0;
  win::BITMAP info = {};
  const int described = host.desktop.GetObjectA(picture, sizeof info, &info);
  if (described == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    host.desktop.DeleteObject(picture);
    return 0;
  }
  const win::HDC memory = host.desktop.CreateCompatibleDC(dc);
  if (memory == nullptr) {
    host.desktop.DeleteObject(picture);
    return 0;
  }
  const win::HGDIOBJ previous = host.desktop.SelectObject(memory, picture);
  if (previous == nullptr) {
    host.desktop.DeleteObject(picture);
    host.desktop.DeleteDC(memory);
    return 0;
  }
  for (std::int64_t x = 0; x < area.right; x += info.bmWidth) {
    for (std::int64_t y = 0; y < area.bottom; y += info.bmHeight) {
      host.desktop.BitBlt(dc, static_cast<int>(x), static_cast<int>(y), info.bmWidth, info.bmHeight,
                          memory, 0, 0, win::kSrcAnd);
    }
  }
  host.desktop.SelectObject(memory, previous);
  host.desktop.DeleteObject(picture);
  host.desktop.DeleteDC(memory);
  return 1;
}

void BannerFrame::ShowMissingPicture() {
  char name[win::kMaxPath];
  ApplicationName(host, instance_, name, sizeof name);
  host.desktop.MessageBoxA(GetSafeHwnd(), kMissingPictureText, name[0] != '\0' ? name : nullptr,
                           win::kMbOk | win::kMbIconExclamation | win::kMbTaskModal);
}
