// Dialog windows of the system's own controls: static labels, push buttons,
// check boxes, an edit box, a horizontal scroll bar, picture boxes, group
// boxes and a tab control, all children of the form's window and placed in
// the form's pixels (scaled by the monitor's dots per inch).
// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <commctrl.h>

#include <algorithm>
#include <list>
#include <map>
#include <thread>
#include <vector>

#include "base/failure.h"
#include "os/widgets.h"

namespace vex::ui {
namespace {

constexpr wchar_t kFormClass[] = L"VexmoorForm";
constexpr wchar_t kPictureClass[] = L"VexmoorPicture";
const COLORREF kGreyText = RGB(96, 96, 96);

// The form's pixels at 96 dots per inch, as the system's pixels.
int dpi_of(HWND w) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (fn && w) {
    const UINT d = fn(w);
    if (d > 0) return static_cast<int>(d);
  }
  HDC dc = GetDC(nullptr);
  const int d = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return d > 0 ? d : 96;
}

struct Fonts {
  HFONT normal = nullptr, bold = nullptr;
  int dpi = 0;
};
Fonts& fonts(int dpi) {
  static Fonts f;
  if (f.dpi != dpi) {
    // The system's dialog font at 8.25 points.
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0);
    LOGFONTW lf = m.lfMessageFont;
    lf.lfHeight = -MulDiv(825, dpi, 7200);
    f.normal = CreateFontIndirectW(&lf);
    lf.lfWeight = FW_BOLD;
    f.bold = CreateFontIndirectW(&lf);
    f.dpi = dpi;
  }
  return f;
}

class Form;

class Win32Control : public Control {
 public:
  Win32Control(HWND hwnd, Form* form) : hwnd_(hwnd), form_(form) {}
  ~Win32Control() override = default;
  void set_caption(const std::string& caption) override {
    caption_ = caption;
    SetWindowTextW(hwnd_, win::widen(caption).c_str());
  }
  std::string caption() const override { return caption_; }
  void set_tooltip(const std::string& tip) override;
  HWND hwnd() const { return hwnd_; }
  // A notification from the control, as its parent hears it.
  virtual void command(WORD code) {
    if (code == BN_CLICKED && on_click) on_click();
  }
  virtual void scroll(WORD, int) {}
  bool grey = false;
  bool on_page = false;  // stands on a tab page's body, not on the form

 protected:
  HWND hwnd_;
  Form* form_;
  std::string caption_;
};

class CheckBox : public Win32Control {
 public:
  using Win32Control::Win32Control;
  int value() const override { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }
  void set_value(int v) override { SendMessageW(hwnd_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0); }
  void command(WORD code) override {
    if (code == BN_CLICKED && on_change) on_change();
  }
};

class TextBox : public Win32Control {
 public:
  using Win32Control::Win32Control;
  std::string text() const override {
    const int n = GetWindowTextLengthW(hwnd_);
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd_, w.data(), n + 1);
    w.resize(static_cast<std::size_t>(n));
    return win::narrow(w);
  }
  void set_text(const std::string& t) override {
    setting_ = true;
    SetWindowTextW(hwnd_, win::widen(t).c_str());
    setting_ = false;
  }
  void command(WORD code) override {
    if (code == EN_CHANGE && !setting_ && on_change) on_change();
  }

 private:
  bool setting_ = false;
};

class ScrollBar : public Win32Control {
 public:
  using Win32Control::Win32Control;
  int value() const override { return GetScrollPos(hwnd_, SB_CTL); }
  void set_value(int v) override { SetScrollPos(hwnd_, SB_CTL, std::clamp(v, min_, max_), TRUE); }
  void set_range(int min, int max, int small_step, int large_step) override {
    min_ = min;
    max_ = max;
    small_ = small_step;
    large_ = large_step;
    SetScrollRange(hwnd_, SB_CTL, min, max, TRUE);
  }
  void scroll(WORD code, int thumb) override {
    int v = value();
    switch (code) {
      case SB_LINELEFT: v -= small_; break;
      case SB_LINERIGHT: v += small_; break;
      case SB_PAGELEFT: v -= large_; break;
      case SB_PAGERIGHT: v += large_; break;
      case SB_LEFT: v = min_; break;
      case SB_RIGHT: v = max_; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: v = thumb; break;
      default: return;
    }
    v = std::clamp(v, min_, max_);
    if (v == value()) return;
    SetScrollPos(hwnd_, SB_CTL, v, TRUE);
    if (on_change) on_change();
  }

