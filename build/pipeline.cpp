#include "build/pipeline.h"

#include <iterator>

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
constexpr int kBuildButtons[] = {IDC_COMPILE, IDC_SELECT_RC, IDC_RUN_EXE};  // greyed while it runs

// The project's files, <dir><base> and a suffix each. The intermediates come
// first, in the order they are deleted.
enum ProjectFile { kRes, kLog, kOriginal, kExe, kProjectFileCount };
constexpr const char* kFileSuffixes[kProjectFileCount] = {".res", ".rc.log", ".rc.original",
                                                          ".exe"};
constexpr int kIntermediateCount = kExe;

using ToolPath = char (UtilityState::*)[kPathCapacity];
enum class Start { Minimised, Interpreter };  // left running, or run and waited for

// One tool step: its command line, how the tool is started, the line traced
// once it is under way, and the file whose opening in the mode tells that it
// has done its part.
struct ToolStep {
  const char* lineFormat;  // tool path, dir, base, dir, base
  ToolPath tool;
  Start start;
  const char* startedFormat;  // with rcFileName (the check) or base
  bool startedNamesScript;
  ProjectFile waited;
  const char* mode;
  const char* completedFormat;  // with the waited file's path
  const char* failure;
};

constexpr ToolStep kToolSteps[] = {
    {kCheckLineFormat, &UtilityState::checkerPath, Start::Minimised,
     "Waiting for completion of new %s.log file", true, kLog, "r", "New log file %s completed",
     "Syntax Checker Failed \nConversion will be aborted"},
    {kCompileLineFormat, &UtilityState::brcPath, Start::Interpreter,
     "Creating intermediate %s.res file", false, kRes, "r", "New .res file %s completed",
     "RC File to RES File Conversion Failed \nConversion will be aborted"},
    {kBindLineFormat, &UtilityState::brcPath, Start::Interpreter,
     "Converting intermediate file to %s.exe file", false, kExe, "r+", "New .exe file %s completed",
     "RES File to EXE File Conversion Failed \nConversion will be aborted"},
};
constexpr size_t kToolStepCount = std::size(kToolSteps);

// Every file name and command line of one build, formatted once before it
// starts. Each is copied into workBuffer when used, since the tools, the polls
// and the trace all read it from there.
struct BuildTexts {
  char files[kProjectFileCount][sizeof UtilityState::workBuffer];
  char lines[kToolStepCount][sizeof UtilityState::workBuffer];
};

// False when any text would not fit workBuffer: a build that could not name
// its files is refused before it touches any.
bool FormatBuildTexts(BuildTexts& texts, const char* dir, const char* base) {
  bool fit = true;
  for (int file = 0; file < kProjectFileCount; ++file)
    fit &= FormatText(texts.files[file], sizeof texts.files[file], "%s%s%s", dir, base,
                      kFileSuffixes[file]);
  for (size_t step = 0; step < kToolStepCount; ++step)
    fit &= FormatText(texts.lines[step], sizeof texts.lines[step], kToolSteps[step].lineFormat,
                      state.*kToolSteps[step].tool, dir, base, dir, base);
  return fit;
}

bool FailBuild(const char* text) {
  platform::MessageBox(state.mainPanel, text, kBuildFailedCaption);
  AbortApplication();
  return false;
}

// The target check and the template copy, with the .exe's path in workBuffer.
// A target that exists but cannot be opened for update is held by a running
// copy of the program; a missing one is simply not built yet.
bool PrepareTarget() {
  bool exeBusy = false;
  if (!FileIsWritable(state.workBuffer)) {
    state.templateCopyPending = true;
    LogDebug(".exe file missing or in use");
    exeBusy = platform::FileExists(state.workBuffer);
  }
  if (!state.templateCopyPending) return true;
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
  return true;
}

// Check, compile and bind: each tool is started, then its file is waited for.
bool RunToolSteps(const BuildTexts& texts, const char* base) {
  for (size_t index = 0; index < kToolStepCount; ++index) {
    const ToolStep& step = kToolSteps[index];
    CopyText(state.workBuffer, texts.lines[index]);
    if (step.start == Start::Minimised)
      LaunchProcess(state.workBuffer, platform::kShowMinNoActive);
    else
      RunCommand(state.workBuffer);
    LogDebug(step.startedFormat, step.startedNamesScript ? state.rcFileName : base);
    CopyText(state.workBuffer, texts.files[step.waited]);
    if (!WaitForFile(state.workBuffer, step.mode)) return FailBuild(step.failure);
    LogDebug(step.completedFormat, state.workBuffer);
  }
  return true;
}

void DeleteIntermediates(const BuildTexts& texts) {
  for (int file = 0; file < kIntermediateCount; ++file) {
    CopyText(state.workBuffer, texts.files[file]);
    if (FileIsReadable(state.workBuffer)) {
      platform::DeleteFile(state.workBuffer);
      LogDebug("%s file deleted", state.workBuffer);
    }
  }
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
  // Presses of the greyed buttons that came while the build ran (clicks, keys,
  // posted clicks and commands) are still queued; once the buttons are enabled
  // each would press them again. After an abort nothing is taken from the
  // queue: the quit it posted would go too.
  if (!state.abortRequested)
    for (int button : kBuildButtons) platform::DiscardControlInput(state.mainPanel, button);
  if (built) platform::EnableControl(state.mainPanel, IDC_RUN_EXE, true);
  platform::EnableControl(state.mainPanel, IDC_SELECT_RC, true);
  SetCompileEnabled(true);
}

bool BuildExecutable(const char* dir, const char* base) {
  BuildTexts texts;
  if (!FormatBuildTexts(texts, dir, base)) {
    LogDebug("Conversion refused - the project's file names or command lines are too long");
    platform::MessageBox(state.mainPanel,
                         "The paths of the project or of the conversion tools are too long "
                         "to build it. \nMove the project or the tools nearer to Root and retry",
                         kCopyFailedCaption);
    return false;
  }
  CopyText(state.workBuffer, texts.files[kExe]);
  if (!PrepareTarget()) return false;
  DeleteIntermediates(texts);
  if (!RunToolSteps(texts, base)) return false;
  DeleteIntermediates(texts);
  platform::Sleep(kTidySleepMs);
  return true;
}
