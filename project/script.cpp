#include "project/script.h"

#include <strings.h>
#include <cctype>
#include <cstring>

#include "app/file_probes.h"
#include "app/shell_services.h"
#include "app/state.h"
#include "app/text.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"

namespace {

bool Refuse(const char* traceLine) {
  LogDebug("%s", traceLine);
  return false;
}

}  // namespace

// The system takes a file name whose part before the first dot (or colon) is
// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 or one of the console's own
// CONIN$ and CONOUT$, in any case, for the device itself.
bool NamesReservedDevice(const char* path) {
  const char* name = path;
  for (const char* c = path; *c; ++c)
    if (*c == '\\' || *c == '/') name = c + 1;
  size_t length = std::strcspn(name, ".:");
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (length == std::strlen(device) && strncasecmp(name, device, length) == 0) return true;
  return length == 4 && (strncasecmp(name, "COM", 3) == 0 || strncasecmp(name, "LPT", 3) == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

void SelectResourceScript() {
  // A cancelled or failed dialog keeps the script the panel still shows.
  char previousPath[sizeof state.rcFilePath];
  char previousTitle[sizeof state.rcFileTitle];
  std::memcpy(previousPath, state.rcFilePath, sizeof previousPath);
  std::memcpy(previousTitle, state.rcFileTitle, sizeof previousTitle);

  std::memset(state.rcFilePath, 0, sizeof state.rcFilePath);
  std::memset(state.rcFileTitle, 0, sizeof state.rcFileTitle);
  ClearDebugLog();

  if (!platform::GetOpenFileName(state.openDialogSettings)) {
    std::memcpy(state.rcFilePath, previousPath, sizeof previousPath);
    std::memcpy(state.rcFileTitle, previousTitle, sizeof previousTitle);
    switch (unsigned error = platform::ExtendedDialogError()) {
      case 0: break;
      case platform::kFnErrInvalidFileName:
        platform::MessageBox(state.mainWindow, "The File Name you selected has not been recognised",
                             "! Invalid File Name !");
        break;
      case platform::kFnErrBufferTooSmall:
        platform::MessageBox(
            state.mainWindow,
            "File Path too long or too many Files selected. \n Select fewer Files and retry",
            "! Buffer Overflow !");
        break;
      default:
        (void)error;
        platform::MessageBox(state.mainWindow, "An error has occured", "! ERROR !");
        break;
    }
    return;
  }
  AdoptResourceScript();
}

void AdoptResourceScript() {
  state.scriptValidated = ValidateResourceScript();
  SetCompileEnabled(state.scriptValidated);
  bool exeExists = FormatText(state.workBuffer, sizeof state.workBuffer, "%s%s.exe",
                              state.projectDir, state.baseName) &&
                   FileIsReadable(state.workBuffer);
  platform::EnableControl(state.mainPanel, IDC_RUN_EXE, exeExists);
  state.templateCopyPending = true;
}

bool ValidateResourceScript() {
  const char* path = state.rcFilePath;
  platform::SetControlText(state.mainPanel, IDC_RC_PATH, path);
  LogDebug("The project resource file is:");
  LogDebug("%s", path);

  // A device opens like a readable file, and a build would then read or write the device.
  if (NamesReservedDevice(path))
    return Refuse("Filename is a reserved device name - it cannot be converted");
  if (!FileIsReadable(path))
    return Refuse("Warning - The last file used has been moved or renamed");
  if (std::strchr(path, ' ') != nullptr)
    return Refuse("Filepath contains spaces - the Borland compiler will object...");
  // The command interpreter expands %NAME% even inside the quotes of the tool command lines.
  if (std::strchr(path, '%') != nullptr)
    return Refuse("Filepath contains a percent sign - the command interpreter would change it");

  const char* slash = std::strrchr(path, '\\');
  if (slash == nullptr || slash == path) return Refuse("Invalid filepath");

  // Every piece, and every name later formed from them, must fit its buffer:
  // refuse before any piece is overwritten.
  const char* name = slash + 1;
  size_t dirLength = static_cast<size_t>(slash - path) + 1;
  if (std::strlen(name) >= sizeof state.rcFileName)
    return Refuse("Filename is longer than 31 characters - it cannot be converted");
  const char* nameDot = std::strrchr(name, '.');
  size_t baseLength = nameDot ? static_cast<size_t>(nameDot - name) : std::strlen(name);
  if (dirLength + baseLength + kLongestProjectSuffix >= sizeof state.workBuffer)
    return Refuse(
        "Filepath is too long for the conversion files - move the project nearer to Root");

  std::memcpy(state.projectDir, path, dirLength);
  state.projectDir[dirLength] = '\0';
  LogDebug("Filepath is '%s'", state.projectDir);

  CopyText(state.rcFileName, name);
  LogDebug("Filename is '%s'", state.rcFileName);

  const char* dot = std::strrchr(state.rcFileName, '.');
  if (dot == nullptr || dot == state.rcFileName) return Refuse("No file extension - type unknown");
  size_t length = static_cast<size_t>(dot - state.rcFileName);
  std::memcpy(state.baseName, state.rcFileName, length);
  state.baseName[length] = '\0';
  LogDebug("File base name is '%s'", state.baseName);

  CopyText(state.fileType, dot + 1);
  for (char* c = state.fileType; *c; ++c)
    *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  LogDebug("File type is '%s'", state.fileType);

  if (strcasecmp(state.fileType, "rc") != 0) return Refuse("Invalid filetype");
  return true;
}