 private:
  int min_ = 0, max_ = 0, small_ = 1, large_ = 1;
};

class PictureBox : public Win32Control {
 public:
  PictureBox(HWND hwnd, Form* form, int w, int h) : Win32Control(hwnd, form), pixels_(w, h, 0) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  void show_pixels(const PixelView& p) override {
    fill_rect(pixels_.view(), 0, 0, pixels_.width(), pixels_.height(), 0);
    bit_blt(pixels_.view(), 0, 0, std::min(p.width, pixels_.width()), std::min(p.height, pixels_.height()), p, 0, 0,
            Rop::kSrcCopy);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void set_hand_cursor(bool on) override { hand_ = on; }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = pixels_.width();
        bi.bmiHeader.biHeight = -pixels_.height();
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        RECT r{};
        GetClientRect(hwnd_, &r);
        StretchDIBits(dc, 0, 0, r.right, r.bottom, 0, 0, pixels_.width(), pixels_.height(), pixels_.view().pixels, &bi,
                      DIB_RGB_COLORS, SRCCOPY);
        EndPaint(hwnd_, &ps);
        return 0;
      }
      case WM_SETCURSOR:
        if (hand_) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
        break;
      case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd_);
        return 0;
      case WM_LBUTTONUP: {
        const bool was = pressed_;
        pressed_ = false;
        ReleaseCapture();
        RECT r{};
        GetClientRect(hwnd_, &r);
        const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (was && PtInRect(&r, pt) && on_click) on_click();
        return 0;
      }
      default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
  }

 private:
  Bitmap pixels_;
  bool hand_ = false;
  bool pressed_ = false;
};

LRESULT CALLBACK picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return box ? box->handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

class Win32Tabs;

// Adds children to the form at positions relative to an origin; the
// controls of a tab page are shown only while it is the tab shown.
class Win32Container : public Container {
 public:
  Win32Container(Form* form, int ox, int oy, std::vector<HWND>* page) : form_(form), ox_(ox), oy_(oy), page_(page) {}
  Control& add_label(PixelRect r, const std::string& caption, TextStyle style) override;
  Control& add_button(PixelRect r, const std::string& caption) override;
  Control& add_check_box(PixelRect r, const std::string& caption) override;
  Control& add_text_box(PixelRect r) override;
  Control& add_scroll_bar(PixelRect r) override;
  Control& add_picture_box(PixelRect r) override;
  Container& add_frame(PixelRect r, const std::string& caption, const std::string& tooltip) override;
  Tabs& add_tabs(PixelRect r, const std::vector<std::string>& captions) override;

 private:
  HWND child(const wchar_t* cls, DWORD style, PixelRect r, const std::string& text = {}, DWORD ex = 0);
  template <typename T, typename... A>
  T& adopt(HWND h, A&&... a);
  Form* form_;
  int ox_, oy_;
  std::vector<HWND>* page_;
};

