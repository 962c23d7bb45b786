#pragma once
// The utility as a person sees it: its main window, panel, menu and debug
// window, found and worked through the driver. Tests name what they look at
// ("the compile button", "the debug window") instead of repeating searches.

#include "tests/e2e/driver/driver.h"

#include <string>
#include <vector>

namespace e2e {

// What the utility shows, as the tests expect to see it.
namespace mivo {
constexpr char kProgramFile[] = "MivoCompile.exe";
constexpr char kClassName[] = "VORN Mivo Compile Utility";
constexpr char kTitle[] = "VORN Mivo Compile Utility  - A1.00.04";
constexpr char kDebugCaption[] = "MivoCompile Utility - Debug Window";
constexpr char kDialogClass[] = "#32770";
constexpr char kIniName[] = "MivoCompile.ini";
constexpr char kIniSection[] = "Configuration";
}  // namespace mivo

class Utility {
 public:
  // Starts the program and waits until it is ready for a person: the main window
  // and its panel exist, the message loop answers, and no message box is up.
  ::testing::AssertionResult Start(const LaunchOptions& options);
  // Only starts the program and waits for input idle; for tests that expect
  // message boxes during start-up.
  ::testing::AssertionResult Launch(const LaunchOptions& options);

  Process& process() { return process_; }
  DWORD Id() const { return process_.Id(); }

  HWND MainWindow() const;                // the top-level window of class kClassName
  HWND Panel() const;                     // the main window's dialog child
  HWND Control(int id) const;             // a control of the panel
  std::string ControlText(int id) const;  // its text

  // Chooses a menu command: WM_COMMAND with the item's id posted to the main window.
  bool Command(UINT id) const;
  ::testing::AssertionResult ReadMenu(std::vector<MenuItem>* bar) const;

  // The debug window while it is on screen, else nullptr.
  HWND DebugWindow() const;
  HWND WaitForDebugWindow(Ms timeout = DefaultTimeout()) const;
  HWND DebugList() const;  // list box 1009 of the debug window
  std::vector<std::string> DebugLines() const;

  // The message loop answers a sent message (within kAnswerTimeout).
  bool Answers() const;
  // One line per visible window of the program, for failure messages.
  std::string Describe() const { return DescribeWindows(process_.Id()); }

  // File > Exit, then waits for the process to end.
  ::testing::AssertionResult Exit(DWORD* exitCode, Ms timeout = DefaultTimeout());

 private:
  Process process_;
  HWND mainWindow_ = nullptr;
  HWND panel_ = nullptr;
};

}  // namespace e2e
