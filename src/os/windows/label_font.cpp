// The labels' text drawn by GDI: Arial 12 point bold, into a bitmap of the
// label's size whose pixels are then copied over the frame. DrawText shapes
// and orders other scripts through Uniscribe and takes what Arial lacks from
// the system's linked fonts; it is told the paragraph's direction.
#include <algorithm>
#include <vector>

#include "os/label_font.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

COLORREF colorref(Pixel p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// No label shows more characters than this a pixel of its width; the rest of
// a long text is never handed to GDI.
constexpr std::size_t kCharsPerPixel = 4;

// The beginning of the text that can show in a label this wide, as UTF-16.
std::wstring shown_part(const std::string& utf8, int width) {
  const std::size_t chars = kCharsPerPixel * static_cast<std::size_t>(width) + 16;
  std::size_t bytes = std::min(utf8.size(), chars * 4);
  // Not inside a character's bytes.
  while (bytes > 0 && bytes < utf8.size() && (static_cast<unsigned char>(utf8[bytes]) & 0xC0) == 0x80) --bytes;
  std::wstring w = win::widen(utf8.substr(0, bytes));
  if (w.size() > chars) {
    std::size_t n = chars;
    if (IS_HIGH_SURROGATE(w[n - 1])) --n;
    w.resize(n);
  }
  return w;
}

// The paragraph reads right to left when its first strong character does.
bool reads_right_to_left(const std::wstring& w) {
  std::vector<WORD> types(w.size());
  if (w.empty() || !GetStringTypeW(CT_CTYPE2, w.c_str(), static_cast<int>(w.size()), types.data())) return false;
  for (WORD t : types) {
    if (t == C2_LEFTTORIGHT) return false;
    if (t == C2_RIGHTTOLEFT) return true;
  }
  return false;
}

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
      font =
          CreateFontW(-MulDiv(12, 96, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
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
  const std::wstring w = shown_part(text, width);
  const bool rtl = reads_right_to_left(w);
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (rtl ? DT_RTLREADING : 0);
  // A text wider than the label shows its beginning, from the side its
  // reading starts on, and is cut at the other edge.
  RECT need{0, 0, width, height};
  DrawTextW(lp.dc, w.c_str(), static_cast<int>(w.size()), &need, flags | DT_CALCRECT);
  const bool cut = need.right - need.left > width;
  const UINT side = cut ? (rtl ? DT_RIGHT : DT_LEFT) : (align == LabelAlign::kCentre ? DT_CENTER : DT_LEFT);
  DrawTextW(lp.dc, w.c_str(), static_cast<int>(w.size()), &r, flags | side);
  GdiFlush();
  // GDI leaves the unused top byte as it likes: ours is always 0.
  const PixelView from{lp.bits, lp.w, lp.h, lp.w};
  for (int y = 0; y < height; ++y)
    for (Pixel* p = from.row(y); p < from.row(y) + width; ++p) *p &= 0x00FFFFFF;
  bit_blt(target, left, top, width, height, from, 0, 0, Rop::kSrcCopy);
}

}  // namespace vex
