#include "build/run.h"

#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "build/tools.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"

bool RunBuiltApplication(bool waitFirst) {
  if (!FormatText(state.workBuffer, sizeof state.workBuffer, "%s%s.exe %s", state.projectDir,
                  state.baseName, state.runParameters)) {
    LogDebug("Run line too long - %s%s.exe not started", state.projectDir, state.baseName);
    ShowMessage(state.mainPanel, "Run Process Failed",
                "The command line for %s%s.exe is too long to start it. \nShorten the command "
                "line parameters and try again",
                state.projectDir, state.baseName);
    return false;
  }
  LogDebug("Run... %s", state.workBuffer);
  if (waitFirst) platform::Sleep(static_cast<unsigned>(state.runDelaySeconds) * 1000u);
  LaunchProcess(state.workBuffer, platform::kShowNormal);
  return true;
}

void RunExeCommand() { RunBuiltApplication(false); }

void ToggleRunAfterCompile() {
  state.runAfterCompile = !state.runAfterCompile;
  platform::SetCheck(state.runModeCheckBox, state.runAfterCompile);
  LogDebug("Run Flag = %d", state.runAfterCompile ? 1 : 0);
}

void UpdateRunParameters() {
  platform::GetControlText(state.mainPanel, IDC_RUN_PARAMETERS, state.runParameters,
                           kRunParametersReadCapacity);
}
