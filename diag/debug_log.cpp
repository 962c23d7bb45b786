#include "diag/debug_log.h"

#include <cstdarg>
#include <cstring>

#include "app/state.h"
#include "app/text.h"
#include "resources/resource_ids.h"

using platform::Message;

namespace {

// A burst of lines, everything traced before the thread next waits for
// messages, paints the list once. The burst's first line switches the list's
// painting off and posts the debug window the private message; handling it
// switches painting on again. This is the window whose list waits for it.
platform::Window quietWindow = nullptr;

void BeginBurst() {
  if (quietWindow == state.debugWindow) return;
  platform::ListSetRedraw(state.debugWindow, IDC_DEBUG_LIST, false);
  if (platform::PostPrivateMessage(state.debugWindow)) {
    quietWindow = state.debugWindow;
  } else {
    // Nothing would switch it on again: this line paints as it goes.
    platform::ListSetRedraw(state.debugWindow, IDC_DEBUG_LIST, true);
  }
}

void EndBurst(platform::Window dialog) {
  if (dialog != quietWindow) return;
  quietWindow = nullptr;
  platform::ListSetRedraw(dialog, IDC_DEBUG_LIST, true);
}

}  // namespace

void ShowDebugWindow() {
  platform::CheckMenuItem(state.mainWindow, IDM_DEBUG, true);
  state.debugMode = true;
  quietWindow = nullptr;  // a new window paints until its first burst
  state.debugWindow =
      platform::CreateModelessDialog(IDD_DEBUG_WINDOW, state.mainWindow, DebugWindowProc);
}

void HideDebugWindow() {
  platform::CheckMenuItem(state.mainWindow, IDM_DEBUG, false);
  state.debugMode = false;
  // Each showing is a new window, so the old one is destroyed rather than kept hidden.
  platform::Window window = state.debugWindow;
  state.debugWindow = nullptr;
  if (quietWindow == window) quietWindow = nullptr;  // its message dies with it
  if (window) platform::DestroyWindow(window);
}

intptr_t DebugWindowProc(platform::Window dialog, Message message, uintptr_t, intptr_t) {
  switch (message) {
    case Message::Init: platform::Beep(platform::kBeepExclamation); return 1;
    case Message::Close: HideDebugWindow(); return 1;
    case Message::Private: EndBurst(dialog); return 1;
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

  BeginBurst();
  // The new line's index gives the count without asking the list again.
  int count = platform::ListAdd(state.debugWindow, IDC_DEBUG_LIST, line) + 1;
  if (count <= 0) count = platform::ListCount(state.debugWindow, IDC_DEBUG_LIST);
  if (count > kLogLineCap) {
    platform::ListDelete(state.debugWindow, IDC_DEBUG_LIST, 0);
    --count;
  }
  platform::ListSelect(state.debugWindow, IDC_DEBUG_LIST, count - 1);
}

void ClearDebugLog() {
  if (!state.debugMode) return;
  BeginBurst();
  platform::ListReset(state.debugWindow, IDC_DEBUG_LIST);
}
