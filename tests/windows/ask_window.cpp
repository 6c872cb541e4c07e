// Asks the program's windows what the end-to-end tests need to know, or to
// end as Windows itself would ask:
//   ask_window close          posts WM_CLOSE to every saver window
//   ask_window endsession     sends WM_QUERYENDSESSION, then WM_ENDSESSION (the
//                             session does end) to the first saver window, as at
//                             log-off
//   ask_window where <title>  the client area of the top-level window of that
//                             title, on the screen: "client <x> <y> <w> <h>"
//   ask_window syscommand screensave|monitoroff
//                             sends the system command (start the screen saver,
//                             power the monitor down) to the first saver window,
//                             as the system does when its time comes
//   ask_window display off|on|dimmed
//                             tells every saver window that the console's display
//                             changed state, as the system does (a power-setting
//                             change, its record written into the saver's process)
// Prints one line per window asked ("close <handle>", "queryendsession
// <handle> <answer>", "endsession <handle>"); exits 1 when no such window
// is there, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK collect(HWND hwnd, LPARAM out) {
  wchar_t name[64];
  if (GetClassNameW(hwnd, name, 64) && std::wstring(name) == L"VexmoorSaver") {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc >= 2 ? argv[1] : "";
  if (what == "where" && argc == 3) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, nullptr, 0);
    std::wstring title(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, title.data(), n);
    HWND w = FindWindowW(nullptr, title.c_str());
    RECT r{};
    if (!w || !GetClientRect(w, &r)) {
      std::puts("no such window");
      return 1;
    }
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  const std::string arg = argc == 3 ? argv[2] : "";
  const bool syscommand = what == "syscommand" && (arg == "screensave" || arg == "monitoroff");
  const bool display = what == "display" && (arg == "off" || arg == "on" || arg == "dimmed");
  if (!syscommand && !display && (argc != 2 || (what != "close" && what != "endsession"))) {
    std::fputs(
        "usage: ask_window close|endsession|where <title>|syscommand screensave|monitoroff|display off|on|dimmed\n",
        stderr);
    return 2;
  }
  std::vector<HWND> savers;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&savers));
  if (savers.empty()) {
    std::puts("no saver window");
    return 1;
  }
  const auto id = [](HWND h) { return std::to_string(reinterpret_cast<uintptr_t>(h)); };
  if (syscommand) {
    const WPARAM command = arg == "screensave" ? SC_SCREENSAVE : SC_MONITORPOWER;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(savers[0], WM_SYSCOMMAND, command, arg == "monitoroff" ? 2 : 0, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    std::printf("syscommand %s %s\n", id(savers[0]).c_str(), arg.c_str());
  } else if (display) {
    // The record the message points to must be in the receiver's memory.
    for (HWND h : savers) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
      if (!process) {
        std::puts("cannot open the saver's process");
        return 1;
      }
      struct {
        POWERBROADCAST_SETTING head;
        BYTE rest[sizeof(DWORD)];
      } record{};
      record.head.PowerSetting = GUID_CONSOLE_DISPLAY_STATE;
      record.head.DataLength = sizeof(DWORD);
      const DWORD state = arg == "off" ? 0 : arg == "on" ? 1 : 2;
      std::memcpy(record.head.Data, &state, sizeof state);
      void* there = VirtualAllocEx(process, nullptr, sizeof record, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
      if (!there || !WriteProcessMemory(process, there, &record, sizeof record, nullptr)) {
        std::puts("cannot write into the saver's process");
        return 1;
      }
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(h, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(there),
                          SMTO_ABORTIFHUNG, 5000, &answer);
      VirtualFreeEx(process, there, 0, MEM_RELEASE);
      CloseHandle(process);
      std::printf("display %s %s %lu\n", id(h).c_str(), arg.c_str(), static_cast<unsigned long>(answer));
    }
  } else if (what == "close") {
    for (HWND h : savers) {
      PostMessageW(h, WM_CLOSE, 0, 0);
      std::printf("close %s\n", id(h).c_str());
    }
  } else {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(savers[0], WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    std::printf("queryendsession %s %lu\n", id(savers[0]).c_str(), static_cast<unsigned long>(answer));
    // The system ends the process soon after this message: ours must have
    // ended its own way by then.
    SendMessageTimeoutW(savers[0], WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, nullptr);
    std::printf("endsession %s\n", id(savers[0]).c_str());
  }
  std::fflush(stdout);
  return 0;
}
