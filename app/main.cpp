// The entry point. The command line and the show command are not used: the
// main window always starts in its normal state.

#include "app/shell.h"
#include "app/state.h"
#include "resources/resource_ids.h"

extern "C" int WinMain(platform::Instance instance, platform::Instance previousInstance, char*,
                       int) {
  if (previousInstance != nullptr) return 0;
  // A failed registration is not checked: the start sequence and the loop run
  // all the same, and calls on the missing windows have no effect.
  platform::RegisterMainClass(instance, kClassName, MainWindowProc, IDI_PROGRAM, kMenuName);
  state.mainWindow = platform::CreateMainWindow(instance, kClassName, "", kMainWindowStyle, 0, 0,
                                                kMainWindowWidth, kMainWindowHeight);
  StartSequence();
  return platform::RunMessageLoop(state.mainPanel);
}
