// Sarvex, the resource-script syntax checker: WinMain and the check.
//
// Command line: Sarvex.exe -f "<dir><base>.rc"
//
// It reads the script, leaves a byte copy of it as checked in
// "<script>.original", and signals completion with its log file
// "<script>.log": one line per fault found ("file(line): error: message")
// and a summary line. The log is whole before the program becomes idle for
// input, so a caller that waits for the idle state finds it on its first
// look. With no error the program then ends at once, windowless; with
// errors it shows them in its findings window (sarvex_window.h) and ends
// when that is closed. A run first closes the findings window an earlier
// run left for the same script.

#include <windows.h>

#include <share.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package/faults/fault_switches.h"
#include "package/rc/rc_compile.h"
#include "package/sarvex/sarvex_findings.h"
#include "package/sarvex/sarvex_window.h"

namespace {

constexpr int kExitClean = 0;
constexpr int kExitFaultsFound = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoLog = 3;

// Creates the message queue and waits on it for input, without blocking:
// a thread waiting for input with none pending is what ends a caller's
// WaitForInputIdle. Wine signals idle only on the wait, not on the peek.
void BecomeIdle() {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

// The path after -f (or /f), separate or attached; a bare path is taken too.
const char* ScriptArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if ((a[0] == '-' || a[0] == '/') && (a[1] == 'f' || a[1] == 'F')) {
      if (a[2] != '\0') return a + 2;
      if (i + 1 < argc) return argv[i + 1];
      return nullptr;
    }
  }
  return argc == 2 ? argv[1] : nullptr;
}

std::string BuildLog(const std::string& path, bool readable, const package::CompiledScript& result) {
  std::string log = "Sarvex syntax check of " + path + "\r\n";
  if (!readable) {
    log += path + "(0): error: " + package::kCannotReadScript + "\r\n";
    log += "Summary: 1 error(s), 0 warning(s); script not checked\r\n";
    return log;
  }
  size_t errors = 0, warnings = 0;
  for (const package::Diagnostic& d : result.diagnostics) {
    log += package::FormatDiagnosticWithSource(d, "\r\n") + "\r\n";
    (d.error ? errors : warnings) += 1;
  }
  char summary[160];
  if (errors == 0) {
    snprintf(summary, sizeof summary, "Summary: 0 error(s), %zu warning(s) in %d line(s); %zu resource(s)\r\n",
             warnings, result.lineCount, result.entries.size());
  } else {
    snprintf(summary, sizeof summary, "Summary: %zu error(s), %zu warning(s) in %d line(s); script rejected\r\n",
             errors, warnings, result.lineCount);
  }
  return log + summary;
}

// Written with no sharing, so that nobody opens the log before it is whole.
bool WriteExclusive(const std::string& path, const std::string& bytes) {
  FILE* f = _fsopen(path.c_str(), "wb", _SH_DENYRW);
  if (!f) return false;
  const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && written;
}

// The findings window, when there is an error to show and it is wanted.
int ShowFindings(HINSTANCE instance, const package::Findings& findings, int status) {
  if (findings.errors > 0 && !package::SwitchIsSet(package::kSarvexNoWindow))
    package::RunFindingsWindow(instance, findings);
  return status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const char* script = ScriptArgument(__argc, __argv);
  if (!script || script[0] == '\0') {
    BecomeIdle();
    return kExitUsage;
  }
  const std::string path = script;
  package::CloseEarlierFindings(path);
  const int delayMs = package::SwitchMilliseconds(package::kSarvexLogDelayMs);
  const bool noLog = package::SwitchIsSet(package::kSarvexNoLog);

  std::string text;
  const bool readable = package::ReadTextFile(path, text);
  package::CompiledScript result;
  if (readable) {
    WriteExclusive(path + ".original", text);
    // The folders a user points the compiler at through INCLUDE hold the
    // checker's includes too, so both find the same faults.
    package::CompileOptions options;
    package::AddIncludeVariable(options.preprocess.includeDirs);
    package::CompileScript(path, text, package::ReadTextFile, options, result);
  }
  const std::string log = BuildLog(path, readable, result);
  const int status = readable && package::CountErrors(result.diagnostics) == 0 ? kExitClean : kExitFaultsFound;
  const package::Findings findings = package::CollectFindings(path, readable, result.diagnostics);

  if (noLog) {
    BecomeIdle();
    return ShowFindings(instance, findings, status);
  }
  if (delayMs > 0) {
    BecomeIdle();
    Sleep(static_cast<DWORD>(delayMs));
  }
  const bool logged = WriteExclusive(path + ".log", log);
  BecomeIdle();
  return ShowFindings(instance, findings, logged ? status : kExitNoLog);
}
