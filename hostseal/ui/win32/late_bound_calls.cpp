// LateBoundCalls: looked up by name in user32.dll; the system's version from ntdll's
// RtlGetVersion, which reports it whatever the program's manifest says.
#include "hostseal/ui/win32/late_bound_calls.hpp"

namespace hostseal {

namespace {

constexpr UINT kPrintRenderFullContent = 0x2;  // PW_RENDERFULLCONTENT, Windows 8.1

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // A procedure address is cast to the function type it was published with.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

bool IsWindows81OrLater() {
  using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto getVersion = Lookup<RtlGetVersion>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (getVersion == nullptr || getVersion(&version) != 0) return false;
  return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 3);
}

LateBoundCalls LookUpCalls() {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  LateBoundCalls calls;
  calls.getDpiForWindow = Lookup<decltype(calls.getDpiForWindow)>(user32, "GetDpiForWindow");
  calls.adjustWindowRectExForDpi =
      Lookup<decltype(calls.adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
  calls.systemParametersInfoForDpi =
      Lookup<decltype(calls.systemParametersInfoForDpi)>(user32, "SystemParametersInfoForDpi");
  calls.printsFullContent = IsWindows81OrLater();
  return calls;
}

UINT SystemDpi() {
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return USER_DEFAULT_SCREEN_DPI;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

LateBoundCalls& TheLateBoundCalls() {
  static LateBoundCalls calls = LookUpCalls();
  return calls;
}

UINT WindowDpi(HWND window) {
  const LateBoundCalls& calls = TheLateBoundCalls();
  const UINT dpi = calls.getDpiForWindow != nullptr ? calls.getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

void AdjustWindowBoundsForDpi(RECT& bounds, DWORD style, DWORD exStyle, UINT dpi) {
  const LateBoundCalls& calls = TheLateBoundCalls();
  if (calls.adjustWindowRectExForDpi != nullptr &&
      calls.adjustWindowRectExForDpi(&bounds, style, FALSE, exStyle, dpi) != FALSE) {
    return;
  }
  ::AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi) {
  const LateBoundCalls& calls = TheLateBoundCalls();
  const UINT size = metrics.cbSize;
  if (calls.systemParametersInfoForDpi != nullptr &&
      calls.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, size, &metrics, 0, dpi) != FALSE) {
    return true;
  }
  return ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0) != FALSE;
}

UINT FullWindowPrintFlags() {
  return TheLateBoundCalls().printsFullContent ? kPrintRenderFullContent : 0;
}

}  // namespace hostseal
