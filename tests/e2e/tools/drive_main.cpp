// mivo_drive: starts the utility and works it through a list of steps given on
// the command line, as a person would; scripts/run.sh and scripts/screenshot.sh
// use it to show the program and take its picture.
//
//   mivo_drive [--program EXE] [--dir DIR] STEP...
//
// Steps, done in order (ids are decimal):
//   menu ID                  choose a menu command
//   click ID                 press a panel button
//   text ID VALUE            set a panel control's text
//   open PATH                File > Open, type PATH, press Open
//   wait-debug-window        wait until the debug window is on screen
//   debug on|off             make the debug window shown or hidden, whatever
//                            the saved DebugMode opened at start
//   wait-debug-line TEXT     wait until a debug line contains TEXT
//   answer-boxes             answer every message box that comes up within 2 s
//   capture RECT DONE        write the screen rectangle of the main window and the
//                            debug window to file RECT ("WxH+X+Y"), then wait for
//                            file DONE (the picture is taken meanwhile)
//   wait-enabled ID          wait (a build may take a while) until a panel control is enabled
//   print-debug              print the debug window's lines, each after "trace: "
//   capture-program CLASS RECT DONE
//                            as capture, for the top-level window of class CLASS
//                            that another program (the built one) shows; then close it
//   capture-box CLASS RECT DONE
//                            as capture, for the utility's message box together with
//                            the top-level window of class CLASS that another program
//                            (the checker's findings) shows; then answer the box and
//                            close that window
//   exit                     File > Exit; wait for the program to end
// Each step is echoed; a step that fails ends the run with exit code 1, and a
// program still running at the end is ended.

#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/utility.h"

#include "resources/resource_ids.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using e2e::Ms;

bool Fail(const std::string& why) {
  std::fprintf(stderr, "mivo_drive: %s\n", why.c_str());
  return false;
}

bool Check(const ::testing::AssertionResult& result) { return result ? true : Fail(result.message()); }

// Every window of the scene has painted what it needs to.
bool Painted(const std::vector<HWND>& windows) {
  for (HWND window : windows) {
    RECT pending;
    if (GetUpdateRect(window, &pending, FALSE)) return false;
    for (HWND child : e2e::Children(window)) {
      if (GetUpdateRect(child, &pending, FALSE)) return false;
    }
  }
  return true;
}

bool Capture(const std::vector<HWND>& scene, const std::string& rectFile, const std::string& doneFile) {
  if (!e2e::WaitUntil([&] { return Painted(scene); }, Ms(5000))) {
    return Fail("the windows did not finish painting");
  }
  RECT all = e2e::WindowRect(scene[0]);
  for (HWND window : scene) {
    RECT rect = e2e::WindowRect(window);
    UnionRect(&all, &all, &rect);
  }
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld\n", all.right - all.left, all.bottom - all.top,
                all.left, all.top);
  if (!e2e::WriteFileBytes(rectFile, geometry)) return Fail("cannot write " + rectFile);
  std::printf("capture %s", geometry);
  std::fflush(stdout);
  if (!e2e::WaitUntil([&] { return e2e::FileExists(doneFile); }, Ms(60000))) {
    return Fail("nobody took the picture (no " + doneFile + ")");
  }
  return true;
}

bool CaptureUtility(e2e::Utility& utility, const std::string& rectFile, const std::string& doneFile) {
  std::vector<HWND> scene{utility.MainWindow()};
  if (HWND debug = utility.DebugWindow()) scene.push_back(debug);
  if (!e2e::WaitUntil([&] { return utility.Answers(); }, Ms(5000))) return Fail("the utility does not answer");
  return Capture(scene, rectFile, doneFile);
}

// The first visible top-level window of class className, whichever program shows it.
HWND FindProgramWindow(const std::string& className) {
  HWND found = nullptr;
  e2e::WaitUntil([&] {
    found = FindWindowW(e2e::ToWide(className).c_str(), nullptr);
    return found != nullptr && IsWindowVisible(found);
  });
  return found;
}

bool CaptureBoxBeside(e2e::Utility& utility, const std::string& className, const std::string& rectFile,
                      const std::string& doneFile) {
  auto box = e2e::WaitForMessageBox(utility.Id());
  if (!box) return Fail("no message box came up");
  HWND window = FindProgramWindow(className);
  const bool captured = window != nullptr && Capture({box->window, window}, rectFile, doneFile);
  e2e::AnswerMessageBox(box->window);
  if (window) e2e::PostClose(window);
  return captured || Fail("no window of class " + className);
}

