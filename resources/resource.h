// The program's resource IDs, written once: the resource script and the code
// both include this file.
#pragma once

#define IDB_BANNER 10      // the banner tile, 196 x 62 pixels, 256 colours
#define IDI_WINDOW 10      // the banner window's icon
#define IDC_BANNER 11      // the banner window's cursor
#define IDI_CONFIRM 12     // the confirmation and success boxes' icon
#define IDI_FAILURE 13     // the failure box's icon
#define IDS_CAPTION 20000  // the banner's caption in the string table
