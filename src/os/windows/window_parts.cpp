#include "os/windows/window_parts.h"

#include <algorithm>

#include "base/failure.h"

namespace vex::win {

bool Canvas::ensure(int w, int h) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (dc_ && w == w_ && h == h_) return false;
  release();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // rows top down, as ours
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!bitmap_ || !bits_) throw Failure(kOutOfMemory, "no bitmap for the window");
  dc_ = CreateCompatibleDC(nullptr);
  old_ = SelectObject(dc_, bitmap_);
  w_ = w;
  h_ = h;
  std::fill_n(static_cast<Pixel*>(bits_), static_cast<std::size_t>(w) * h, Pixel{0});
  return true;
}

void Canvas::show_on(HWND hwnd, const PixelRect* parts, std::size_t n, SIZE window) const {
  if (!dc_ || !hwnd) return;
  GdiFlush();  // every write to the pixels done before the copy reads them
  HDC target = GetDC(hwnd);
  if (!target) return;
  if ((window.cx > 0 && window.cx != w_) || (window.cy > 0 && window.cy != h_)) {
    SetStretchBltMode(target, COLORONCOLOR);
    // Window column X shows canvas column floor(X * w / W): those showing
    // a part's columns run from ceil(x * W / w) to before ceil((x + pw) * W / w).
    auto first = [](long long c, long long to, long long from) { return static_cast<int>((c * to + from - 1) / from); };
    const PixelRect all{0, 0, w_, h_};
    for (std::size_t i = 0; i < (parts ? n : 1); ++i) {
      const PixelRect r = clip_rect(parts ? parts[i] : all, w_, h_);
      if (r.empty()) continue;
      const int x0 = first(r.x, window.cx, w_), x1 = first(r.x + r.w, window.cx, w_);
      const int y0 = first(r.y, window.cy, h_), y1 = first(r.y + r.h, window.cy, h_);
      StretchBlt(target, x0, y0, x1 - x0, y1 - y0, dc_, r.x, r.y, r.w, r.h, SRCCOPY);
    }
  } else if (!parts) {
    BitBlt(target, 0, 0, w_, h_, dc_, 0, 0, SRCCOPY);
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const PixelRect r = clip_rect(parts[i], w_, h_);
      if (!r.empty()) BitBlt(target, r.x, r.y, r.w, r.h, dc_, r.x, r.y, SRCCOPY);
    }
  }
  ReleaseDC(hwnd, target);
}

void Canvas::paint(HWND hwnd) const {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(hwnd, &ps);
  const RECT& r = ps.rcPaint;
  if (dc_) BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_, r.left, r.top, SRCCOPY);
  EndPaint(hwnd, &ps);
}

void Canvas::release() {
  if (dc_) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  bits_ = nullptr;
}

SIZE client_size(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool common_message(UINT msg, WPARAM wp, LRESULT& result) {
  switch (msg) {
    case WM_QUERYENDSESSION:
      result = TRUE;  // nothing of ours to save: the session may end
      return true;
    case WM_ENDSESSION:
      if (wp) end_now();
      result = 0;
      return true;
    default: return false;
  }
}

}  // namespace vex::win
