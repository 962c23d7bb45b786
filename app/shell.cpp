#include "app/shell.h"

#include <cstring>

#include "app/about.h"
#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "backup/backup.h"
#include "build/pipeline.h"
#include "build/run.h"
#include "config/configuration.h"
#include "diag/debug_log.h"
#include "project/script.h"
#include "resources/resource_ids.h"

using platform::Message;

namespace {

// The open dialog's filter: one entry, pairs ended by an empty string.
constexpr char kOpenDialogFilter[] = "RC Files(*.rc)\0*.rc\0";

}  // namespace

void StartSequence() {
  platform::ShowWindow(state.mainWindow, platform::kShowNormal);
  char title[kPathCapacity];
  FormatText(title, sizeof title, kTitleFormat, kClassName, MIVO_VERSION_TEXT);
  platform::SetWindowText(state.mainWindow, title);
  CreateMainPanel();
  PrepareStartup();
  LoadConfiguration();
}

void CreateMainPanel() {
  state.mainPanel = platform::CreateModelessDialog(IDD_MAIN_PANEL, state.mainWindow, MainPanelProc);
  // The panel is measured in dialog units and grows with its font on a display
  // of a larger scale; the window grows with it, or its controls would lie out of reach.
  const WindowSize size = MainWindowSize(platform::DialogBaseUnits(state.mainPanel));
  if (size.width != kMainWindowWidth || size.height != kMainWindowHeight)
    platform::SetWindowSize(state.mainWindow, size.width, size.height);
  SetCompileEnabled(false);
}

namespace {

// value * units / unitsAt96, rounded up so that a control never loses its last pixel.
int Grown(int value, int units, int unitsAt96) {
  if (units <= unitsAt96) return value;
  return static_cast<int>((static_cast<long long>(value) * units + unitsAt96 - 1) / unitsAt96);
}

}  // namespace

WindowSize MainWindowSize(platform::BaseUnits panelUnits) {
  return {Grown(kMainWindowWidth, panelUnits.x, kPanelBaseUnitsAt96Dpi.x),
          Grown(kMainWindowHeight, panelUnits.y, kPanelBaseUnitsAt96Dpi.y)};
}

void FitMainWindowToPanel() {
  if (state.mainWindow == nullptr || state.mainPanel == nullptr) return;
  const WindowSize size = MainWindowSize(platform::DialogBaseUnits(state.mainPanel));
  platform::SetWindowSize(state.mainWindow, size.width, size.height);
}

void PrepareStartup() {
  state.rcFilePath[0] = '\0';

  platform::OpenFileRecord& dialog = state.openDialogSettings;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.structSize = platform::OpenFileRecordSize();
  dialog.owner = state.mainPanel;
  dialog.instance = nullptr;
  dialog.filter = kOpenDialogFilter;
  dialog.customFilter = nullptr;
  dialog.filterIndex = 0;
  dialog.file = state.rcFilePath;
  dialog.maxFile = sizeof state.rcFilePath;
  dialog.fileTitle = state.rcFileTitle;
  dialog.maxFileTitle = sizeof state.rcFileTitle;
  dialog.initialDir = nullptr;
  dialog.title = nullptr;
  dialog.flags = platform::kOfnExplorer | platform::kOfnFileMustExist | platform::kOfnPathMustExist;

  char directory[kPathCapacity];
  if (platform::GetCurrentDirectory(sizeof directory, directory) > kWorkingDirectoryLimit) {
    platform::MessageBox(state.mainWindow,
                         "File Paths Too Long \nPlease re-install the VORN Mivo conversion package "
                         "nearer to Root",
                         "MivoCompile Utility Launch Process Aborted");
    AbortApplication();
  }

  CopyText(state.iniFileName, "MivoCompile.ini");
}

intptr_t MainWindowProc(platform::Window, Message message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case Message::Destroy: SaveConfiguration(); return 0;
    // The panel takes its new scale while the change is being delivered: the
    // window is fitted to it once the change is through.
    case Message::ScaleChanged: platform::PostPrivateMessage(state.mainWindow); return 0;
    case Message::Private: FitMainWindowToPanel(); return 0;
    case Message::Command:
      // The whole wParam is compared, so only menu commands (notification 0) match.
      switch (wParam) {
        case IDM_OPEN: SelectResourceScript(); break;
        case IDM_BACKUP: SaveBackupCopy(); break;
        case IDM_EXIT: SaveConfiguration(); break;
        case IDM_DEBUG:
          if (state.debugMode)
            HideDebugWindow();
          else
            ShowDebugWindow();
          break;
        case IDM_ABOUT: ShowAboutBox(); break;
        default: break;
      }
      return 0;
    default: return platform::kDefaultProcessing;
  }
}

intptr_t MainPanelProc(platform::Window, Message message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case Message::Init: platform::Beep(platform::kBeepExclamation); return 1;
    case Message::Close:
    case Message::Destroy: platform::PostQuit(0); return 0;
    case Message::Command:
      switch (wParam & 0xFFFF) {
        case IDC_COMPILE: CompileCommand(); break;
        case IDC_RUN_AFTER_COMPILE: ToggleRunAfterCompile(); break;
        case IDC_RUN_EXE: RunExeCommand(); break;
        case IDC_SELECT_RC: SelectResourceScript(); break;
        case IDC_RUN_PARAMETERS: UpdateRunParameters(); break;
        default: break;  // the dialog manager's OK and cancel (Enter, Escape) included
      }
      return 0;
    default: return 0;
  }
}