class Win32Tabs : public Tabs {
 public:
  Win32Tabs(HWND hwnd, Form* form, int ox, int oy, std::size_t count);
  Container& page(int i) override { return *containers_.at(static_cast<std::size_t>(i)); }
  int value() const override { return static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)); }
  void set_value(int v) override {
    if (v < 0 || static_cast<std::size_t>(v) >= pages_.size()) return;
    SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(v), 0);
    show_page(v);
  }
  void set_caption(const std::string&) override {}
  std::string caption() const override { return {}; }
  void set_tooltip(const std::string&) override {}
  HWND hwnd() const { return hwnd_; }
  void switched() {
    show_page(value());
    if (on_change) on_change();
  }
  void show_page(int shown) {
    for (std::size_t i = 0; i < pages_.size(); ++i)
      if (static_cast<int>(i) != shown)
        for (HWND h : pages_[i]) ShowWindow(h, SW_HIDE);
    if (shown >= 0 && static_cast<std::size_t>(shown) < pages_.size())
      for (HWND h : pages_[static_cast<std::size_t>(shown)]) ShowWindow(h, SW_SHOW);
    // The form paints the page under the frames, over its children: what a
    // hidden control leaves is painted again as a whole, frames and all.
    RedrawWindow(GetParent(hwnd_), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

 private:
  HWND hwnd_;
  std::vector<std::vector<HWND>> pages_;
  std::vector<std::unique_ptr<Win32Container>> containers_;
};

std::map<HWND, Form*>& forms() {
  static std::map<HWND, Form*> m;
  return m;
}

class Form;
LRESULT CALLBACK form_proc(HWND h, UINT m, WPARAM w, LPARAM l);

class Form : public Window {
 public:
  Form(int w, int h, const std::string& caption, WindowKind kind) : kind_(kind) {
    win::serve_messages_from_loop();
    register_classes();
    const DWORD style = WS_CAPTION | WS_SYSMENU | (kind == WindowKind::kNormal ? WS_MINIMIZEBOX : 0);
    // A fixed-size tool window: no minimise or maximise box, no sizing.
    ex_style_ = kind == WindowKind::kDialog ? WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT : WS_EX_CONTROLPARENT;
    hwnd_ = CreateWindowExW(ex_style_, kFormClass, win::widen(caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, w,
                            h, nullptr, nullptr, win::instance(), nullptr);
    if (!hwnd_) throw Failure(kNoObject, "cannot create a window: " + win::last_error_text());
    forms()[hwnd_] = this;
    SetPropW(hwnd_, L"VexmoorDialog", reinterpret_cast<HANDLE>(1));
    dpi_ = dpi_of(hwnd_);
    client_w_ = w;
    client_h_ = h;
    RECT r{0, 0, scale(w), scale(h)};
    AdjustWindowRectEx(&r, style, FALSE, ex_style_);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    caption_ = caption;
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                            0, hwnd_, nullptr, win::instance(), nullptr);
    root_ = std::make_unique<Win32Container>(this, 0, 0, nullptr);
  }
  ~Form() override {
    forms().erase(hwnd_);
    controls_.clear();
    DestroyWindow(hwnd_);
    forget_page_brush();
  }
  HWND tab_control = nullptr;

  int scale(int v) const { return MulDiv(v, dpi_, 96); }
  HFONT font(bool bold) const { return bold ? fonts(dpi_).bold : fonts(dpi_).normal; }
  HWND hwnd() const { return hwnd_; }
  HWND tips() const { return tips_; }
  std::list<std::unique_ptr<Control>>& controls() { return controls_; }
  std::list<std::unique_ptr<Win32Container>>& containers() { return containers_; }
  std::map<HWND, Win32Control*> by_hwnd;
  std::map<HWND, Win32Tabs*> tabs_by_hwnd;

  void set_caption(const std::string& caption) override {
    caption_ = caption;
    SetWindowTextW(hwnd_, win::widen(caption).c_str());
  }
  std::string caption() const override { return caption_; }
  void show() override {
    for (auto& [h, t] : tabs_by_hwnd) t->show_page(t->value());
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    shown_ = true;
  }
  bool shown() const override { return shown_; }
  int outer_width() const override {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r.right - r.left;
  }
  int outer_height() const override {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
  }
  void move_outer_to(int left, int top) override {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void set_topmost(bool above) override {
    SetWindowPos(hwnd_, above ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_CLOSE:
        if (on_close) on_close();
        return 0;
      case WM_COMMAND: {
        // Neither button is the default or the cancel one: the keys that
        // would press them (Return, Escape) arrive as these and do nothing.
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
          if (!lp) return 0;
        }
        auto it = by_hwnd.find(reinterpret_cast<HWND>(lp));
        if (it != by_hwnd.end()) it->second->command(HIWORD(wp));
        return 0;
      }
      case WM_HSCROLL: {
        auto it = by_hwnd.find(reinterpret_cast<HWND>(lp));
        if (it != by_hwnd.end()) it->second->scroll(LOWORD(wp), static_cast<short>(HIWORD(wp)));
        return 0;
      }
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        auto it = tabs_by_hwnd.find(n->hwndFrom);
        if (it != tabs_by_hwnd.end() && n->code == TCN_SELCHANGE) it->second->switched();
        return 0;
      }
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: {
        // Labels, check boxes and frames take the colour of what they stand
        // on: the form's face, or the tab page's body, which visual styles
        // paint white (or in a gradient) where the classic look is grey.
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        auto it = by_hwnd.find(control);
        SetBkMode(dc, TRANSPARENT);
        if (it != by_hwnd.end() && it->second->grey) SetTextColor(dc, kGreyText);
        if (it != by_hwnd.end() && it->second->on_page) {
          if (HBRUSH body = page_brush()) return reinterpret_cast<LRESULT>(body);
        }
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      case WM_ERASEBKGND: {
        // The tab control does not paint under the frames that stand on its
        // pages (it clips its siblings): the form paints the page's body
        // there, so a frame's inside is the page, not the form's face.
        HDC dc = reinterpret_cast<HDC>(wp);
        RECT all{};
        GetClientRect(hwnd_, &all);
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        if (HBRUSH body = page_brush()) {
          RECT tab{};
          GetWindowRect(tab_control, &tab);
          MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tab), 2);
          RECT inside{0, 0, tab.right - tab.left, tab.bottom - tab.top};
          SendMessageW(tab_control, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
          OffsetRect(&inside, tab.left, tab.top);
          FillRect(dc, &inside, body);
        }
        return 1;
      }
      case WM_THEMECHANGED:
      case WM_SYSCOLORCHANGE:
        forget_page_brush();
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
      case WM_QUERYENDSESSION: return TRUE;
      case WM_ENDSESSION:
        if (wp) win::end_now();
        return 0;
      default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
  }

 private:
  Container& client_area() override { return *root_; }

  static void register_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.hInstance = win::instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(win::instance(), MAKEINTRESOURCEW(100));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpfnWndProc = form_proc;
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    wc.hIcon = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = picture_proc;
    wc.lpszClassName = kPictureClass;
    RegisterClassExW(&wc);
  }

  // The colour of the tab control's body as it paints itself, as a brush:
  // asked of the control (WM_PRINTCLIENT) once it has its size, so whatever
  // the look the controls on a page stand on the page's colour. (A picture
  // of the page as a pattern brush would follow a gradient too, but
  // controls that paint through a buffer of their own lose its alignment.)
  HBRUSH page_brush() {
    if (page_brush_ || !tab_control || !IsWindowVisible(tab_control)) return page_brush_;
    RECT r{};
    GetClientRect(tab_control, &r);
    if (r.right <= 0 || r.bottom <= 0) return nullptr;
    HDC screen = GetDC(tab_control);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, picture);
    FillRect(mem, &r, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(tab_control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
    RECT inside = r;
    SendMessageW(tab_control, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
    const COLORREF body = GetPixel(mem, (inside.left + inside.right) / 2, (inside.top + inside.bottom) / 2);
    SelectObject(mem, old);
    DeleteObject(picture);
    DeleteDC(mem);
    ReleaseDC(tab_control, screen);
    page_brush_ = CreateSolidBrush(body == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : body);
    return page_brush_;
  }

  void forget_page_brush() {
    if (page_brush_) DeleteObject(page_brush_);
    page_brush_ = nullptr;
  }
  HBRUSH page_brush_ = nullptr;
  WindowKind kind_;
  DWORD ex_style_ = 0;
  HWND hwnd_ = nullptr;
  HWND tips_ = nullptr;
  int dpi_ = 96;
  int client_w_ = 0, client_h_ = 0;
  std::string caption_;
  bool shown_ = false;
  std::list<std::unique_ptr<Control>> controls_;
  std::list<std::unique_ptr<Win32Container>> containers_;
  std::unique_ptr<Win32Container> root_;
};

LRESULT CALLBACK form_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto it = forms().find(h);
  return it != forms().end() ? it->second->handle(m, w, l) : DefWindowProcW(h, m, w, l);
}

void Win32Control::set_tooltip(const std::string& tip) {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = form_->hwnd();
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  SendMessageW(form_->tips(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (tip.empty()) return;
  std::wstring w = win::widen(tip);
  ti.lpszText = w.data();
  SendMessageW(form_->tips(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HWND Win32Container::child(const wchar_t* cls, DWORD style, PixelRect r, const std::string& text, DWORD ex) {
  HWND h = CreateWindowExW(ex, cls, win::widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, form_->scale(ox_ + r.x),
                           form_->scale(oy_ + r.y), form_->scale(r.w), form_->scale(r.h), form_->hwnd(), nullptr,
                           win::instance(), nullptr);
  if (!h) throw Failure(kNoObject, "cannot create a control: " + win::last_error_text());
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(form_->font(false)), FALSE);
  // A tab page's controls stand above the tab control and show with their page.
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (page_) page_->push_back(h);
  return h;
}

template <typename T, typename... A>
T& Win32Container::adopt(HWND h, A&&... a) {
  auto c = std::make_unique<T>(h, form_, std::forward<A>(a)...);
  T& ref = *c;
  ref.on_page = page_ != nullptr;
  form_->by_hwnd[h] = &ref;
  form_->controls().push_back(std::move(c));
  return ref;
}

Control& Win32Container::add_label(PixelRect r, const std::string& caption, TextStyle style) {
  DWORD s = SS_NOPREFIX;
  switch (style.align) {
    case TextAlign::kCentre: s |= SS_CENTER; break;  // words wrap within the box
    case TextAlign::kRight: s |= SS_RIGHT; break;
    default: s |= SS_LEFT; break;
  }
  HWND h = child(L"STATIC", s, r, caption);
  if (style.bold) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(form_->font(true)), FALSE);
  auto& c = adopt<Win32Control>(h);
  c.grey = style.grey;
  c.set_caption(caption);
  return c;
}

Control& Win32Container::add_button(PixelRect r, const std::string& caption) {
  auto& c = adopt<Win32Control>(child(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, r, caption));
  c.set_caption(caption);
  return c;
}

Control& Win32Container::add_check_box(PixelRect r, const std::string& caption) {
  auto& c = adopt<CheckBox>(child(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, r, caption));
  c.set_caption(caption);
  return c;
}

Control& Win32Container::add_text_box(PixelRect r) {
  return adopt<TextBox>(child(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, r, {}, WS_EX_CLIENTEDGE));
}

Control& Win32Container::add_scroll_bar(PixelRect r) {
  return adopt<ScrollBar>(child(L"SCROLLBAR", SBS_HORZ | WS_TABSTOP, r));
}

Control& Win32Container::add_picture_box(PixelRect r) {
  return adopt<PictureBox>(child(kPictureClass, 0, r), r.w, r.h);
}

Container& Win32Container::add_frame(PixelRect r, const std::string& caption, const std::string& tooltip) {
  // Under every other control of the page but above the page itself, and
  // clipped by what stands on it: pictures that overlap its edge (the
  // About page's logo and address) are drawn over its line, not under it.
  HWND h = child(L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, r, caption);
  if (HWND tab = form_->tab_control) {
    HWND above_tab = GetWindow(tab, GW_HWNDPREV);
    SetWindowPos(h, above_tab && above_tab != h ? above_tab : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(form_->font(true)), FALSE);
  auto& c = adopt<Win32Control>(h);
  c.set_caption(caption);
  c.set_tooltip(tooltip);
  form_->containers().push_back(std::make_unique<Win32Container>(form_, ox_ + r.x, oy_ + r.y, page_));
  return *form_->containers().back();
}

Tabs& Win32Container::add_tabs(PixelRect r, const std::vector<std::string>& captions) {
  HWND h = child(WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, r);
  form_->tab_control = h;
  SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (std::size_t i = 0; i < captions.size(); ++i) {
    std::wstring w = win::widen(captions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    SendMessageW(h, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  auto t = std::make_unique<Win32Tabs>(h, form_, ox_ + r.x, oy_ + r.y, captions.size());
  Win32Tabs& ref = *t;
  form_->tabs_by_hwnd[h] = &ref;
  form_->controls().push_back(std::move(t));
  return ref;
}

Win32Tabs::Win32Tabs(HWND hwnd, Form* form, int ox, int oy, std::size_t count) : hwnd_(hwnd), pages_(count) {
  for (std::size_t i = 0; i < count; ++i)
    containers_.push_back(std::make_unique<Win32Container>(form, ox, oy, &pages_[i]));
}

}  // namespace

std::unique_ptr<Window> create_window(int client_width, int client_height, const std::string& caption,
                                      WindowKind kind) {
  return std::make_unique<Form>(client_width, client_height, caption, kind);
}

void show_message(const std::string& title, const std::string& text) {
  // The system's message box, on a thread of its own: the caller goes on at
  // once and the frames and timers keep running while it is up.
  std::thread([t = win::widen(title), m = win::widen(text)] {
    MessageBoxW(nullptr, m.c_str(), t.c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
  }).detach();
}

bool windows_available() { return true; }

}  // namespace vex::ui
