// The host probe and the parameter block of the confirmation box: the two
// last steps of building the update engine.
#include <new>

#include "app/BoxTexts.h"
#include "base/Text.h"
#include "engine/InfUpdater.h"
#include "resources/resource.h"

namespace {

constexpr std::uint32_t kWin95RetailBuild = 950;

// Writes `value` in decimal, at least `minDigits` digits, zero-padded, as
// wsprintfA's %d and %02d do; gives the position after the last digit.
char* PutDecimal(char* out, std::int32_t value, int minDigits) {
  std::uint32_t magnitude = static_cast<std::uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    magnitude = 0u - magnitude;
  }
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count < minDigits) digits[count++] = '0';
  while (count > 0) *out++ = digits[--count];
  return out;
}

// "Your OS now is %d.%02d,Build is %d \n\r If you want update TX chip info,
// \n\r pls select OK else select Cancel.." with line feed before carriage
// return in both separators.
void FormatPrompt(char* out, std::int32_t major, std::int32_t minor, std::int32_t build) {
  out = PutText(out, "Your OS now is ");
  out = PutDecimal(out, major, 1);
  out = PutText(out, ".");
  out = PutDecimal(out, minor, 2);
  out = PutText(out, ",Build is ");
  out = PutDecimal(out, build, 1);
  out = PutText(out,
                " \n\r If you want update TX chip info, \n\r pls select OK else select Cancel..");
  *out = '\0';
}

}  // namespace

void InfUpdater::ProbeHost() {
  win::OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  // A failed query is answered like an unknown platform: nothing is written,
  // so the run treats the host as unsupported.
  if (!host.system.GetVersionExA(&version)) return;
  switch (version.dwPlatformId) {
    case win::kVerPlatformWin32s:
      platformCode = 9;
      planSelector = 9;
      return;
    case win::kVerPlatformWin32Windows: {
      const std::uint32_t build = version.dwBuildNumber;
      FormatPrompt(promptText, static_cast<std::int32_t>(build >> 24),
                   static_cast<std::int32_t>((build >> 16) & 0xFF),
                   static_cast<std::int32_t>(build & 0xFFFF));
      platformCode = 1;
      planSelector = (build & 0xFFFF) == kWin95RetailBuild ? 1 : 2;
      return;
    }
    case win::kVerPlatformWin32Nt:
      FormatPrompt(promptText, static_cast<std::int32_t>(version.dwMajorVersion),
                   static_cast<std::int32_t>(version.dwMinorVersion),
                   static_cast<std::int32_t>(version.dwBuildNumber));
      platformCode = 2;
      planSelector = 2;
      return;
    default:
      return;
  }
}

void InfUpdater::BuildPromptParams() {
  promptParams = new (std::nothrow) win::MSGBOXPARAMSA{};
  if (promptParams == nullptr) return;
  // The host's own record size: 40 bytes on 32-bit Windows.
  promptParams->cbSize = sizeof(win::MSGBOXPARAMSA);
  promptParams->hwndOwner = owner;
  promptParams->hInstance = host.system.GetModuleHandleA(nullptr);
  promptParams->lpszText = promptText;
  promptParams->lpszCaption = kBoxCaption;
  promptParams->dwStyle = win::kMbUserIcon | win::kMbOkCancel;
  promptParams->lpszIcon = win::MakeIntResource(IDI_CONFIRM);
  promptParams->dwContextHelpId = 0;
  promptParams->lpfnMsgBoxCallback = nullptr;
  promptParams->dwLanguageId = 0;
}
