#include "test_support.h"

#include "app/shell.h"
#include "config/configuration.h"
#include "resources/resource_ids.h"

void UtilityTest::CreateWindows() {
  state.mainWindow = platform::CreateMainWindow(nullptr, kClassName, "", kMainWindowStyle, 0, 0,
                                                kMainWindowWidth, kMainWindowHeight);
  CreateMainPanel();
  PrepareStartup();
}

void UtilityTest::StartUtility() {
  CreateWindows();
  LoadConfiguration();
}

std::vector<std::string> UtilityTest::DebugLines() {
  fake::Window* window = fake::Find(state.debugWindow);
  if (window == nullptr) return {};
  return window->controls[IDC_DEBUG_LIST].lines;
}

std::vector<std::string> UtilityTest::MessageTexts() {
  std::vector<std::string> texts;
  for (auto& box : fake::world().messageBoxes) texts.push_back(box.text);
  return texts;
}
