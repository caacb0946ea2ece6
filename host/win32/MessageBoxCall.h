// How the Win32 host shows a box from a parameter block. MessageBoxIndirectA
// came with Windows 95 and NT 3.51; Win32s has none, and a program that
// imports it does not load there at all. So it is looked up at run time, and
// where it is missing the box is shown by MessageBoxA, which every Win32
// host has.
#pragma once

#include "host/win32/WindowsApi.h"

using MessageBoxIndirectFunction = int(WINAPI*)(const MSGBOXPARAMSA*);
using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

// USER32's MessageBoxIndirectA, or null where the host has none.
MessageBoxIndirectFunction FindMessageBoxIndirect();

// Shows the box through `indirect`; without it, through `plain` with the same
// owner, text, caption and buttons. Only the indirect call can show an icon
// of the program's own, so a user icon becomes the standard question icon.
int ShowMessageBox(const MSGBOXPARAMSA& params, MessageBoxIndirectFunction indirect,
                   MessageBoxFunction plain);
