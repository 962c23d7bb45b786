// The reference of the start-up benchmark: what the utility's start cannot do
// without. It registers the utility's class with its icon and menu, creates and
// shows its main window with its title, creates the panel from template 103 and
// runs the message loop; no configuration file, no probes, no trace.

#include "app/shell.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"

namespace {

intptr_t WindowProc(platform::Window, platform::Message message, uintptr_t, intptr_t) {
  if (message == platform::Message::Destroy) platform::PostQuit(0);
  return platform::kDefaultProcessing;
}

intptr_t PanelProc(platform::Window, platform::Message message, uintptr_t, intptr_t) {
  return message == platform::Message::Init ? 1 : 0;
}

}  // namespace

extern "C" int WinMain(platform::Instance instance, platform::Instance, char*, int) {
  platform::RegisterMainClass(instance, kClassName, WindowProc, IDI_PROGRAM, kMenuName);
  platform::Window window = platform::CreateMainWindow(instance, kClassName, "", kMainWindowStyle, 0, 0,
                                                       kMainWindowWidth, kMainWindowHeight);
  platform::ShowWindow(window, platform::kShowNormal);
  platform::SetWindowText(window, "startup reference");
  platform::Window panel = platform::CreateModelessDialog(IDD_MAIN_PANEL, window, PanelProc);
  return platform::RunMessageLoop(panel);
}
