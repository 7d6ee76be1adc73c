// LateBoundCalls: the calls of Windows 8.1 and 10 that the window uses, looked up at run time
// so that the programs start on Windows 7 SP1, with the fallback each needs where the system
// lacks it (the system DPI, the window frame and message font at that DPI, a screen copy of
// the window without PW_RENDERFULLCONTENT). The table is public so that a test can blank it
// and run the fallbacks on a system that has the calls.
#pragma once

#include <windows.h>

namespace hostseal {

struct LateBoundCalls {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;                                      // 10 1607
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;  // 10 1607
  BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;  // 10 1607
  bool printsFullContent = false;  // PrintWindow takes PW_RENDERFULLCONTENT (8.1 and later)
};

// The table, filled on first use from user32.dll and the system's version.
LateBoundCalls& TheLateBoundCalls();

// The window's DPI; the system DPI where the system has no per-window DPI.
UINT WindowDpi(HWND window);
// AdjustWindowRectEx at dpi; at the system DPI where the system scales frames by no other.
void AdjustWindowBoundsForDpi(RECT& bounds, DWORD style, DWORD exStyle, UINT dpi);
// The non-client metrics (the message font among them) at dpi; false when the system
// refuses. Before Windows 10 they come at the system DPI, which is the window's there.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi);
// The flags for PrintWindow that draw the whole window, its controls included.
UINT FullWindowPrintFlags();

}  // namespace hostseal
