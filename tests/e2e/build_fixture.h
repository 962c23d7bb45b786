#pragma once
// The fixture of the build tests: a project (menu.rc, more INI lines, the
// tools' environment and paths) set up before the utility starts, the script
// adopted with the debug window open, and the compile button pressed as a
// person would, with its outcome on screen.

#include "tests/e2e/driver/fixture.h"

#include "package/kestrix/kestrix_ids.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace e2e {

using Environment = std::vector<std::pair<std::string, std::string>>;

constexpr char kCopyFailedCaption[] = "Conversion Process Failed";
constexpr char kBuildFailedCaption[] = "****   Conversion Process Failed    ****";
constexpr char kCheckerFailed[] = "Syntax Checker Failed \nConversion will be aborted";

// A script with one resource of each kind that the tests read back.
constexpr char kScript[] =
    "#define IDD_ORDER 100\n"
    "#define IDS_READY 7\n"
    "MAINMENU MENU\n"
    "BEGIN\n"
    "  POPUP \"&File\"\n"
    "  BEGIN\n"
    "    MENUITEM \"E&xit\", 101\n"
    "  END\n"
    "END\n"
    "IDD_ORDER DIALOG 0, 0, 120, 40\n"
    "CAPTION \"Order\"\n"
    "BEGIN\n"
    "  DEFPUSHBUTTON \"OK\", 1, 35, 12, 50, 14\n"
    "END\n"
    "STRINGTABLE\n"
    "BEGIN\n"
    "  IDS_READY, \"Ready to order\"\n"
    "END\n";

// The popup's block is never closed: the compiler writes no .res.
constexpr char kBrokenScript[] =
    "MAINMENU MENU\n"
    "BEGIN\n"
    "  POPUP \"&File\"\n"
    "  BEGIN\n"
    "    MENUITEM \"E&xit\", 101\n"
    "END\n";

// How a project is set up before the utility starts.
struct Project {
  std::string iniLines;          // more [Configuration] lines, after DebugMode=1
  Environment environment;       // the utility's, passed on to the tools
  std::string script = kScript;  // menu.rc
  std::string kestrix;           // MivoKestrix, when not the stand-in
  std::string brc32;             // BRC32, when not the stand-in
  bool openDialog = false;       // chosen in the open dialog instead of adopted as LastFile at start
  std::string dir;               // the project's directory under the scratch directory ("" or "sub\\")
};

inline bool IsPollLine(const std::string& line) { return line.find(" not available yet, ") != std::string::npos; }

