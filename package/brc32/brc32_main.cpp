// BRC32, the resource compiler and binder: main, its switches and its two
// command forms.
//
//   brc32.exe -r "<x>.rc" -fo "<x>.res"   compile a script into a .res file
//   brc32.exe "<x>.res" -w32 "<x>.exe"    bind a .res file into an executable
//   brc32.exe -s "<x>.exe" -fo "<x>.rc"    write a script of a program's or a .res file's resources
//
// Besides these, the switches of the batch files users call it from
// (brc32_arguments.h). A script given without -r is compiled and then
// bound; -fd also writes a make-style rule naming every file the compile
// read, so that a build tool knows when to compile again.
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

#include "package/brc32/brc32_arguments.h"
#include "package/faults/fault_switches.h"
#include "package/rc/rc_compile.h"
#include "package/rc/writer/rc_writer.h"
#include "package/res/pe_image.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"

namespace {

using brc32::Arguments;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

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

// A path as make reads it in a rule: blanks, '#' and '$' escaped.
std::string MakeWord(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

// "<res>: <script> <each file read>", a file named once however often it
// was read, in the order first read.
bool WriteDependencies(const Arguments& args, const std::vector<std::string>& read) {
  std::string rule = MakeWord(args.output) + ":";
  std::vector<std::string> seen;
  for (const std::string& path : read) {
    std::string key = path;
    for (char& c : key) c = c == '/' ? '\\' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    rule += " \\\n  " + MakeWord(path);
  }
  rule += "\n";
  std::string error;
  if (!package::WriteWholeFile(args.dependencies, std::vector<uint8_t>(rule.begin(), rule.end()), error)) {
    printf("%s(0): error: %s\n", args.dependencies.c_str(), error.c_str());
    return false;
  }
  if (args.verbose) printf("Wrote %s: %zu file(s)\n", args.dependencies.c_str(), seen.size());
  return true;
}

int Compile(const Arguments& args) {
  const std::string& output = args.output;
  printf("Compiling %s\n", args.script.c_str());
  // A stale result must not outlive a failed compile.
  remove(output.c_str());
  if (!args.dependencies.empty()) remove(args.dependencies.c_str());

  // Every file the compile opens, for the dependency rule.
  std::vector<std::string> read;
  const package::FileReader reader = [&read](const std::string& path, std::string& text) {
    if (!package::ReadTextFile(path, text)) return false;
    read.push_back(path);
    return true;
  };
  std::string text;
  if (!reader(args.script, text)) {
    printf("%s(0): error: cannot open the script\n", args.script.c_str());
    printf("Compile failed: no resource file written\n");
    return kExitFailure;
  }
  if (args.preprocessOnly) return WritePreprocessed(args, text);
  package::CompiledScript result;
  const bool ok = package::CompileScript(args.script, text, reader, args.options, result);
  for (const package::Diagnostic& d : result.diagnostics)
    printf("%s\n", package::FormatDiagnosticWithSource(d).c_str());
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
  if (!args.dependencies.empty() && !WriteDependencies(args, read)) {
    remove(output.c_str());
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

// The folder beside the script that its side files go in: "<script name>_files".
std::string SideFolder(const std::string& script) {
  const size_t slash = script.find_last_of("\\/");
  std::string base = slash == std::string::npos ? script : script.substr(slash + 1);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base + "_files";
}

// -s: the resources of a .res file or a program, as a script that compiles
// back to them. Nothing is written unless the whole script does.
int WriteScript(const Arguments& args) {
  printf("Writing a script of %s\n", args.input.c_str());
  // The script beside a .res is most likely the one it was compiled from.
  if (!args.outputNamed && GetFileAttributesA(args.output.c_str()) != INVALID_FILE_ATTRIBUTES) {
    printf("%s(0): error: the file exists; -s writes over a file only when -fo names it\n", args.output.c_str());
    printf("Script not written\n");
    return kExitFailure;
  }
  std::vector<uint8_t> bytes;
  std::vector<package::ResEntry> entries;
  std::string error;
  bool ok = package::ReadWholeFile(args.input, bytes, error);
  const bool program = ok && bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
  if (ok) ok = program ? package::ReadProgramResources(bytes, entries, error) : package::DecodeResFile(bytes, entries, error);
  if (ok && entries.empty()) {
    ok = false;
    error = program ? "the program holds no resources" : "the file holds no resources";
  }
  if (!ok) {
    printf("%s(0): error: %s\n", args.input.c_str(), error.c_str());
    printf("Script not written\n");
    return kExitFailure;
  }
  package::rc::ScriptOptions options;
  options.inlineData = args.inlineData;
  // The writer keeps the folder's name to what an unquoted file name can hold.
  options.folder = SideFolder(args.output);
  package::rc::WrittenScript script;
  if (!package::rc::WriteScript(entries, options, script, error)) {
    printf("%s(0): error: %s\n", args.input.c_str(), error.c_str());
    printf("Script not written: it would not compile to the same resources\n");
    return kExitFailure;
  }
  const size_t slash = args.output.find_last_of("\\/");
  const std::string dir = slash == std::string::npos ? std::string() : args.output.substr(0, slash + 1);
  std::string made;  // the last folder made: the files come folder by folder
  for (const package::rc::SideFile& f : script.files) {
    std::string path = dir + f.path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    if (folder != made) CreateDirectoryA(folder.c_str(), nullptr);
    made = folder;
    if (!package::WriteWholeFile(path, f.bytes, error)) {
      printf("%s(0): error: %s\n", path.c_str(), error.c_str());
      printf("Script not written\n");
      return kExitFailure;
    }
  }
  if (!package::WriteWholeFile(args.output, std::vector<uint8_t>(script.text.begin(), script.text.end()), error)) {
    printf("%s(0): error: %s\n", args.output.c_str(), error.c_str());
    return kExitFailure;
  }
  for (const std::string& why : script.dataReasons) {
    if (args.verbose) printf("  as data: %s\n", why.c_str());
  }
  printf("Wrote %s: %zu resource(s), %zu by their statements, %zu as data; %zu file(s)\n", args.output.c_str(),
         entries.size(), script.statements, script.asData, script.files.size());
  return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  printf("BRC32 resource compiler 1.0 (MivoCompile conversion package)\n");
  Arguments args;
  std::string error;
  if (argc < 2) {
    printf("%s", brc32::kUsage);
    return kExitUsage;
  }
  if (!brc32::ReadArguments(argc, argv, args, error)) {
    printf("error: %s\n%s", error.c_str(), brc32::kUsage);
    return kExitUsage;
  }
  if (args.usage) {
    printf("%s", brc32::kUsage);
    return kExitSuccess;
  }
  if (args.writeScript) {
    const int written = WriteScript(args);
    fflush(stdout);
    return written;
  }
  AddIncludeVariable(args);
  int status = args.compile ? Compile(args) : Bind(args);
  if (status == kExitSuccess && args.compile && args.bindAfterCompile) status = Bind(args);
  fflush(stdout);
  return status;
}
