// The true limit of a build: exactly the calls the utility makes for one build
// of <dir><base>.rc and nothing else. The fopen probe of the .exe (a template
// copy when it fails), the probes and deletes of the intermediates, the
// checker started with CreateProcessA and waited for until idle, the fopen
// polls for its log, system() with the compiler's two command lines, each
// followed by its polls, the deletes again and the 500 ms pause.
//
//   bench_build_limit <template> <checker> <compiler> <dir> <base> <result file>
//
// Writes "<milliseconds> <poll retries>" to the result file, the time taken
// from the first probe to the end of the pause; exits 0 when every file came.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "build/pipeline.h"
#include "build/tools.h"

namespace {

int retries = 0;

bool Probe(const std::string& path, const char* mode) {
  FILE* stream = std::fopen(path.c_str(), mode);
  if (stream == nullptr) return false;
  std::fclose(stream);
  return true;
}

bool Poll(const std::string& path, const char* mode) {
  if (Probe(path, mode)) return true;
  for (int retry = 1; retry <= kPollRetries; ++retry, ++retries) {
    Sleep(kPollIntervalMs);
    if (Probe(path, mode)) return true;
  }
  return false;
}

void DeleteIntermediates(const std::string& project) {
  for (const char* suffix : {".res", ".rc.log", ".rc.original"}) {
    if (Probe(project + suffix, "r")) DeleteFileA((project + suffix).c_str());
  }
}

std::string Line(const char* format, const char* tool, const char* dir, const char* base) {
  char line[1024];
  std::snprintf(line, sizeof line, format, tool, dir, base, dir, base);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: bench_build_limit <template> <checker> <compiler> <dir> <base> <result>\n");
    return 2;
  }
  const char *templatePath = argv[1], *checker = argv[2], *compiler = argv[3], *dir = argv[4],
             *base = argv[5];
  std::string project = std::string(dir) + base, exe = project + ".exe";
  auto start = std::chrono::steady_clock::now();

  if (!Probe(exe, "r+") && !CopyFileA(templatePath, exe.c_str(), FALSE)) return 1;
  DeleteIntermediates(project);

  std::string check = Line(kCheckLineFormat, checker, dir, base);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, check.data(), nullptr, nullptr, FALSE, kLaunchFlags, nullptr, nullptr,
                     &startup, &process)) {
    WaitForInputIdle(process.hProcess, kInputIdleWaitMs);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  if (!Poll(project + ".rc.log", "r")) return 1;
  std::system(Line(kCompileLineFormat, compiler, dir, base).c_str());
  if (!Poll(project + ".res", "r")) return 1;
  std::system(Line(kBindLineFormat, compiler, dir, base).c_str());
  if (!Poll(exe, "r+")) return 1;
  DeleteIntermediates(project);
  Sleep(kTidySleepMs);

  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  FILE* result = std::fopen(argv[6], "w");
  if (result == nullptr) return 1;
  std::fprintf(result, "%.3f %d\n", ms, retries);
  std::fclose(result);
  return 0;
}
