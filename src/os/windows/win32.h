#pragma once
// What every file of the Windows layer shares: the system headers without
// their min/max macros, text between the program's UTF-8 and the system's
// UTF-16, and the program's window ids as window handles.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "os/window.h"

namespace vex::win {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);

// A window id as the command line and the program carry it (32 bits: a
// window handle's significant part on every Windows) and back.
inline HWND to_hwnd(unsigned long id) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(id))));
}
inline unsigned long from_hwnd(HWND h) {
  return static_cast<unsigned long>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)));
}

HINSTANCE instance();

// The message pump the event loop runs, and its wait for the next message;
// installed once, by the first module that opens a window.
void serve_messages_from_loop();

// The system's last error as text, for messages.
std::string last_error_text();

// Hands a request to end (the session ending, Ctrl+C) to the program's
// handler, from the loop.
void request_termination();
// The same, handled at once: the session ends when the message returns.
void end_now();

}  // namespace vex::win
