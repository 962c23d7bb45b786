#pragma once
// The application shell: WinMain and its start sequence, the main window and
// the main panel with their command dispatch. It stands above every subsystem
// it dispatches to; what they ask of it in return (a message, the compile
// button, ending without saving) is app/shell_services.h.

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
