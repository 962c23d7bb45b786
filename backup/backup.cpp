#include "backup/backup.h"

#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "diag/debug_log.h"

bool FormatBackupName(char* out, size_t capacity, const char* dir, const char* base,
                      const platform::LocalTime& moment) {
  return FormatText(out, capacity, "%s%s_%02d%02d%02d_%02d%02d%02d.bak", dir, base, moment.day,
                    moment.month, moment.year, moment.hour, moment.minute, moment.second);
}

void SaveBackupCopy() {
  // Only a script that passed validation is copied, and only under its own name.
  if (!state.scriptValidated) {
    LogDebug("No backup made - no validated resource script is selected");
    platform::MessageBox(state.mainPanel,
                         "There is no resource script to back up. \nSelect an RC file first",
                         kBackupCaption);
    return;
  }
  platform::LocalTime now = platform::GetLocalTime();
  if (!FormatBackupName(state.workBuffer, sizeof state.workBuffer, state.projectDir, state.baseName,
                        now) ||
      !platform::CopyFile(state.rcFilePath, state.workBuffer, false)) {
    LogDebug("Backup of %s failed", state.rcFilePath);
    ShowMessage(state.mainPanel, kBackupCaption, "The backup copy of %s could not be made",
                state.rcFilePath);
    return;
  }
}
