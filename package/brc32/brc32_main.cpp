// BRC32, the resource compiler and binder: main, its switches and its two
// command forms.
//
//   brc32.exe -r "<x>.rc" -fo "<x>.res"   compile a script into a .res file
//   brc32.exe "<x>.res" -w32 "<x>.exe"    bind a .res file into an executable
//
// Besides these, the switches of the batch files users call it from, in any
// order: -i/-I include folders, -d/-D defines, -x (no INCLUDE variable),
// -c code page, -l default language, -fe bound program, -v, -k, -w32, and
// -p (write the preprocessed tokens instead of a .res). A script given
// without -r is compiled and then bound. -31 (16-bit output) is refused.
//
// A console program: it prints a banner, one line per fault
// ("file(line): error: message") and a result line, and exits with 0 on
// success and 1 on failure (2 for a command line it cannot read). A script
// with errors leaves no .res behind; a failed bind deletes the executable,
// since its caller judges the bind by that file alone: what is left would be
// the bare template, or an earlier build that no longer matches the script.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

constexpr const char* kUsage =
    "usage: brc32 [switches] <script.rc> [<program.exe>]   compile (and bind without -r)\n"
    "       brc32 [switches] <resources.res> <program.exe>  bind\n"
    "switches (- or /, in any order; a value may follow the switch or be the next argument):\n"
    "  -r               compile only: write the .res, bind nothing\n"
    "  -fo<file>        the .res file to write (default: the script's name with .res)\n"
    "  -fe<file>        the program to bind into (default: the script's name with .exe)\n"
    "  -i<dir>[;<dir>]  add include folders, searched after the script's own folder\n"
    "  -I<dir>          the same, one folder\n"
    "  -d<name>[=<val>] define a macro (-D is the same)\n"
    "  -x               do not search the folders of the INCLUDE variable\n"
    "  -c<codepage>     the script's code page (default 1252; 65001 for UTF-8)\n"
    "  -l<langid>       the language of resources before any LANGUAGE statement (hex, default 409)\n"
    "  -v               verbose: the folders, defines and every resource written\n"
    "  -p               write the preprocessed tokens, one a line, instead of a .res\n"
    "  -k, -w32         accepted; they change nothing (32-bit resources are always made)\n"
    "  -31              refused: only 32-bit resources are made\n";

struct Arguments {
  bool compile = false;
  bool bindAfterCompile = false;
  bool verbose = false;
  bool preprocessOnly = false;
  bool ignoreIncludeVariable = false;
  std::string script;
  std::string output;
  std::string res;
  std::string exe;
  package::CompileOptions options;
};

bool EndsWith(const std::string& s, const char* ext) {
  const size_t n = strlen(ext);
  return s.size() >= n && _stricmp(s.c_str() + s.size() - n, ext) == 0;
}

std::string ReplaceExtension(const std::string& path, const char* ext) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("\\/");
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? path.substr(0, dot) : path) + ext;
}

// A switch that takes a value: the rest of the argument, or the next one.
bool SwitchValue(int argc, char** argv, int& i, size_t nameLength, std::string& value) {
  value = argv[i] + 1 + nameLength;
  if (!value.empty()) return true;
  if (++i >= argc) return false;
  value = argv[i];
  return true;
}

bool Numeric(const std::string& text, int base, unsigned long& value) {
  char* end = nullptr;
  value = strtoul(text.c_str(), &end, base);
  return !text.empty() && *end == '\0';
}

// One switch with a value; `error` is set for a value that cannot be read.
bool ValueSwitch(char letter, const std::string& value, Arguments& args, std::string& error) {
  unsigned long number = 0;
  switch (letter) {
    case 'o': args.output = value; break;
    case 'e': args.exe = value; break;
    case 'i': package::AddIncludeFolders(value, args.options.preprocess.includeDirs); break;
    case 'I': args.options.preprocess.includeDirs.push_back(value); break;
    case 'd': {
      const size_t eq = value.find('=');
      args.options.preprocess.defines.emplace_back(value.substr(0, eq),
                                                   eq == std::string::npos ? std::string() : value.substr(eq + 1));
      break;
    }
    case 'c':
      if (!Numeric(value, 10, number) || number == 0 || number > 65535 || !package::CodePageKnown(static_cast<int>(number))) {
        error = "code page " + value + " cannot be converted on this system";
        return false;
      }
      args.options.preprocess.codePage = static_cast<int>(number);
      break;
    case 'l':
      if (!Numeric(value, 16, number) || number > 0xFFFF) {
        error = "-l expects a language id in hexadecimal, such as 409, not '" + value + "'";
        return false;
      }
      args.options.language = static_cast<uint16_t>(number);
      break;
  }
  return true;
}

struct SwitchName {
  const char* name;
  char letter;  // ValueSwitch's letter, or 0 for a switch without a value
};

// Longer names first, so that -fo is not read as -f followed by "o".
const SwitchName kSwitches[] = {{"w32", 0}, {"31", 0},  {"fo", 'o'}, {"fe", 'e'}, {"r", 0},
                                {"x", 0},   {"v", 0},   {"k", 0},    {"p", 0},    {"i", 'i'},
                                {"I", 'I'}, {"d", 'd'}, {"D", 'd'},  {"c", 'c'},  {"l", 'l'}};

const SwitchName* FindSwitch(const char* a) {
  for (const SwitchName& s : kSwitches) {
    const size_t n = strlen(s.name);
    const bool caseMatters = s.name[0] == 'I' || s.name[0] == 'i';
    const bool same = caseMatters ? strncmp(a + 1, s.name, n) == 0 : _strnicmp(a + 1, s.name, n) == 0;
    if (same && (s.letter != 0 || a[1 + n] == '\0')) return &s;
  }
  return nullptr;
}

