// The reference of the start-up benchmark: what the utility's start cannot do
// without. It registers the utility's class with its icon and menu, creates and
// shows its main window with its title, creates the panel from template 103 and
// runs the message loop; no configuration file, no probes, no trace.
//
// To show where the rest of the utility's start goes, words on the command
// line add one piece each: "beep" the panel's beep when it is created,
// "settings" the utility's eight reads of MivoCompile.ini and its probes of the
// three tool paths read there.

#include <cstring>

#include "app/shell.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"

namespace {

bool beep = false;

intptr_t WindowProc(platform::Window, platform::Message message, uintptr_t, intptr_t) {
  if (message == platform::Message::Destroy) platform::PostQuit(0);
  return platform::kDefaultProcessing;
}

intptr_t PanelProc(platform::Window, platform::Message message, uintptr_t, intptr_t) {
  if (message != platform::Message::Init) return 0;
  if (beep) platform::Beep(platform::kBeepExclamation);
  return 1;
}

void ReadSettings() {
  struct Setting {
    const char* key;
    bool toolPath;
  };
  const Setting settings[] = {{"DebugMode", false}, {"MivoKestrix", true}, {"Sarvex", true},
                              {"BRC32", true},      {"LastFile", false},   {"RunMode", false},
                              {"RunDelay", false},  {"CommandLine", false}};
  for (const Setting& setting : settings) {
    char value[260];
    platform::GetProfileString("Configuration", setting.key, "", value, sizeof value, "MivoCompile.ini");
    if (setting.toolPath) platform::OpenAndClose(value, "r");
  }
}

}  // namespace

extern "C" int WinMain(platform::Instance instance, platform::Instance, char* commandLine, int) {
  beep = std::strstr(commandLine, "beep") != nullptr;
  platform::RegisterMainClass(instance, kClassName, WindowProc, IDI_PROGRAM, kMenuName);
  platform::Window window = platform::CreateMainWindow(instance, kClassName, "", kMainWindowStyle, 0, 0,
                                                       kMainWindowWidth, kMainWindowHeight);
  platform::ShowWindow(window, platform::kShowNormal);
  platform::SetWindowText(window, "startup reference");
  platform::Window panel = platform::CreateModelessDialog(IDD_MAIN_PANEL, window, PanelProc);
  if (std::strstr(commandLine, "settings")) ReadSettings();
  return platform::RunMessageLoop(panel);
}
