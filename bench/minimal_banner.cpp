// The least a Windows program can do to show what the updater must show
// before its confirmation box: a captioned window as large as the work area,
// filled with a hatch, then one box that it owns. The second yardstick for
// the start-up time under Wine, built without a C runtime like the updater.
#include <windows.h>

namespace {

LRESULT CALLBACK BannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(0xFF, 0x7A, 0x7A));
  FillRect(dc, &paint.rcPaint, hatch);
  DeleteObject(hatch);
  EndPaint(window, &paint);
  return 0;
}

}  // namespace

extern "C" void BannerEntry() {
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = BannerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "minimal_banner";
  RegisterClassA(&windowClass);
  HWND banner = CreateWindowExA(0, "minimal_banner", "minimal_banner",
                                WS_OVERLAPPED | WS_MAXIMIZE | WS_CAPTION | WS_SYSMENU, 0, 0,
                                area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  ShowWindow(banner, SW_SHOWDEFAULT);
  UpdateWindow(banner);
  MessageBoxA(banner, "Minimal box", "minimal_banner", MB_OKCANCEL | MB_ICONQUESTION);
  ExitProcess(0);
}
