#include "config/configuration.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/file_probes.h"
#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "diag/debug_log.h"
#include "project/script.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kConfigErrorCaption = "MivoCompile Utility - Configuration Error Message";

unsigned ReadSetting(const char* key, const char* defaultValue, char* out, unsigned capacity) {
  return platform::GetProfileString(kConfigSection, key, defaultValue, out, capacity,
                                    state.iniFileName);
}

void WriteSetting(const char* key, const char* value) {
  platform::WriteProfileString(kConfigSection, key, value, state.iniFileName);
}

// Reads one tool path, writes its default when absent, traces it, and reports
// whether it can be opened; the message names the INI file when it cannot.
bool LoadToolPath(const char* key, const char* defaultPath, char (&path)[kPathCapacity],
                  const char* errorFormat) {
  ReadSetting(key, kAbsent, path, sizeof path);
  if (std::strcmp(path, kAbsent) == 0) {
    WriteSetting(key, defaultPath);
    CopyText(path, defaultPath);
  }
  LogDebug("%s", path);
  if (FileIsReadable(path)) return true;
  ShowMessage(state.mainPanel, kConfigErrorCaption, errorFormat, state.iniFileName);
  return false;
}

// atoi's reading (leading blanks, a sign, digits up to the first non-digit,
// 0 without digits), with values beyond int clamped instead of undefined.
int ParseDecimal(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

int BoundedRunDelay(int seconds) {
  if (seconds < 0) return 0;
  if (seconds > kRunDelayCapSeconds) return kRunDelayCapSeconds;
  return seconds;
}

void LoadConfiguration() {
  char value[kSettingReadCapacity];

  ReadSetting("DebugMode", "0", value, sizeof value);
  if (std::strcmp(value, "1") == 0) {
    ShowDebugWindow();
    LogDebug("The configuration file for this application is:");
    LogDebug("%s", state.iniFileName);
  }
  LogDebug("The Mivo conversion files associated with this application are:");

  bool pathError = false;
  pathError |= !LoadToolPath("MivoKestrix", kDefaultTemplatePath, state.templatePath,
                             "The path to MivoKestrix in %s is incorrect");
  pathError |= !LoadToolPath("Sarvex", kDefaultCheckerPath, state.checkerPath,
                             "The path to Sarvex in %s is incorrect");
  pathError |= !LoadToolPath("BRC32", kDefaultBrcPath, state.brcPath,
                             "The path to BRC32 in %s is incorrect");
  if (pathError) {
    ShowMessage(state.mainPanel, kConfigErrorCaption,
                "Please update the Configuration in %s  \nbefore restarting this application",
                state.iniFileName);
    AbortApplication();  // takes effect when the message loop starts; loading goes on
  }

  ReadSetting("LastFile", kAbsent, state.rcFilePath, sizeof state.rcFilePath);
  // A device name is adopted unopened, so that validation refuses it where it shows.
  if (std::strcmp(state.rcFilePath, kAbsent) != 0 && std::strcmp(state.rcFilePath, "None") != 0 &&
      (NamesReservedDevice(state.rcFilePath) || FileIsReadable(state.rcFilePath))) {
    AdoptResourceScript();
  }

  ReadSetting("RunMode", "0", value, sizeof value);
  if (std::strcmp(value, "1") == 0) state.runAfterCompile = true;
  state.runModeCheckBox = platform::GetControl(state.mainPanel, IDC_RUN_AFTER_COMPILE);
  platform::SetCheck(state.runModeCheckBox, state.runAfterCompile);

  ReadSetting("RunDelay", kAbsent, value, sizeof value);
  if (std::strcmp(value, kAbsent) == 0) {
    WriteSetting("RunDelay", "0");
    state.runDelaySeconds = 0;
  } else {
    state.runDelaySeconds = BoundedRunDelay(ParseDecimal(value));
  }

  ReadSetting("CommandLine", kAbsent, value, sizeof value);
  if (std::strcmp(value, kAbsent) == 0) {
    WriteSetting("CommandLine", "");
    value[0] = '\0';
  }
  CopyText(state.runParameters, value);
  // The edit control's change notification reads the text back into runParameters.
  platform::SetControlText(state.mainPanel, IDC_RUN_PARAMETERS, state.runParameters);
}

void SaveConfiguration() {
  WriteSetting("RunMode", state.runAfterCompile ? "1" : "0");
  WriteSetting("DebugMode", state.debugMode ? "1" : "0");
  if (std::strlen(state.rcFilePath) < 4) CopyText(state.rcFilePath, "None");
  WriteSetting("LastFile", state.rcFilePath);
  WriteSetting("CommandLine", state.runParameters);
  platform::PostQuit(0);
}
