#pragma once
// The application shell: WinMain and its start sequence, the main window and
// the main panel with their command dispatch, and the two ways the program
// ends (SaveConfiguration's save-and-quit, AbortApplication's quit without
// saving).

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr const char* kClassName = "VORN Mivo Compile Utility";
constexpr const char* kTitleFormat = "%s  - %s";
constexpr const char* kMenuName = "Menu";
constexpr unsigned kMainWindowStyle = 0x00080000u | 0x00020000u;  // WS_SYSMENU | WS_MINIMIZEBOX
constexpr int kMainWindowWidth = 456;
constexpr int kMainWindowHeight = 148;
constexpr unsigned kWorkingDirectoryLimit = 1020;  // longest working directory accepted

extern "C" int WinMain(platform::Instance instance, platform::Instance previousInstance,
                       char* commandLine, int showCommand);

void StartSequence();
void CreateMainPanel();
void PrepareStartup();
intptr_t MainWindowProc(platform::Window window, platform::Message message, uintptr_t wParam,
                        intptr_t lParam);
intptr_t MainPanelProc(platform::Window dialog, platform::Message message, uintptr_t wParam,
                       intptr_t lParam);
void AbortApplication();
void SetCompileEnabled(bool enabled);
// Formats a message-box text into a 256-byte buffer and shows it; a text that
// would not fit is shown cut rather than written past the buffer.
void ShowMessage(platform::Window owner, const char* caption, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
