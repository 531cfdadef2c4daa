#include "desktop.h"

#include <windows.h>
#include <shobjidl.h>

#include "wide_text-win32.h"

namespace {

BOOL CALLBACK takeOwnWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      GetWindow(window, GW_OWNER) != nullptr)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

bool setTaskbarIdentity(const std::string& id) {
  return SUCCEEDED(SetCurrentProcessExplicitAppUserModelID(wideFromUtf8(id).c_str()));
}

void allowForeground(unsigned long process) {
  AllowSetForegroundWindow(process ? static_cast<DWORD>(process) : ASFW_ANY);
}

void bringOwnWindowForward() {
  HWND window = nullptr;
  EnumWindows(takeOwnWindow, reinterpret_cast<LPARAM>(&window));
  if (!window) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
}
