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
// The panel's dialog base units where its font ("MS Sans Serif" 8 pt) is drawn at
// 96 DPI: the scale the main window's 456 x 148 pixels were made for.
constexpr platform::BaseUnits kPanelBaseUnitsAt96Dpi{6, 13};

struct WindowSize {
  int width, height;
};
// The main window's size for a panel whose font gives these base units: 456 x 148
// at the units of 96 DPI, else grown by the units' own factor in each direction,
// so every control keeps its place in the window. Never smaller than 456 x 148.
WindowSize MainWindowSize(platform::BaseUnits panelUnits);
// Resizes the main window to MainWindowSize of the panel's current base units.
void FitMainWindowToPanel();

extern "C" int WinMain(platform::Instance instance, platform::Instance previousInstance,
                       char* commandLine, int showCommand);

void StartSequence();
void CreateMainPanel();
void PrepareStartup();
intptr_t MainWindowProc(platform::Window window, platform::Message message, uintptr_t wParam,
                        intptr_t lParam);
intptr_t MainPanelProc(platform::Window dialog, platform::Message message, uintptr_t wParam,
                       intptr_t lParam);
