// Screenshots of windows under test: the screen under a window, copied into a
// bitmap and saved as a PNG file by GDI+.
#include <windows.h>
// clang-format off
#include <gdiplus.h>  // needs windows.h first
// clang-format on

#include "windows/test_host.h"

namespace reelbox::test {

bool PhotographWindow(void* window, const std::string& path) {
  RECT area{};
  GetWindowRect(static_cast<HWND>(window), &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  bool saved = false;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    wchar_t file[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, file, MAX_PATH);
    const CLSID pngEncoder{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::Bitmap* image = Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr);
    saved = image != nullptr && image->Save(file, &pngEncoder, nullptr) == Gdiplus::Ok;
    delete image;
    Gdiplus::GdiplusShutdown(token);
  }
  DeleteObject(bitmap);
  return saved;
}

}  // namespace reelbox::test
