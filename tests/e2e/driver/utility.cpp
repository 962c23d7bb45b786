// The utility's windows, found and worked through the driver.

#include "tests/e2e/driver/utility.h"

#include "resources/resource_ids.h"

namespace e2e {

::testing::AssertionResult Utility::Launch(const LaunchOptions& options) {
  mainWindow_ = nullptr;
  panel_ = nullptr;
  process_ = Process();  // a second start in one test ends the first program
  return process_.Launch(options);
}

::testing::AssertionResult Utility::Start(const LaunchOptions& options) {
  if (auto launched = Launch(options); !launched) return launched;
  DWORD pid = process_.Id();
  mainWindow_ = WaitForTopLevel(pid, WindowMatch{mivo::kClassName, {}});
  if (!mainWindow_) {
    return ::testing::AssertionFailure() << "no main window of class \"" << mivo::kClassName << "\" appeared; "
                                         << (process_.Running() ? "the program runs" : "the program has ended")
                                         << ", its windows:\n"
                                         << Describe();
  }
  // The panel is the main window's dialog child, recognised by its select button.
  HWND panel = nullptr;
  bool found = WaitUntil([&] {
    for (HWND child : Children(mainWindow_)) {
      if (ClassName(child) == mivo::kDialogClass && GetDlgItem(child, IDC_SELECT_RC)) {
        panel = child;
        return true;
      }
    }
    return false;
  });
  if (!found) return ::testing::AssertionFailure() << "the main window has no panel; windows:\n" << Describe();
  panel_ = panel;
  if (!Answers()) return ::testing::AssertionFailure() << "the program does not answer messages; windows:\n" << Describe();
  if (auto box = FindMessageBox(pid)) {
    return ::testing::AssertionFailure() << "a message box is up after start: \"" << box->caption << "\": \""
                                         << box->text << "\"";
  }
  return ::testing::AssertionSuccess();
}

HWND Utility::MainWindow() const { return mainWindow_; }
HWND Utility::Panel() const { return panel_; }
HWND Utility::Control(int id) const { return panel_ ? GetDlgItem(panel_, id) : nullptr; }
std::string Utility::ControlText(int id) const { return e2e::ControlText(panel_, id); }

bool Utility::Command(UINT id) const { return PostCommand(mainWindow_, id); }

::testing::AssertionResult Utility::ReadMenu(std::vector<MenuItem>* bar) const {
  return ReadMenuBar(mainWindow_, bar);
}

HWND Utility::DebugWindow() const {
  return FindTopLevel(process_.Id(), WindowMatch{mivo::kDialogClass, mivo::kDebugCaption});
}

HWND Utility::WaitForDebugWindow(Ms timeout) const {
  return WaitForTopLevel(process_.Id(), WindowMatch{mivo::kDialogClass, mivo::kDebugCaption}, timeout);
}

HWND Utility::DebugList() const {
  HWND window = DebugWindow();
  return window ? GetDlgItem(window, IDC_DEBUG_LIST) : nullptr;
}

std::vector<std::string> Utility::DebugLines() const {
  HWND list = DebugList();
  return list ? ListLines(list) : std::vector<std::string>{};
}

bool Utility::Answers() const {
  DWORD_PTR ignored = 0;
  return mainWindow_ && SendMessageTimeoutW(mainWindow_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                            static_cast<UINT>(kAnswerTimeout.count()), &ignored) != 0;
}

::testing::AssertionResult Utility::Exit(DWORD* exitCode, Ms timeout) {
  if (!Command(IDM_EXIT)) return ::testing::AssertionFailure() << "cannot post File > Exit: " << LastErrorText();
  return process_.WaitForExit(timeout, exitCode);
}

}  // namespace e2e
