// Build benchmark: the time of a whole build through the utility, from the
// press of "Mivo Compile" until its buttons are enabled again, against a batch
// file that runs the same three tool commands and checks for the same files,
// and against the true limit, bench_build_limit, which makes exactly the
// utility's calls for a build and nothing else; measured alternately in one
// run, first with the debug window open, then with it closed.
//
//   bench_build <script.rc> [runs]     (default 7; run under Wine by bench/build.sh)
//
// The utility's time is split into what its design fixes (the 500 ms pause
// after tidying up, and 100 ms for every poll retry its trace shows) and the
// rest: process starts, the interpreter runs and the tools' own work.
//
// Both sides rebuild the same project with the same stand-ins and no fault
// switches. A first build through the utility copies the template and is not
// counted; every counted build binds into the existing executable, as repeated
// builds of one script do. While the debug window is open its trace gives the
// poll count. The limit program times itself, from its first probe to the end
// of its pause, so its own start is not counted against it. It shares this
// program's console, as the batch does: under Wine a console program started
// without one paid about 150 ms more for each interpreter's new console than the
// utility, a window program, pays for its own.
//
// The utility waits for the checker only until it is idle for input, then
// polls for its log; the batch calls the checker like any command and so waits
// for its end. The checker writes its log before it becomes idle and ends right
// after (under Wine the two moments lie 0.3 to 2 ms apart), so both wait for
// the same thing. The batch runs the compiler directly in its one interpreter;
// the utility starts an interpreter for each of the two compiler runs.

#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/utility.h"

#include "resources/resource_ids.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTidySleepMs = 500;
constexpr double kPollStepMs = 100;