bool Open(e2e::Utility& utility, const std::string& path) {
  if (!utility.Command(IDM_OPEN)) return Fail("cannot choose File > Open");
  HWND dialog = e2e::WaitForOpenDialog(utility.Id());
  if (!dialog) return Fail("no open dialog came up:\n" + utility.Describe());
  return Check(e2e::TypeFileName(dialog, path)) && e2e::PressOpen(dialog) && Check(e2e::WaitForWindowGone(dialog));
}

void AnswerBoxes(e2e::Utility& utility) {
  while (auto box = e2e::WaitForMessageBox(utility.Id(), {}, Ms(2000))) {
    std::printf("message box \"%s\": %s\n", box->caption.c_str(), box->text.c_str());
    if (!e2e::AnswerMessageBox(box->window)) break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  e2e::LaunchOptions options;
  options.program = e2e::UtilityPath();
  size_t next = 0;
  for (; next + 1 < args.size() && args[next].rfind("--", 0) == 0; next += 2) {
    if (args[next] == "--program") options.program = args[next + 1];
    else if (args[next] == "--dir") options.workingDirectory = args[next + 1];
    else return Fail("unknown option " + args[next]), 2;
  }

  e2e::Utility utility;
  if (!Check(utility.Start(options))) return 1;
  std::printf("started %s (process %lu)\n", options.program.c_str(), utility.Id());

  auto need = [&](size_t count) { return next + count < args.size(); };
  for (; next < args.size(); ++next) {
    const std::string& step = args[next];
    std::printf("step %s\n", step.c_str());
    std::fflush(stdout);
    bool ok = true;
    if (step == "menu" && need(1)) {
      ok = utility.Command(static_cast<UINT>(std::atoi(args[++next].c_str())));
    } else if (step == "click" && need(1)) {
      ok = e2e::Click(utility.Control(std::atoi(args[++next].c_str())));
    } else if (step == "text" && need(2)) {
      HWND control = utility.Control(std::atoi(args[next + 1].c_str()));
      ok = control && e2e::SetText(control, args[next + 2]);
      next += 2;
    } else if (step == "open" && need(1)) {
      ok = Open(utility, args[++next]);
    } else if (step == "debug" && need(1)) {
      bool wanted = args[++next] == "on";
      if ((utility.DebugWindow() != nullptr) != wanted) ok = utility.Command(IDM_DEBUG);
      ok = ok && e2e::WaitUntil([&] { return (utility.DebugWindow() != nullptr) == wanted; });
    } else if (step == "wait-debug-window") {
      ok = utility.WaitForDebugWindow() != nullptr;
    } else if (step == "wait-debug-line" && need(1)) {
      const std::string& text = args[++next];
      ok = e2e::WaitUntil([&] {
        for (const auto& line : utility.DebugLines()) {
          if (line.find(text) != std::string::npos) return true;
        }
        return false;
      });
    } else if (step == "answer-boxes") {
      AnswerBoxes(utility);
    } else if (step == "capture" && need(2)) {
      ok = CaptureUtility(utility, e2e::ToWindowsPath(args[next + 1]), e2e::ToWindowsPath(args[next + 2]));
      next += 2;
    } else if (step == "capture-program" && need(3)) {
      HWND window = FindProgramWindow(args[next + 1]);
      ok = window != nullptr &&
           Capture({window}, e2e::ToWindowsPath(args[next + 2]), e2e::ToWindowsPath(args[next + 3]));
      if (window) e2e::PostClose(window);
      next += 3;
    } else if (step == "capture-box" && need(3)) {
      ok = CaptureBoxBeside(utility, args[next + 1], e2e::ToWindowsPath(args[next + 2]),
                            e2e::ToWindowsPath(args[next + 3]));
      next += 3;
    } else if (step == "wait-enabled" && need(1)) {
      HWND control = utility.Control(std::atoi(args[++next].c_str()));
      ok = control && e2e::WaitUntil([&] { return e2e::IsEnabled(control); }, Ms(120000));
    } else if (step == "print-debug") {
      for (const auto& line : utility.DebugLines()) std::printf("trace: %s\n", line.c_str());
    } else if (step == "exit") {
      DWORD code = 0;
      ok = Check(utility.Exit(&code));
      if (ok) std::printf("exit code %lu\n", code);
    } else {
      return Fail("unknown or incomplete step " + step), 2;
    }
    if (!ok) {
      Fail("step " + step + " failed; windows:\n" + utility.Describe());
      return 1;
    }
  }
  return 0;
}
