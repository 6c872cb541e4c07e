// A host window for the preview tests, standing in for the preview box of
// the Screen Saver settings:
//   preview_host <width>x<height> <program.scr> [more arguments for it]
// It makes a plain window whose client area has the given size, prints the
// window's handle as a decimal number on a line of its own, and starts
//   <program.scr> /p <handle> [more arguments]
// Then it reports and obeys, one line each way:
//   out  "started <pid>"                 the preview's process is running
//   out  "child <handle> <w>x<h>"        answer to "children": each child window and its client size
//   out  "children done"                 end of that answer
//   out  "destroyed"                     the host window is gone (after "destroy")
//   out  "ended <status>"                the preview's process ended, with its exit status
//   in   "destroy"                       destroy the host window, keep running
//   in   "exit", or the end of input     end at once, window and all, as when killed
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr UINT kDestroy = WM_APP + 1;
constexpr UINT kChildren = WM_APP + 2;

std::mutex out_mutex;

void say(const std::string& line) {
  std::lock_guard<std::mutex> lock(out_mutex);
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    say("destroyed");
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

BOOL CALLBACK report_child(HWND child, LPARAM) {
  RECT rc{};
  GetClientRect(child, &rc);
  say("child " + std::to_string(reinterpret_cast<uintptr_t>(child)) + " " + std::to_string(rc.right - rc.left) + "x" +
      std::to_string(rc.bottom - rc.top));
  return TRUE;
}

int fail(const char* what) {
  std::fprintf(stderr, "preview_host: %s (error %lu)\n", what, GetLastError());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc < 3 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
    std::fputs("usage: preview_host <width>x<height> <program.scr> [arguments]\n", stderr);
    return 2;
  }

  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = host_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = L"VexmoorPreviewHost";
  if (!RegisterClassW(&wc)) return fail("RegisterClass");

  // The outer size that gives exactly the asked-for client area.
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT outer{0, 0, width, height};
  AdjustWindowRect(&outer, style, FALSE);
  HWND host = CreateWindowW(wc.lpszClassName, L"Preview host", style, 40, 40, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  if (!host) return fail("CreateWindow");
  ShowWindow(host, SW_SHOWNORMAL);
  UpdateWindow(host);
  say(std::to_string(reinterpret_cast<uintptr_t>(host)));

  std::string command = std::string("\"") + argv[2] + "\" /p " + std::to_string(reinterpret_cast<uintptr_t>(host));
  for (int i = 3; i < argc; ++i) command += std::string(" \"") + argv[i] + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return fail("CreateProcess");
  }
  CloseHandle(pi.hThread);
  say("started " + std::to_string(pi.dwProcessId));

  std::thread([child = pi.hProcess] {
    WaitForSingleObject(child, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(child, &status);
    say("ended " + std::to_string(status));
  }).detach();

  const DWORD main_thread = GetCurrentThreadId();
  std::thread([main_thread] {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == "destroy") PostThreadMessageW(main_thread, kDestroy, 0, 0);
      else if (line == "children") PostThreadMessageW(main_thread, kChildren, 0, 0);
      else if (line == "exit") break;
    }
    // Gone at once, as a killed host: no WM_DESTROY reaches the preview.
    std::fflush(stdout);
    ExitProcess(0);
  }).detach();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kDestroy) {
      if (IsWindow(host)) DestroyWindow(host);
      continue;
    }
    if (msg.hwnd == nullptr && msg.message == kChildren) {
      if (IsWindow(host)) EnumChildWindows(host, report_child, 0);
      say("children done");
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
