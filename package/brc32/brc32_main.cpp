// BRC32, the resource compiler and binder: main and its two command forms.
//
//   brc32.exe -r "<x>.rc" -fo "<x>.res"   compile a script into a .res file
//   brc32.exe "<x>.res" -w32 "<x>.exe"    bind a .res file into an executable
//
// A console program: it prints a banner, one line per fault
// ("file(line): error: message") and a result line, and exits with 0 on
// success and 1 on failure (2 for a command line it cannot read). A script
// with errors leaves no .res behind; a failed bind deletes the executable,
// since its caller judges the bind by that file alone: what is left would be
// the bare template, or an earlier build that no longer matches the script.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "package/faults/fault_switches.h"
#include "package/rc/rc_compile.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Arguments {
  bool compile = false;
  std::string script;
  std::string output;
  std::string res;
  std::string exe;
};

bool IsOption(const char* a, const char* name) {
  return (a[0] == '-' || a[0] == '/') && _stricmp(a + 1, name) == 0;
}

bool ReadArguments(int argc, char** argv, Arguments& args) {
  bool bind = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (IsOption(a, "r")) {
      args.compile = true;
    } else if (IsOption(a, "fo")) {
      if (++i >= argc) return false;
      args.output = argv[i];
    } else if ((a[0] == '-' || a[0] == '/') && _strnicmp(a + 1, "fo", 2) == 0 && a[3] != '\0') {
      args.output = a + 3;
    } else if (IsOption(a, "w32")) {
      if (++i >= argc) return false;
      bind = true;
      args.exe = argv[i];
    } else if (a[0] == '-') {
      return false;  // a path may start with '/', an unknown option cannot
    } else {
      files.push_back(a);
    }
  }
  // The one bare argument is the script when compiling, the .res when binding.
  if (files.size() != 1 || args.compile == bind) return false;
  (args.compile ? args.script : args.res) = files[0];
  return true;
}

std::string DefaultOutput(const std::string& script) {
  const size_t dot = script.find_last_of('.');
  const size_t slash = script.find_last_of("\\/");
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? script.substr(0, dot) : script) + ".res";
}

int Compile(const Arguments& args) {
  const std::string output = args.output.empty() ? DefaultOutput(args.script) : args.output;
  printf("Compiling %s\n", args.script.c_str());
  // A stale result must not outlive a failed compile.
  remove(output.c_str());

  std::string text;
  if (!package::ReadTextFile(args.script, text)) {
    printf("%s(0): error: cannot open the script\n", args.script.c_str());
    printf("Compile failed: no resource file written\n");
    return kExitFailure;
  }
  package::CompiledScript result;
  const bool ok = package::CompileScript(args.script, text, package::ReadTextFile, result);
  for (const package::Diagnostic& d : result.diagnostics) printf("%s\n", package::FormatDiagnostic(d).c_str());
  if (!ok) {
    printf("Compile failed: %zu error(s); no resource file written\n", package::CountErrors(result.diagnostics));
    return kExitFailure;
  }
  if (package::SwitchIsSet(package::kBrc32NoRes)) {
    printf("%s is set: %s not written\n", package::kBrc32NoRes, output.c_str());
    return kExitFailure;
  }
  const std::vector<uint8_t> bytes = package::EncodeResFile(result.entries);
  std::string error;
  if (!package::WriteWholeFile(output, bytes, error)) {
    printf("%s(0): error: %s\n", output.c_str(), error.c_str());
    return kExitFailure;
  }
  printf("Wrote %s: %zu resource(s), %zu bytes\n", output.c_str(), result.entries.size(), bytes.size());
  return kExitSuccess;
}

int Bind(const Arguments& args) {
  printf("Binding %s into %s\n", args.res.c_str(), args.exe.c_str());
  if (package::SwitchIsSet(package::kBrc32NoBind)) {
    DeleteFileA(args.exe.c_str());
    printf("%s is set: %s deleted, nothing bound\n", package::kBrc32NoBind, args.exe.c_str());
    return kExitFailure;
  }
  package::BindReport report;
  std::string error;
  std::function<void()> midBind;
  if (package::SwitchIsSet(package::kBrc32EndMidBind)) {
    midBind = [] {
      constexpr UINT kExitEndedMidBind = 5;  // as a crash inside the update
      printf("%s is set: ending inside the resource update\n", package::kBrc32EndMidBind);
      fflush(stdout);
      TerminateProcess(GetCurrentProcess(), kExitEndedMidBind);
    };
  }
  if (!package::BindIntoProgram(args.res, args.exe, report, error, midBind)) {
    printf("error: %s\n", error.c_str());
    if (DeleteFileA(args.exe.c_str()) || GetFileAttributesA(args.exe.c_str()) == INVALID_FILE_ATTRIBUTES)
      printf("Bind failed: %s deleted\n", args.exe.c_str());
    else
      printf("Bind failed: %s could not be deleted either\n", args.exe.c_str());
    return kExitFailure;
  }
  if (report.skippedEmpty > 0)
    printf("warning: %zu resource(s) without data not bound\n", report.skippedEmpty);
  printf("Bound %zu resource(s) into %s\n", report.bound, args.exe.c_str());
  return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  printf("BRC32 resource compiler 1.0 (MivoCompile conversion package)\n");
  Arguments args;
  if (!ReadArguments(argc, argv, args)) {
    printf("usage: brc32 -r <script.rc> [-fo <out.res>]\n"
           "       brc32 <resources.res> -w32 <program.exe>\n");
    return kExitUsage;
  }
  const int status = args.compile ? Compile(args) : Bind(args);
  fflush(stdout);
  return status;
}
