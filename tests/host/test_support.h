#pragma once
// Shared set-up for the host tests: a fresh double and a zeroed state for each
// test, and the utility started the way WinMain starts it.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/state.h"
#include "platform/double/platform_double.h"

class UtilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ResetUtilityState();
  }

  // The main window and panel as the start sequence makes them, without the configuration load.
  void CreateWindows();
  // Main window, panel, open-dialog settings and the INI name, then the configuration load.
  void StartUtility();

  fake::Window& Panel() { return *fake::Find(state.mainPanel); }
  fake::Control& PanelControl(int id) { return Panel().controls[id]; }
  std::vector<std::string> DebugLines();
  std::vector<std::string> MessageTexts();

  // Puts a script file at path and adopts it as the open dialog would.
  void AdoptScript(const std::string& path);
};

// The INI file as PrepareStartup names it, and one key of its section "Configuration".
constexpr const char* kTestIniFile = "MivoCompile.ini";
void SetIniValue(const std::string& key, const std::string& value);
bool IniValue(const std::string& key, std::string* value);
// The three tools present at their default paths.
void InstallDefaultTools();
// The double's recorded events that begin with prefix, in order.
std::vector<std::string> EventsStartingWith(const std::string& prefix);
// The position of an event in the double's record, -1 when it is not there.
ptrdiff_t IndexOf(const std::string& event);
