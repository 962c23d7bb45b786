#include "test_support.h"

#include <algorithm>

#include "app/shell.h"
#include "app/text.h"
#include "config/configuration.h"
#include "project/script.h"
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

void SetIniValue(const std::string& key, const std::string& value) {
  fake::SetProfile(kTestIniFile, std::string(kConfigSection) + "/" + key, value);
}

bool IniValue(const std::string& key, std::string* value) {
  return fake::ProfileValue(kTestIniFile, std::string(kConfigSection) + "/" + key, value);
}

void InstallDefaultTools() {
  fake::AddFile(kDefaultTemplatePath);
  fake::AddFile(kDefaultCheckerPath);
  fake::AddFile(kDefaultBrcPath);
}

std::vector<std::string> EventsStartingWith(const std::string& prefix) {
  std::vector<std::string> events;
  for (const std::string& event : fake::world().events)
    if (event.compare(0, prefix.size(), prefix) == 0) events.push_back(event);
  return events;
}

void UtilityTest::AdoptScript(const std::string& path) {
  fake::AddFile(path, "script of " + path);
  CopyText(state.rcFilePath, path.c_str());
  AdoptResourceScript();
}

ptrdiff_t IndexOf(const std::string& event) {
  auto& events = fake::world().events;
  auto it = std::find(events.begin(), events.end(), event);
  return it == events.end() ? -1 : it - events.begin();
}
