// The labels' text drawn by GDI: Arial 12 point bold, into a bitmap of the
// label's size whose pixels are then copied over the frame.
#include <algorithm>

#include "os/label_font.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

COLORREF colorref(Pixel p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

struct LabelPainter {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old_bitmap = nullptr;
  HFONT font = nullptr;
  Pixel* bits = nullptr;
  int w = 0, h = 0;

  bool ensure(int width, int height) {
    if (dc && width <= w && height <= h) return true;
    if (dc) {
      SelectObject(dc, old_bitmap);
      DeleteObject(bitmap);
    } else {
      dc = CreateCompatibleDC(nullptr);
      // 12 points at the 96 dots an inch the scene is laid out for.
      font = CreateFontW(-MulDiv(12, 96, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         L"Arial");
      SelectObject(dc, font);
    }
    w = std::max(width, w);
    h = std::max(height, h);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    if (!bitmap) {
      w = h = 0;
      return false;
    }
    bits = static_cast<Pixel*>(p);
    old_bitmap = SelectObject(dc, bitmap);
    return true;
  }
};

LabelPainter& painter() {
  static LabelPainter p;
  return p;
}

}  // namespace

void draw_text_label(const PixelView& target, int left, int top, int width, int height, const std::string& text,
                     LabelAlign align, Pixel fg, Pixel bg) {
  if (width <= 0 || height <= 0) return;
  LabelPainter& lp = painter();
  if (!lp.ensure(width, height)) {
    fill_rect(target, left, top, width, height, bg);
    return;
  }
  RECT r{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(colorref(bg));
  FillRect(lp.dc, &r, brush);
  DeleteObject(brush);
  SetBkMode(lp.dc, TRANSPARENT);
  SetTextColor(lp.dc, colorref(fg));
  const std::wstring w = win::widen(text);
  DrawTextW(lp.dc, w.c_str(), static_cast<int>(w.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (align == LabelAlign::kCentre ? DT_CENTER : DT_LEFT));
  GdiFlush();
  // GDI leaves the unused top byte as it likes: ours is always 0.
  const PixelView from{lp.bits, lp.w, lp.h, lp.w};
  for (int y = 0; y < height; ++y)
    for (Pixel* p = from.row(y); p < from.row(y) + width; ++p) *p &= 0x00FFFFFF;
  bit_blt(target, left, top, width, height, from, 0, 0, Rop::kSrcCopy);
}

}  // namespace vex
