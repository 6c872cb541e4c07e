#include "os/windows/win32.h"

#include "os/event_loop.h"

namespace vex::win {

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

std::string last_error_text() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string r = text ? narrow(text) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!r.empty() && (r.back() == '\n' || r.back() == '\r' || r.back() == '.')) r.pop_back();
  return r;
}

void serve_messages_from_loop() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  event_loop().add_pump([] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        request_termination();
        continue;
      }
      // Dialog keys (Tab between controls) for the window the message is for.
      HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
      if (top && GetPropW(top, L"VexmoorDialog") && IsDialogMessageW(top, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  });
  event_loop().set_waiter([](int ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms < 0 ? 0 : ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  });
}

}  // namespace vex::win
