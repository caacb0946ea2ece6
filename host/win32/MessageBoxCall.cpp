#include "host/win32/MessageBoxCall.h"

#include "host/win32/LateBinding.h"

namespace {

UINT StyleWithoutUserIcon(UINT style) {
  if ((style & MB_ICONMASK) != MB_USERICON) return style;
  return (style & ~MB_ICONMASK) | MB_ICONQUESTION;
}

}  // namespace

MessageBoxIndirectFunction FindMessageBoxIndirect() {
  return LoadedFunction<MessageBoxIndirectFunction>("USER32", "MessageBoxIndirectA");
}

int ShowMessageBox(const MSGBOXPARAMSA& params, MessageBoxIndirectFunction indirect,
                   MessageBoxFunction plain) {
  if (indirect) return indirect(&params);
  return plain(params.hwndOwner, params.lpszText, params.lpszCaption,
               StyleWithoutUserIcon(params.dwStyle));
}
