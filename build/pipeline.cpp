#include "build/pipeline.h"

#include <cstdarg>

#include "app/file_probes.h"
#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "build/run.h"
#include "build/tools.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kCopyFailedCaption = "Conversion Process Failed";
constexpr const char* kBuildFailedCaption = "****   Conversion Process Failed    ****";
constexpr const char* kIntermediateSuffixes[] = {".res", ".rc.log", ".rc.original"};
constexpr int kBuildButtons[] = {IDC_COMPILE, IDC_SELECT_RC, IDC_RUN_EXE};  // greyed while it runs

bool FormatWork(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool FormatWork(const char* format, ...) {
  va_list args;
  va_start(args, format);
  bool fitted = FormatTextV(state.workBuffer, sizeof state.workBuffer, format, args);
  va_end(args);
  return fitted;
}

// Whether every file name and command line of this build fits workBuffer; a
// build that could not name its files is refused before it touches any.
bool BuildTextsFit(const char* dir, const char* base) {
  char text[sizeof state.workBuffer];
  bool fit = FormatText(text, sizeof text, "%s%s.exe", dir, base);
  for (const char* suffix : kIntermediateSuffixes)
    fit = fit && FormatText(text, sizeof text, "%s%s%s", dir, base, suffix);
  fit = fit && FormatText(text, sizeof text, kCheckLineFormat, state.checkerPath, dir, base);
  fit =
      fit && FormatText(text, sizeof text, kCompileLineFormat, state.brcPath, dir, base, dir, base);
  fit = fit && FormatText(text, sizeof text, kBindLineFormat, state.brcPath, dir, base, dir, base);
  return fit;
}

bool FailBuild(const char* text) {
  platform::MessageBox(state.mainPanel, text, kBuildFailedCaption);
  AbortApplication();
  return false;
}

}  // namespace

void CompileCommand() {
  // Without a validated script the pieces name no project (or a refused one).
  if (!state.scriptValidated) return;
  SetCompileEnabled(false);
  platform::EnableControl(state.mainPanel, IDC_SELECT_RC, false);
  platform::EnableControl(state.mainPanel, IDC_RUN_EXE, false);
  bool built = BuildExecutable(state.projectDir, state.baseName);
  if (built && state.runAfterCompile) RunBuiltApplication(true);
  // Clicks and keys that reached the greyed buttons while the build ran are
  // still queued; once the buttons are enabled each would press them again.
  // After an abort nothing is taken from the queue: the quit it posted would go too.
  if (!state.abortRequested)
    for (int button : kBuildButtons) platform::DiscardControlInput(state.mainPanel, button);
  if (built) platform::EnableControl(state.mainPanel, IDC_RUN_EXE, true);
  platform::EnableControl(state.mainPanel, IDC_SELECT_RC, true);
  SetCompileEnabled(true);
}

bool BuildExecutable(const char* dir, const char* base) {
  if (!BuildTextsFit(dir, base)) {
    LogDebug("Conversion refused - the project's file names or command lines are too long");
    platform::MessageBox(state.mainPanel,
                         "The paths of the project or of the conversion tools are too long "
                         "to build it. \nMove the project or the tools nearer to Root and retry",
                         kCopyFailedCaption);
    return false;
  }

  FormatWork("%s%s.exe", dir, base);
  // A target that exists but cannot be opened for update is held by a running
  // copy of the program; a missing one is simply not built yet.
  bool exeBusy = false;
  if (!FileIsWritable(state.workBuffer)) {
    state.templateCopyPending = true;
    LogDebug(".exe file missing or in use");
    exeBusy = platform::FileExists(state.workBuffer);
  }

  if (state.templateCopyPending) {
    if (!platform::CopyFile(state.templatePath, state.workBuffer, false)) {
      if (exeBusy) {
        ShowMessage(state.mainPanel, kCopyFailedCaption,
                    "%s application is still running. Please close it and try again",
                    state.workBuffer);
      } else {
        ShowMessage(state.mainPanel, kCopyFailedCaption, "%s",
                    "Error - Copy Path for Kestrix Not Found");
        AbortApplication();
      }
      LogDebug("Error Path Not Found");
      return false;
    }
    LogDebug("Kestrix copied and renamed = %s", state.workBuffer);
    state.templateCopyPending = false;
  }

  DeleteIntermediates(dir, base);

  FormatWork(kCheckLineFormat, state.checkerPath, dir, base);
  LaunchProcess(state.workBuffer, platform::kShowMinNoActive);

  LogDebug("Waiting for completion of new %s.log file", state.rcFileName);
  FormatWork("%s%s.rc.log", dir, base);
  if (!WaitForFile(state.workBuffer, "r"))
    return FailBuild("Syntax Checker Failed \nConversion will be aborted");
  LogDebug("New log file %s completed", state.workBuffer);

  FormatWork(kCompileLineFormat, state.brcPath, dir, base, dir, base);
  RunCommand(state.workBuffer);
  LogDebug("Creating intermediate %s.res file", base);

  FormatWork("%s%s.res", dir, base);
  if (!WaitForFile(state.workBuffer, "r"))
    return FailBuild("RC File to RES File Conversion Failed \nConversion will be aborted");
  LogDebug("New .res file %s completed", state.workBuffer);

  FormatWork(kBindLineFormat, state.brcPath, dir, base, dir, base);
  RunCommand(state.workBuffer);
  LogDebug("Converting intermediate file to %s.exe file", base);

  FormatWork("%s%s.exe", dir, base);
  if (!WaitForFile(state.workBuffer, "r+"))
    return FailBuild("RES File to EXE File Conversion Failed \nConversion will be aborted");
  LogDebug("New .exe file %s completed", state.workBuffer);

  DeleteIntermediates(dir, base);
  platform::Sleep(kTidySleepMs);
  return true;
}

void DeleteIntermediates(const char* dir, const char* base) {
  for (const char* suffix : kIntermediateSuffixes) {
    FormatWork("%s%s%s", dir, base, suffix);
    if (FileIsReadable(state.workBuffer)) {
      platform::DeleteFile(state.workBuffer);
      LogDebug("%s file deleted", state.workBuffer);
    }
  }
}
