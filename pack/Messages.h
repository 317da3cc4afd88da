// The main window's private messages.
#pragma once

#include <windows.h>

// Accepted from any sender; nothing of ours sends them.
constexpr UINT kMsgIgnored = WM_USER + 700;   // 1724: does nothing
constexpr UINT kMsgShowAppText = WM_USER + 701; // 1725: shows a text lent by address
constexpr UINT kMsgDone = WM_USER + 702;      // 1726: the done handling

constexpr UINT kMsgShowText = WM_USER + 1035;   // 2059: shows a text handed over by address
constexpr UINT kMsgPackBegins = WM_USER + 1036; // 2060
constexpr UINT kMsgPackDone = WM_USER + 1037;   // 2061
