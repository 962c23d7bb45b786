#pragma once
// UtilityState: the one record of the utility's state, zero-filled at process
// start and living until exit. Every subsystem reads and writes it directly,
// on the GUI thread only. Text fields are NUL-terminated ANSI arrays whose
// capacities count the terminator.

#include <cstddef>

#include "platform/platform.h"

constexpr size_t kPathCapacity = 1024;
constexpr size_t kNameCapacity = 32;
constexpr size_t kParametersCapacity = 256;
constexpr size_t kMessageCapacity = 256;  // message-box texts

struct UtilityState {
  char rcFilePath[kPathCapacity];
  char rcFileTitle[kPathCapacity];
  char projectDir[kPathCapacity];
  char rcFileName[kNameCapacity];
  char baseName[kNameCapacity];
  char fileType[kNameCapacity];
  char runParameters[kParametersCapacity];
  char templatePath[kPathCapacity];
  char checkerPath[kPathCapacity];
  char brcPath[kPathCapacity];
  char iniFileName[kPathCapacity];
  bool runAfterCompile;
  bool debugMode;
  int runDelaySeconds;
  bool templateCopyPending;
  bool scriptValidated;  // the last adoption's validation passed
  bool abortRequested;   // AbortApplication ran: the message loop is to end
  char workBuffer[kPathCapacity];
  platform::Window mainWindow;
  platform::Window mainPanel;
  platform::Window debugWindow;
  platform::Window runModeCheckBox;
  platform::OpenFileRecord openDialogSettings;
};

extern UtilityState state;

// Returns the state to its process-start value (all zero). Tests use it between cases.
void ResetUtilityState();
