// Start-up benchmark: the time from CreateProcess until the utility's panel
// (control 1007) exists and its message loop answers, against the same time for
// the reference (bench_startup_reference: the utility's class, window, menu,
// icon and panel, nothing else) and for a program that only creates a window,
// measured in turn in one run.
//
//   bench_startup [runs]        (default 11; run under Wine by bench/startup.sh)
//
// The utility is started with an INI whose tool paths are readable, so it gets
// through its configuration check; the INI it found is put back afterwards.

#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/utility.h"

#include "resources/resource_ids.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Polls tightly (1 ms): the quantity measured is a few hundred milliseconds.
bool PollUntil(const std::function<bool()>& condition, e2e::Ms timeout) {
  auto deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

bool Answers(HWND window) {
  DWORD_PTR ignored;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

// One start: milliseconds until ready(pid) holds, or a negative value.
double TimeStart(const std::string& program, const std::string& arguments,
                 const std::function<bool(DWORD)>& ready) {
  e2e::Process process;
  e2e::LaunchOptions options;
  options.program = program;
  options.arguments = arguments;
  auto start = Clock::now();
  if (!process.Launch(options)) return -1;
  if (!PollUntil([&] { return ready(process.Id()); }, e2e::Ms(30000))) return -1;
  double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  process.Terminate();
  return ms;
}

bool UtilityReady(DWORD pid) {
  HWND main = e2e::FindTopLevel(pid, e2e::WindowMatch{e2e::mivo::kClassName, {}});
  if (!main) return false;
  for (HWND child : e2e::Children(main)) {
    if (GetDlgItem(child, IDC_SELECT_RC)) return Answers(main);
  }
  return false;
}

bool MinimalReady(DWORD pid) {
  HWND window = e2e::FindTopLevel(pid, e2e::WindowMatch{"Bench Minimal Window", {}});
  return window && Answers(window);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A readable file for each tool key: the stand-ins when built, else this program.
std::string Tool(const char* name) {
  std::string standIn = e2e::BinDir() + "package\\" + name;
  return e2e::FileExists(standIn) ? standIn : e2e::ToWindowsPath(e2e::ThisExecutablePath());
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  std::string benchDir = e2e::DirectoryOf(e2e::ThisExecutablePath());
  std::string reference = benchDir + "bench_startup_reference.exe";
  struct Program {
    const char* label;
    std::string path, arguments;
    bool (*ready)(DWORD);
    std::vector<double> ms;
  } programs[] = {
      {"MivoCompile.exe", e2e::UtilityPath(), "", UtilityReady, {}},
      {"reference: class, window, menu, panel", reference, "", UtilityReady, {}},
      {"  + the panel's beep", reference, "beep", UtilityReady, {}},
      {"  + beep, INI reads and tool probes", reference, "beep settings", UtilityReady, {}},
      {"minimal Win32 window", benchDir + "bench_minimal_window.exe", "", MinimalReady, {}},
  };
  for (const Program& program : programs) {
    if (!e2e::FileExists(program.path)) {
      std::fprintf(stderr, "bench_startup: missing %s\n", program.path.c_str());
      return 2;
    }
  }

  std::string ini = e2e::IniPath();
  auto saved = e2e::ReadFileBytes(ini);
  std::string text = "[Configuration]\r\nMivoKestrix=" + Tool("KestRix.exe") + "\r\nSarvex=" + Tool("Sarvex.exe") +
                     "\r\nBRC32=" + Tool("brc32.exe") + "\r\nDebugMode=0\r\nLastFile=None\r\n";
  e2e::WriteFileBytes(ini, text);

  // Warm-up: the first start of a prefix loads more.
  for (const Program& program : programs) TimeStart(program.path, program.arguments, program.ready);
  bool ok = true;
  for (int run = 0; run < runs && ok; ++run) {
    for (Program& program : programs) {
      program.ms.push_back(TimeStart(program.path, program.arguments, program.ready));
      ok = ok && program.ms.back() >= 0;
    }
  }

  if (saved) e2e::WriteFileBytes(ini, *saved); else DeleteFileA(ini.c_str());
  if (!ok) {
    std::fprintf(stderr, "bench_startup: a start did not become ready within 30 s\n");
    return 1;
  }
  std::printf("start-up until the panel (or window) exists and the loop answers, median of %d runs:\n", runs);
  for (const Program& program : programs) {
    std::printf("  %-40s %8.1f ms (min %.1f, max %.1f)\n", program.label, Median(program.ms),
                *std::min_element(program.ms.begin(), program.ms.end()),
                *std::max_element(program.ms.begin(), program.ms.end()));
  }
  double u = Median(programs[0].ms);
  std::printf("  ratio MivoCompile / reference            %8.2f\n", u / Median(programs[1].ms));
  std::printf("  ratio MivoCompile / reference + beep, INI %8.2f\n", u / Median(programs[3].ms));
  std::printf("  ratio MivoCompile / minimal window       %8.2f\n", u / Median(programs[4].ms));
  return 0;
}
