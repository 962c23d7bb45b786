#pragma once
// The debug window and its trace. Every step of the utility writes a short line
// through LogDebug; lines appear in list box 1009 of the debug window while it
// is open and are discarded (never buffered) while it is closed. Each line is
// cut to 160 characters and the list keeps the newest 500.

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr size_t kLogLineLimit = 160;        // characters shown of one trace line
constexpr int kLogLineCap = 500;             // lines the list keeps
constexpr size_t kLogFormatCapacity = 1024;  // what the line formatter writes at most

void ShowDebugWindow();
void HideDebugWindow();
intptr_t DebugWindowProc(platform::Window dialog, platform::Message message, uintptr_t wParam,
                         intptr_t lParam);
void LogDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Empties the list; nothing happens while the window is closed.
void ClearDebugLog();
