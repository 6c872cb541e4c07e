#pragma once
// What this system's window files share: the bitmap each window shows, the
// window classes and the requests every window of ours answers alike.
#include <cstddef>

#include "os/raster.h"
#include "os/windows/win32.h"

namespace vex::win {

inline constexpr wchar_t kSaverClass[] = L"VexmoorSaver";
inline constexpr wchar_t kPreviewClass[] = L"VexmoorPreview";
// The classes' window procedures (fullscreen_window.cpp, embedded_window.cpp).
LRESULT CALLBACK saver_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK preview_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

SIZE client_size(HWND hwnd);

// Session and window-system requests every window of ours answers alike:
// true, with the answer in result, for one of them.
bool common_message(UINT msg, WPARAM wp, LRESULT& result);

// A bitmap of the window's size whose pixels we draw into directly.
class Canvas {
 public:
  ~Canvas() { release(); }
  // Pixels of w x h; new (black) ones when the size changed.
  bool ensure(int w, int h);
  PixelView view() const { return dc_ ? PixelView{static_cast<Pixel*>(bits_), w_, h_, w_} : PixelView{}; }
  // On a window of another size than the pixels (a window too large to be
  // drawn whole gets a bounded canvas), stretched over the whole of it.
  void show_on(HWND hwnd, const PixelRect* parts, std::size_t n, SIZE window = {0, 0}) const;
  // Answers the window's paint request from the pixels it last showed.
  void paint(HWND hwnd) const;

 private:
  void release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int w_ = 0, h_ = 0;
};

}  // namespace vex::win
