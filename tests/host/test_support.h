#pragma once
// Shared set-up for the host tests: a fresh double and a zeroed state for each
// test, and the utility started the way WinMain starts it.

#include <gtest/gtest.h>

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
};
