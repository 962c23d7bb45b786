#include "backup/backup.h"

#include <strings.h>
#include <cstring>

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "diag/debug_log.h"

namespace {

// The pieces describe rcFilePath when directory, base name and type put
// together give it back (the type is upper-cased, so it compares case-blind).
bool PiecesDescribeScript() {
  if (state.projectDir[0] == '\0' || state.baseName[0] == '\0') return false;
  size_t dirLength = std::strlen(state.projectDir);
  size_t baseLength = std::strlen(state.baseName);
  const char* path = state.rcFilePath;
  return std::strncmp(path, state.projectDir, dirLength) == 0 &&
         std::strncmp(path + dirLength, state.baseName, baseLength) == 0 &&
         path[dirLength + baseLength] == '.' &&
         strcasecmp(path + dirLength + baseLength + 1, state.fileType) == 0;
}

}  // namespace

bool FormatBackupName(char* out, size_t capacity, const char* dir, const char* base,
                      const platform::LocalTime& moment) {
  return FormatText(out, capacity, "%s%s_%02d%02d%02d_%02d%02d%02d.bak", dir, base, moment.day,
                    moment.month, moment.year, moment.hour, moment.minute, moment.second);
}

void SaveBackupCopy() {
  // Only the script the panel shows is copied, and only under its own name.
  if (!PiecesDescribeScript()) {
    LogDebug("No backup made - no resource script is selected");
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
  LogDebug("Backup saved as %s", state.workBuffer);
}