// The windows of built programs: every one is a copy of the template, whichever process shows it.
inline std::vector<HWND> KestrixWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        if (IsWindowVisible(window) && ClassName(window) == KESTRIX_WINDOW_CLASS) {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

class BuildTest : public UtilityTest {
 protected:
  void TearDown() override {
    EndBuiltPrograms();
    UtilityTest::TearDown();
  }

  std::string ProjectFile(const std::string& suffix) const { return ScratchPath(projectDir_ + "menu" + suffix); }

  // Writes menu.rc and the INI and starts the utility with its debug window
  // open and the script adopted: as the last file, or chosen with "Select RC File".
  ::testing::AssertionResult StartWith(const Project& project = {}) {
    projectDir_ = project.dir;
    if (!MakeDirectories(ScratchPath(projectDir_)) || !WriteFileBytes(ProjectFile(".rc"), project.script)) {
      return ::testing::AssertionFailure() << "cannot write the script: " << LastErrorText();
    }
    std::string lines = "DebugMode=1\n" + project.iniLines;
    if (!project.openDialog) lines += "\nLastFile=" + ProjectFile(".rc");
    std::string ini = StandardIni(lines);
    if (!project.kestrix.empty()) ini.replace(ini.find(Tools().kestrix), Tools().kestrix.size(), project.kestrix);
    if (!project.brc32.empty()) ini.replace(ini.find(Tools().brc32), Tools().brc32.size(), project.brc32);
    if (auto written = WriteIni(ini); !written) return written;
    LaunchOptions options;
    options.environment = project.environment;
    if (auto started = StartUtility(options); !started) return started;
    if (!utility().WaitForDebugWindow()) return ::testing::AssertionFailure() << "no debug window";

    if (project.openDialog) {
      if (!Click(utility().Control(IDC_SELECT_RC))) return ::testing::AssertionFailure() << "cannot press Select RC File";
      HWND dialog = WaitForOpenDialog(utility().Id());
      if (!dialog) return ::testing::AssertionFailure() << "no open dialog; windows:\n" << utility().Describe();
      if (auto typed = TypeFileName(dialog, ProjectFile(".rc")); !typed) return typed;
      PressOpen(dialog);
      if (auto gone = WaitForWindowGone(dialog); !gone) return gone;
    }
    if (!WaitUntil([&] { return IsEnabled(utility().Control(IDC_COMPILE)); })) {
      return ::testing::AssertionFailure() << "the script was not adopted: " << utility().ControlText(IDC_RC_PATH);
    }
    return ::testing::AssertionSuccess();
  }

  // Presses "Mivo Compile" and waits for its handler to begin: it greys the
  // button at once and keeps it grey until the build and its message box are over.
  ::testing::AssertionResult PressCompile() {
    HWND compile = utility().Control(IDC_COMPILE);
    if (!IsEnabled(compile) || !Click(compile)) return ::testing::AssertionFailure() << "cannot press Mivo Compile";
    if (!WaitUntil([&] { return !IsEnabled(compile); })) {
      return ::testing::AssertionFailure() << "the compile button never greyed";
    }
    return ::testing::AssertionSuccess();
  }

  // A build that ends without any message box.
  ::testing::AssertionResult Compile() {
    if (auto pressed = PressCompile(); !pressed) return pressed;
    HWND compile = utility().Control(IDC_COMPILE);
    bool ended = WaitUntil([&] { return IsEnabled(compile) || FindMessageBox(utility().Id()); });
    if (auto box = FindMessageBox(utility().Id())) {
      return ::testing::AssertionFailure() << "the build failed: \"" << box->caption << "\": \"" << box->text << "\"";
    }
    if (!ended) return ::testing::AssertionFailure() << "the build did not end; windows:\n" << utility().Describe();
    return ::testing::AssertionSuccess();
  }

  // A build that shows the box caption/text, owned by the main window; the
  // trace as it stood while the box was up goes to trace. The box is answered.
  ::testing::AssertionResult CompileFailsWith(const std::string& caption, const std::string& text,
                                              std::vector<std::string>* trace = nullptr) {
    if (auto pressed = PressCompile(); !pressed) return pressed;
    auto box = WaitForMessageBox(utility().Id());
    if (!box) return ::testing::AssertionFailure() << "no message box; windows:\n" << utility().Describe();
    if (trace) *trace = utility().DebugLines();
    auto answered = AnswerMessageBox(box->window);
    if (box->caption != caption || box->text != text || box->owner != utility().MainWindow()) {
      return ::testing::AssertionFailure() << "the box \"" << box->caption << "\": \"" << box->text
                                           << "\" (owner " << box->owner << ") instead of \"" << caption << "\": \""
                                           << text << "\" owned by the main window " << utility().MainWindow();
    }
    return answered;
  }

  ::testing::AssertionResult UtilityEnds() { return utility().process().WaitForExit(DefaultTimeout()); }

  // Every started copy of the template is ended, so that the scratch directory can go.
  void EndBuiltPrograms() {
    for (HWND window : KestrixWindows()) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
      if (!process) continue;
      TerminateProcess(process, 0xDEAD);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }

  int CountLines(const std::string& line) {
    std::vector<std::string> lines = utility().DebugLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
 private:
  std::string projectDir_;
};

}  // namespace e2e
