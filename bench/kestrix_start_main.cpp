// KestRix start benchmark: the time from CreateProcess until a built program
// started with /dialog <id> shows that dialog ready for input (the process
// has reached input idle, the dialog exists, is visible and answers a
// message), against the true limit, bench_kestrix_limit, which only makes
// ready the classes the dialog uses and creates the same dialog from the same
// template; the two in turn, in one run, as medians and their ratio.
//
//   bench_kestrix_start <script.rc> [runs] [dialog id]     (default 11 runs, dialog 100)
//
// The script is compiled and bound into a copy of the KestRix of this build
// tree, in the temporary directory, as the utility's build would make it.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/res/res_binder.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Directory(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string ThisProgram() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

struct Search {
  DWORD pid;
  HWND found;
};

// A visible dialog-class window of the process.
HWND FindDialog(DWORD pid) {
  Search search{pid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        Search& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char cls[16] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (owner != s.pid || strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One start: milliseconds until the dialog takes input, or a negative value.
double TimeStart(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  const auto start = Clock::now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  double ms = -1;
  if (WaitForInputIdle(process.hProcess, 30000) == 0) {
    const auto deadline = start + std::chrono::seconds(30);
    for (;;) {
      HWND dialog = FindDialog(process.dwProcessId);
      DWORD_PTR ignored = 0;
      if (dialog && SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        break;
      }
      if (Clock::now() > deadline) break;
      Sleep(1);
    }
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_kestrix_start <script.rc> [runs] [dialog id]\n");
    return 2;
  }
  const std::string script = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
  const std::string dialog = argc > 3 ? argv[3] : "100";

  std::ifstream in(script, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  package::CompiledScript compiled;
  if (!in || !package::CompileScript(script, text.str(), package::ReadTextFile, compiled)) {
    std::fprintf(stderr, "bench_kestrix_start: %s does not compile\n", script.c_str());
    return 1;
  }
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "mivo_bench_kestrix\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string built = dir + "Sample.exe";
  const std::string kestrix = Directory(ThisProgram()) + "..\\bin\\package\\KestRix.exe";
  package::BindReport report;
  std::string error;
  if (!CopyFileA(kestrix.c_str(), built.c_str(), FALSE) || !package::BindResources(compiled.entries, built, report, error)) {
    std::fprintf(stderr, "bench_kestrix_start: cannot build %s from %s: %s\n", built.c_str(), kestrix.c_str(),
                 error.c_str());
    return 1;
  }

  struct Program {
    const char* label;
    std::string commandLine;
    std::vector<double> ms;
  } programs[] = {
      {"KestRix (the built program)", "\"" + built + "\" /dialog " + dialog, {}},
      {"limit: the dialog's classes and the dialog", "\"" + Directory(ThisProgram()) + "bench_kestrix_limit.exe\" \"" +
                                                         built + "\" " + dialog,
       {}},
  };
  // Warm-up: the first start of a prefix loads more.
  for (Program& program : programs) TimeStart(program.commandLine);
  for (int run = 0; run < runs; ++run) {
    for (Program& program : programs) {
      program.ms.push_back(TimeStart(program.commandLine));
      if (program.ms.back() < 0) {
        std::fprintf(stderr, "bench_kestrix_start: %s did not show dialog %s within 30 s\n", program.label,
                     dialog.c_str());
        return 1;
      }
    }
  }
  std::printf("start until dialog %s takes input, median of %d runs:\n", dialog.c_str(), runs);
  for (const Program& program : programs) {
    std::printf("  %-44s %8.1f ms (min %.1f, max %.1f)\n", program.label, Median(program.ms),
                *std::min_element(program.ms.begin(), program.ms.end()),
                *std::max_element(program.ms.begin(), program.ms.end()));
  }
  std::printf("  ratio KestRix / limit                      %8.2f\n", Median(programs[0].ms) / Median(programs[1].ms));
  DeleteFileA(built.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
