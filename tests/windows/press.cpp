// Clicks into the settings dialog as a user would, for the end-to-end
// tests, and lists the message boxes that are up:
//   press <x> <y>   a left click at that point of the dialog's client area,
//                   given to the control shown there; prints
//                   "pressed <control's class> <x> <y>"
//   press what <x> <y>  only says what is there: "at <control's class>"
//   press boxes     one line per message box shown: "box <caption>: <text>"
//   press dismiss   answers every message box shown with its OK button
// Exits 1 when there is no dialog (or nothing at the point), 2 on bad
// arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string narrow(const wchar_t* w) {
  char buf[1024];
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, buf, sizeof buf, nullptr, nullptr);
  return n > 0 ? std::string(buf) : std::string();
}

BOOL CALLBACK collect_boxes(HWND hwnd, LPARAM out) {
  wchar_t cls[64];
  if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 64) && std::wstring(cls) == L"#32770")
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  return TRUE;
}

// The box's message: its static text that is not the icon.
BOOL CALLBACK box_text(HWND child, LPARAM out) {
  wchar_t cls[64], text[512];
  if (GetClassNameW(child, cls, 64) && std::wstring(cls) == L"Static" && GetWindowTextW(child, text, 512) && text[0])
    *reinterpret_cast<std::string*>(out) += narrow(text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc >= 2 ? argv[1] : "";
  if (argc == 2 && (what == "boxes" || what == "dismiss")) {
    std::vector<HWND> boxes;
    EnumWindows(collect_boxes, reinterpret_cast<LPARAM>(&boxes));
    for (HWND b : boxes) {
      if (what == "dismiss") {
        PostMessageW(b, WM_COMMAND, IDOK, 0);
        continue;
      }
      wchar_t caption[256] = {};
      GetWindowTextW(b, caption, 256);
      std::string text;
      EnumChildWindows(b, box_text, reinterpret_cast<LPARAM>(&text));
      std::printf("box %s: %s\n", narrow(caption).c_str(), text.c_str());
    }
    return 0;
  }
  const bool only_look = argc == 4 && what == "what";
  if (argc != 3 && !only_look) {
    std::fputs("usage: press <x> <y> | press what <x> <y> | press boxes | press dismiss\n", stderr);
    return 2;
  }
  HWND dialog = FindWindowW(nullptr, L"Vexmoor ScreenSaver");
  if (!dialog) {
    std::puts("no dialog");
    return 1;
  }
  POINT at{std::atoi(argv[argc - 2]), std::atoi(argv[argc - 1])};
  // The first visible child at the point in the order they are stacked:
  // a tab page's controls stand above the tab control.
  HWND target = ChildWindowFromPointEx(dialog, at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
  if (!target || target == dialog) {
    std::puts("nothing there");
    return 1;
  }
  wchar_t cls[64] = {};
  GetClassNameW(target, cls, 64);
  if (only_look) {
    std::printf("at %s\n", narrow(cls).c_str());
    return 0;
  }
  POINT local = at;
  MapWindowPoints(dialog, target, &local, 1);
  const LPARAM where = MAKELPARAM(local.x, local.y);
  // Posted: a click may bring up a message box, which would hold a sent
  // message until someone closes it.
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(target, WM_LBUTTONUP, 0, where);
  std::printf("pressed %s %ld %ld\n", narrow(cls).c_str(), local.x, local.y);
  return 0;
}