// Polls tightly (1 ms): a build takes about a second.
bool PollUntil(const std::function<bool()>& condition, e2e::Ms timeout = e2e::Ms(30000)) {
  auto deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
  std::vector<double> values;
  void Add(double value) { values.push_back(value); }
  double Median() const {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
  double Min() const { return *std::min_element(values.begin(), values.end()); }
  double Max() const { return *std::max_element(values.begin(), values.end()); }
};

struct UtilityBuild {
  double totalMs = -1;
  int pollRetries = 0;
};

// One build through the utility: press, the buttons grey, the buttons back.
UtilityBuild BuildThroughUtility(e2e::Utility& utility, const std::string& exe) {
  UtilityBuild build;
  HWND compile = utility.Control(IDC_COMPILE);
  int linesBefore = e2e::ListCount(utility.DebugList());
  auto start = Clock::now();
  if (!e2e::Click(compile)) return build;
  if (!PollUntil([&] { return !IsWindowEnabled(compile); })) return build;
  if (!PollUntil([&] { return IsWindowEnabled(compile) || e2e::FindMessageBox(utility.Id()); })) return build;
  double ms = MsSince(start);
  if (e2e::FindMessageBox(utility.Id())) return build;

  if (!utility.DebugWindow()) {
    // "Run exe..." comes back only after a build that completed.
    if (IsWindowEnabled(utility.Control(IDC_RUN_EXE))) build.totalMs = ms;
    return build;
  }
  std::vector<std::string> lines = utility.DebugLines();
  bool completed = false;
  for (size_t index = static_cast<size_t>(std::max(linesBefore, 0)); index < lines.size(); ++index) {
    if (lines[index].find(" not available yet, ") != std::string::npos) ++build.pollRetries;
    if (lines[index] == "New .exe file " + exe + " completed") completed = true;
  }
  if (completed) build.totalMs = ms;
  return build;
}

// One run of the batch file through "cmd /c"; -1 when it fails. Like the
// utility's interpreters, it shares this program's console.
double BuildThroughBatch(const std::string& batch) {
  std::wstring commandLine = L"cmd.exe /c \"" + e2e::ToWide(batch) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION info{};
  auto start = Clock::now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  DWORD code = 1;
  bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
  double ms = MsSince(start);
  if (ended) GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return ended && code == 0 ? ms : -1;
}

// One build through the limit program; -1 when it fails.
double BuildThroughLimit(const e2e::ToolPaths& tools, const std::string& dir, const std::string& base,
                         int* retries) {
  std::string result = dir + "limit.txt";
  DeleteFileA(result.c_str());
  std::wstring commandLine = L"\"" + e2e::ToWide(e2e::DirectoryOf(e2e::ThisExecutablePath()) + "bench_build_limit.exe");
  for (const std::string& arg : {tools.kestrix, tools.sarvex, tools.brc32, dir, base, result})
    // A backslash before the closing quote is doubled, or it would escape the quote.
    commandLine += L"\" \"" + e2e::ToWide(arg) + (arg.back() == '\\' ? L"\\" : L"");
  commandLine += L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
  DWORD code = 1;
  if (ended) GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  double ms = -1;
  int limitRetries = 0;
  if (FILE* file = ended && code == 0 ? std::fopen(result.c_str(), "r") : nullptr) {
    if (std::fscanf(file, "%lf %d", &ms, &limitRetries) != 2) ms = -1;
    std::fclose(file);
  }
  *retries += limitRetries;
  return ms;
}

// The batch equivalent of the utility's build of <dir><base>.rc.
std::string BatchText(const e2e::ToolPaths& tools, const std::string& dir, const std::string& base) {
  std::string project = dir + base;
  return "@echo off\r\n" +
         tools.sarvex + " -f \"" + project + ".rc\"\r\n"
         "if not exist \"" + project + ".rc.log\" exit /b 1\r\n" +
         tools.brc32 + " -r \"" + project + ".rc\" -fo \"" + project + ".res\"\r\n"
         "if not exist \"" + project + ".res\" exit /b 2\r\n" +
         tools.brc32 + " \"" + project + ".res\" -w32 \"" + project + ".exe\"\r\n"
         "if not exist \"" + project + ".exe\" exit /b 3\r\n"
         "del \"" + project + ".res\" \"" + project + ".rc.log\" \"" + project + ".rc.original\"\r\n";
}

std::string Tool(const char* name) { return e2e::BinDir() + "package\\" + name; }

void Print(const char* label, const Figures& figures) {
  std::printf("  %-44s %8.1f ms (min %.1f, max %.1f)\n", label, figures.Median(), figures.Min(), figures.Max());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_build <script.rc> [runs]\n");
    return 2;
  }
  std::string source = e2e::ToWindowsPath(argv[1]);
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  e2e::ToolPaths tools{Tool("KestRix.exe"), Tool("Sarvex.exe"), Tool("brc32.exe")};
  for (const std::string* file : {&source, &tools.kestrix, &tools.sarvex, &tools.brc32}) {
    if (!e2e::FileExists(*file)) {
      std::fprintf(stderr, "bench_build: missing %s\n", file->c_str());
      return 2;
    }
  }

  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "mivo-bench-build\\";
  std::string name = source.substr(source.find_last_of('\\') + 1);
  std::string base = name.substr(0, name.find_last_of('.'));
  e2e::RemoveTree(dir);
  e2e::MakeDirectories(dir);
  std::string script = dir + name, exe = dir + base + ".exe", batch = dir + "build.bat";
  CopyFileW(e2e::ToWide(source).c_str(), e2e::ToWide(script).c_str(), FALSE);
  e2e::WriteFileBytes(batch, BatchText(tools, dir, base));

  std::string ini = e2e::IniPath();
  auto saved = e2e::ReadFileBytes(ini);
  e2e::WriteFileBytes(ini, "[Configuration]\r\nMivoKestrix=" + tools.kestrix + "\r\nSarvex=" + tools.sarvex +
                               "\r\nBRC32=" + tools.brc32 + "\r\nDebugMode=1\r\nLastFile=" + script + "\r\n");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());

  Figures utilityMs, fixedMs, restMs, batchMs, limitMs, closedMs, closedLimitMs;
  int retries = 0, limitRetries = 0;
  const char* failure = nullptr;
  {
    e2e::Utility utility;
    e2e::LaunchOptions options;
    options.program = e2e::UtilityPath();
    options.workingDirectory = dir;
    if (!utility.Start(options) || !utility.WaitForDebugWindow() || !IsWindowEnabled(utility.Control(IDC_COMPILE))) {
      failure = "the utility did not start with the script adopted";
    } else if (BuildThroughUtility(utility, exe).totalMs < 0 || BuildThroughBatch(batch) < 0 ||
               BuildThroughLimit(tools, dir, base, &limitRetries) < 0) {
      failure = "the first builds failed";  // the template copy, and the interpreter's first start
    }
    limitRetries = 0;
    for (int run = 0; run < runs && !failure; ++run) {
      UtilityBuild build = BuildThroughUtility(utility, exe);
      double batchRun = BuildThroughBatch(batch);
      double limitRun = BuildThroughLimit(tools, dir, base, &limitRetries);
      if (build.totalMs < 0 || batchRun < 0 || limitRun < 0) {
        failure = "a build failed";
        break;
      }
      double fixed = kTidySleepMs + kPollStepMs * build.pollRetries;
      utilityMs.Add(build.totalMs);
      fixedMs.Add(fixed);
      restMs.Add(build.totalMs - fixed);
      batchMs.Add(batchRun);
      limitMs.Add(limitRun);
      retries += build.pollRetries;
    }
    HWND debugWindow = utility.DebugWindow();
    if (!failure && !(utility.Command(IDM_DEBUG) && e2e::WaitUntil([&] { return !IsWindow(debugWindow); })))
      failure = "the debug window did not close";
    for (int run = 0; run < runs && !failure; ++run) {
      double closed = BuildThroughUtility(utility, exe).totalMs;
      double limitRun = BuildThroughLimit(tools, dir, base, &limitRetries);
      if (closed < 0 || limitRun < 0) {
        failure = "a build failed";
        break;
      }
      closedMs.Add(closed);
      closedLimitMs.Add(limitRun);
    }
    if (!failure) utility.Exit(nullptr);
  }

  if (saved) e2e::WriteFileBytes(ini, *saved); else DeleteFileA(ini.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  e2e::RemoveTree(dir);
  if (failure) {
    std::fprintf(stderr, "bench_build: %s\n", failure);
    return 1;
  }

  std::printf("build of %s (rebuild into the existing .exe), median of %d runs:\n", name.c_str(), runs);
  std::printf(" debug window open:\n");
  Print("MivoCompile: press to buttons enabled again", utilityMs);
  Print("  fixed by design: 500 ms tidy + 100 ms/retry", fixedMs);
  Print("  the rest", restMs);
  Print("batch file: cmd /c, same commands and files", batchMs);
  Print("limit: the utility's calls and nothing else", limitMs);
  std::printf(" debug window closed:\n");
  Print("MivoCompile: press to buttons enabled again", closedMs);
  Print("limit: the utility's calls and nothing else", closedLimitMs);
  std::printf("  poll retries in all runs: MivoCompile (window open) %d, limit %d\n", retries, limitRetries);
  std::printf("  ratio MivoCompile / batch                  %8.2f\n", utilityMs.Median() / batchMs.Median());
  std::printf("  ratio the rest / batch                     %8.2f\n", restMs.Median() / batchMs.Median());
  std::printf("  ratio MivoCompile / limit, window open     %8.3f\n", utilityMs.Median() / limitMs.Median());
  std::printf("  ratio MivoCompile / limit, window closed   %8.3f\n", closedMs.Median() / closedLimitMs.Median());
  return 0;
}
