// SaveWindowPng: the window into a DIB section, the DIB into a PNG in memory with WIC, the PNG
// into the file through the file layer (ui/screenshot_file.hpp).
#include "hostseal/ui/win32/window_screenshot.hpp"

#include <objidl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "hostseal/ui/screenshot_file.hpp"
#include "hostseal/ui/win32/late_bound_calls.hpp"

namespace hostseal {

namespace {

using Microsoft::WRL::ComPtr;

// COM for this thread while the image is encoded; a thread that has it already keeps it.
class ComScope {
 public:
  ComScope() : m_Result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(m_Result)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // RPC_E_CHANGED_MODE: the thread has COM in the other apartment model, which serves as well.
  bool Usable() const { return SUCCEEDED(m_Result) || m_Result == RPC_E_CHANGED_MODE; }

 private:
  HRESULT m_Result;
};

// A memory device context with a 32-bit top-down DIB section selected into it.
class Canvas {
 public:
  Canvas(HDC like, int width, int height) : m_Dc(::CreateCompatibleDC(like)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_Bitmap = ::CreateDIBSection(like, &info, DIB_RGB_COLORS, &m_Bits, nullptr, 0);
    if (m_Dc != nullptr && m_Bitmap != nullptr) m_Previous = ::SelectObject(m_Dc, m_Bitmap);
  }
  ~Canvas() {
    if (m_Previous != nullptr) ::SelectObject(m_Dc, m_Previous);
    if (m_Bitmap != nullptr) ::DeleteObject(m_Bitmap);
    if (m_Dc != nullptr) ::DeleteDC(m_Dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool Ready() const { return m_Previous != nullptr && m_Bits != nullptr; }
  HDC Dc() const { return m_Dc; }
  BYTE* Bits() const { return static_cast<BYTE*>(m_Bits); }

 private:
  HDC m_Dc;
  HBITMAP m_Bitmap = nullptr;
  HGDIOBJ m_Previous = nullptr;
  void* m_Bits = nullptr;
};

class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_Window(window), m_Dc(::GetWindowDC(window)) {}
  ~WindowDc() {
    if (m_Dc != nullptr) ::ReleaseDC(m_Window, m_Dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return m_Dc; }

 private:
  HWND m_Window;
  HDC m_Dc;
};

// Wine's PrintWindow asks only the window itself to paint, not its child controls, so there
// the window is painted on the screen first and copied from it.
bool RunsUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool Draw(HWND window, const Canvas& canvas, HDC windowDc, int width, int height) {
  if (RunsUnderWine()) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ::BitBlt(canvas.Dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != FALSE;
  }
  return ::PrintWindow(window, canvas.Dc(), FullWindowPrintFlags()) != FALSE;
}

// The PNG file's bytes for a 32-bit BGRx image; empty when WIC fails.
std::vector<BYTE> EncodePng(const BYTE* pixels, UINT width, UINT height) {
  const ComScope com;
  if (!com.Usable()) return {};
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> properties;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
  const UINT stride = width * 4;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
      FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &properties)) ||
      FAILED(frame->Initialize(properties.Get())) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGR ||
      FAILED(frame->WritePixels(height, stride, stride * height, const_cast<BYTE*>(pixels))) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return {};
  }
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
  std::vector<BYTE> png(static_cast<std::size_t>(stat.cbSize.QuadPart));
  const LARGE_INTEGER start{};
  ULONG read = 0;
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) ||
      read != png.size()) {
    return {};
  }
  return png;
}

}  // namespace

void SaveWindowPng(HWND window, const std::u16string& fileName) {
  RECT bounds{};
  if (!::GetWindowRect(window, &bounds)) RaiseScreenshotNotDrawn(fileName);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) RaiseScreenshotNotDrawn(fileName);

  const WindowDc windowDc(window);
  if (windowDc.Get() == nullptr) RaiseScreenshotNotDrawn(fileName);
  const Canvas canvas(windowDc.Get(), width, height);
  if (!canvas.Ready() || !Draw(window, canvas, windowDc.Get(), width, height)) {
    RaiseScreenshotNotDrawn(fileName);
  }
  ::GdiFlush();  // the drawing is in the DIB's bits before they are read
  const std::vector<BYTE> png =
      EncodePng(canvas.Bits(), static_cast<UINT>(width), static_cast<UINT>(height));
  if (png.empty()) RaiseScreenshotNotDrawn(fileName);
  WriteScreenshotFile(fileName, png);
}

}  // namespace hostseal