bool FlagSwitch(const char* name, Arguments& args, std::string& error) {
  if (strcmp(name, "31") == 0) {
    error = "-31 asks for 16-bit resources; only 32-bit resources are made";
    return false;
  }
  if (_stricmp(name, "r") == 0) args.compile = true;
  if (_stricmp(name, "x") == 0) args.ignoreIncludeVariable = true;
  if (_stricmp(name, "v") == 0) args.verbose = true;
  if (_stricmp(name, "p") == 0) args.preprocessOnly = true;
  return true;  // -w32 and -k change nothing
}

// The switches, then the one or two files: a script (compiled, and bound
// unless -r) or a .res (bound), and the program.
bool ReadArguments(int argc, char** argv, Arguments& args, std::string& error) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const SwitchName* s = (a[0] == '-' || a[0] == '/') ? FindSwitch(a) : nullptr;
    if (s && s->letter == 0) {
      if (!FlagSwitch(s->name, args, error)) return false;
    } else if (s) {
      std::string value;
      if (!SwitchValue(argc, argv, i, strlen(s->name), value)) {
        error = std::string("switch '") + a + "' needs a value";
        return false;
      }
      if (!ValueSwitch(s->letter, value, args, error)) return false;
    } else if (a[0] == '-') {
      error = std::string("unknown switch '") + a + "'";  // a path may start with '/', a switch with '-'
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty() || files.size() > 2) {
    error = files.empty() ? "no script or .res file given" : "more than two files given";
    return false;
  }
  const bool script = !EndsWith(files[0], ".res");
  if (files.size() == 2) args.exe = files[1];
  if (script) {
    args.script = files[0];
    args.bindAfterCompile = !args.compile && !args.preprocessOnly;
    args.compile = true;
    if (args.output.empty()) args.output = ReplaceExtension(args.script, args.preprocessOnly ? ".i" : ".res");
    if (args.exe.empty()) args.exe = ReplaceExtension(args.script, ".exe");
    args.res = args.output;
    return true;
  }
  if (args.compile || args.exe.empty()) {
    error = args.compile ? "-r needs a script, not a .res file" : "binding needs the program to bind into";
    return false;
  }
  args.res = files[0];
  return true;
}

// The INCLUDE variable's folders come after those of the command line.
void AddIncludeVariable(Arguments& args) {
  if (!args.ignoreIncludeVariable) package::AddIncludeVariable(args.options.preprocess.includeDirs);
  if (!args.verbose) return;
  for (const std::string& dir : args.options.preprocess.includeDirs) printf("Include folder: %s\n", dir.c_str());
  for (const auto& d : args.options.preprocess.defines)
    printf("Defined: %s=%s\n", d.first.c_str(), d.second.empty() ? "1" : d.second.c_str());
  printf("Code page %d, default language %04X\n", args.options.preprocess.codePage, args.options.language);
}

// -p: the script's tokens after preprocessing, one a line.
int WritePreprocessed(const Arguments& args, const std::string& text) {
  package::PreprocessedScript script;
  package::Preprocess(args.script, text, package::ReadTextFile, args.options.preprocess, script);
  for (const package::Diagnostic& d : script.diagnostics) printf("%s\n", package::FormatDiagnostic(d).c_str());
  if (package::CountErrors(script.diagnostics) > 0) {
    printf("Preprocessing failed: %zu error(s)\n", package::CountErrors(script.diagnostics));
    return kExitFailure;
  }
  std::string lines;
  for (const package::Token& t : script.tokens) lines += package::Spelling(t) + "\n";
  std::string error;
  if (!package::WriteWholeFile(args.output, std::vector<uint8_t>(lines.begin(), lines.end()), error)) {
    printf("%s(0): error: %s\n", args.output.c_str(), error.c_str());
    return kExitFailure;
  }
  printf("Wrote %s: %zu token(s)\n", args.output.c_str(), script.tokens.size());
  return kExitSuccess;
}

void ListResources(const std::vector<package::ResEntry>& entries) {
  for (const package::ResEntry& e : entries)
    printf("  %s %s language %04X, %zu bytes\n", package::DescribeResId(e.type).c_str(),
           package::DescribeResId(e.name).c_str(), e.language, e.data.size());
}

int Compile(const Arguments& args) {
  const std::string& output = args.output;
  printf("Compiling %s\n", args.script.c_str());
  // A stale result must not outlive a failed compile.
  remove(output.c_str());

  std::string text;
  if (!package::ReadTextFile(args.script, text)) {
    printf("%s(0): error: cannot open the script\n", args.script.c_str());
    printf("Compile failed: no resource file written\n");
    return kExitFailure;
  }
  if (args.preprocessOnly) return WritePreprocessed(args, text);
  package::CompiledScript result;
  const bool ok = package::CompileScript(args.script, text, package::ReadTextFile, args.options, result);
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
  if (args.verbose) ListResources(result.entries);
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
  std::string error;
  if (argc < 2) {
    printf("%s", kUsage);
    return kExitUsage;
  }
  if (!ReadArguments(argc, argv, args, error)) {
    printf("error: %s\n%s", error.c_str(), kUsage);
    return kExitUsage;
  }
  AddIncludeVariable(args);
  int status = args.compile ? Compile(args) : Bind(args);
  if (status == kExitSuccess && args.compile && args.bindAfterCompile) status = Bind(args);
  fflush(stdout);
  return status;
}
