#include "diag/debug_log.h"

#include <cstdarg>
#include <cstring>

#include "app/state.h"
#include "app/text.h"
#include "resources/resource_ids.h"

using platform::Message;

void ShowDebugWindow() {
  platform::CheckMenuItem(state.mainWindow, IDM_DEBUG, true);
  state.debugMode = true;
  state.debugWindow =
      platform::CreateModelessDialog(IDD_DEBUG_WINDOW, state.mainWindow, DebugWindowProc);
}

void HideDebugWindow() {
  platform::CheckMenuItem(state.mainWindow, IDM_DEBUG, false);
  state.debugMode = false;
  // Each showing is a new window, so the old one is destroyed rather than kept hidden.
  platform::Window window = state.debugWindow;
  state.debugWindow = nullptr;
  if (window) platform::DestroyWindow(window);
}

intptr_t DebugWindowProc(platform::Window, Message message, uintptr_t, intptr_t) {
  switch (message) {
    case Message::Init: platform::Beep(platform::kBeepExclamation); return 1;
    case Message::Close: HideDebugWindow(); return 1;
    default: return 0;
  }
}

void LogDebug(const char* format, ...) {
  if (!state.debugMode) return;
  char line[2 * kLogFormatCapacity];
  va_list args;
  va_start(args, format);
  FormatTextV(line, kLogFormatCapacity, format, args);  // a cut line is still worth showing
  va_end(args);
  if (std::strlen(line) > kLogLineLimit) line[kLogLineLimit] = '\0';

  platform::ListAdd(state.debugWindow, IDC_DEBUG_LIST, line);
  int count = platform::ListCount(state.debugWindow, IDC_DEBUG_LIST);
  if (count > kLogLineCap) {
    platform::ListDelete(state.debugWindow, IDC_DEBUG_LIST, 0);
    --count;
  }
  platform::ListSelect(state.debugWindow, IDC_DEBUG_LIST, count - 1);
}

void ClearDebugLog() {
  if (!state.debugMode) return;
  platform::ListReset(state.debugWindow, IDC_DEBUG_LIST);
}
