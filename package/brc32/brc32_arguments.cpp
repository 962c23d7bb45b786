// brc32's switches, its response files and the files it is given.

#include "package/brc32/brc32_arguments.h"

#include <cstdlib>
#include <cstring>

#include "package/rc/rc_codepage.h"
#include "package/rc/rc_files.h"

namespace brc32 {

const char* const kUsage =
    "usage: brc32 [switches] <script.rc> [<program.exe>]   compile (and bind without -r)\n"
    "       brc32 [switches] <resources.res> <program.exe>  bind\n"
    "       brc32 -s <file.res|file.exe|file.dll> [-fo<x>.rc]  write a script of its resources\n"
    "switches (- or /, in any order; a value may follow the switch or be the next argument):\n"
    "  -r               compile only: write the .res, bind nothing\n"
    "  -s               write a script (default: the input's name with .rc, never over an existing\n"
    "                   one) that compiles to the same resources, binary ones in <script name>_files\n"
    "  -sh              the same, binary data written inline as quoted hexadecimal blocks\n"
    "  -fo<file>        the .res file to write (default: the script's name with .res)\n"
    "  -fe<file>        the program to bind into (default: the script's name with .exe)\n"
    "  -fd<file>        also write a make-style rule: the .res depends on every file the script read\n"
    "  -src             also store the script's own text in the .res (type RCSCRIPT)\n"
    "  -i<dir>[;<dir>]  add include folders, searched after the script's own folder\n"
    "  -I<dir>          the same, one folder\n"
    "  -d<name>[=<val>] define a macro (-D is the same)\n"
    "  -x               do not search the folders of the INCLUDE variable\n"
    "  -c<codepage>     the script's code page (default 1252; 65001 for UTF-8)\n"
    "  -l<langid>       the language of resources before any LANGUAGE statement (hex, default 409)\n"
    "  -v               verbose: the folders, defines and every resource written\n"
    "  -p               write the preprocessed tokens, one a line, instead of a .res\n"
    "  -k, -w32, -32    accepted; they change nothing (32-bit resources are always made)\n"
    "  -m               accepted; multi-byte code pages are always read by their code page\n"
    "  -31, -16         refused: only 32-bit resources are made\n"
    "  -h, -?           this list\n"
    "  @<file>          read more switches and files from <file>\n";

namespace {

// Response files may name further response files, this deep.
constexpr int kMaxResponseDepth = 8;

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

bool Numeric(const std::string& text, int base, unsigned long& value) {
  char* end = nullptr;
  value = strtoul(text.c_str(), &end, base);
  return !text.empty() && *end == '\0';
}

// One switch with a value; `error` is set for a value that cannot be read.
bool ValueSwitch(char letter, const std::string& value, Arguments& args, std::string& error) {
  unsigned long number = 0;
  switch (letter) {
    case 'o':
      args.output = value;
      args.outputNamed = true;
      break;
    case 'e': args.exe = value; break;
    case 'f': args.dependencies = value; break;
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
const SwitchName kSwitches[] = {{"w32", 0}, {"src", 0}, {"sh", 0}, {"s", 0}, {"31", 0},  {"16", 0},   {"32", 0},   {"fo", 'o'},
                                {"fe", 'e'}, {"fd", 'f'}, {"r", 0},  {"x", 0},    {"v", 0},    {"k", 0},
                                {"m", 0},   {"p", 0},   {"h", 0},   {"?", 0},    {"i", 'i'},  {"I", 'I'},
                                {"d", 'd'}, {"D", 'd'}, {"c", 'c'}, {"l", 'l'}};

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
  if (strcmp(name, "31") == 0 || strcmp(name, "16") == 0) {
    error = std::string("-") + name + " asks for 16-bit resources; only 32-bit resources are made";
    return false;
  }
  if (_stricmp(name, "r") == 0) args.compile = true;
  if (_stricmp(name, "x") == 0) args.ignoreIncludeVariable = true;
  if (_stricmp(name, "v") == 0) args.verbose = true;
  if (_stricmp(name, "p") == 0) args.preprocessOnly = true;
  if (_stricmp(name, "src") == 0) args.options.scriptText = true;
  if (_stricmp(name, "s") == 0 || _stricmp(name, "sh") == 0) args.writeScript = true;
  if (_stricmp(name, "sh") == 0) args.inlineData = true;
  if (_stricmp(name, "h") == 0 || strcmp(name, "?") == 0) args.usage = true;
  return true;  // -w32, -32, -k and -m change nothing
}

// The command line with every @file replaced by the words it holds.
bool ExpandResponseFiles(const std::vector<std::string>& in, int depth, std::vector<std::string>& out,
                         std::string& error) {
  for (const std::string& a : in) {
    if (a.size() < 2 || a[0] != '@') {
      out.push_back(a);
      continue;
    }
    if (depth >= kMaxResponseDepth) {
      error = "response file '" + a.substr(1) + "' nested more than 8 deep";
      return false;
    }
    std::string text;
    if (!package::ReadTextFile(a.substr(1), text)) {
      error = "cannot read response file '" + a.substr(1) + "'";
      return false;
    }
    if (!ExpandResponseFiles(ResponseWords(text), depth + 1, out, error)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ResponseWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1A')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// The switches, then the one or two files: a script (compiled, and bound
// unless -r) or a .res (bound), and the program.
bool ReadArguments(int argc, char** argv, Arguments& args, std::string& error) {
  std::vector<std::string> given(argv + 1, argv + argc), words;
  if (!ExpandResponseFiles(given, 0, words, error)) return false;
  std::vector<std::string> files;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& a = words[i];
    const SwitchName* s = (a[0] == '-' || a[0] == '/') && a.size() > 1 ? FindSwitch(a.c_str()) : nullptr;
    if (s && s->letter == 0) {
      if (!FlagSwitch(s->name, args, error)) return false;
    } else if (s) {
      std::string value = a.substr(1 + strlen(s->name));
      if (value.empty() && ++i < words.size()) value = words[i];
      if (i >= words.size()) {
        error = "switch '" + a + "' needs a value";
        return false;
      }
      if (!ValueSwitch(s->letter, value, args, error)) return false;
    } else if (a[0] == '-') {
      error = "unknown switch '" + a + "'";  // a path may start with '/', a switch with '-'
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (args.usage) return true;
  if (files.empty() || files.size() > 2) {
    error = files.empty() ? "no script or .res file given" : "more than two files given";
    return false;
  }
  if (args.writeScript) {
    if (files.size() != 1 || args.compile || args.preprocessOnly) {
      error = files.size() != 1 ? "-s takes one .res file or program" : "-s writes a script; -r and -p do not go with it";
      return false;
    }
    args.input = files[0];
    if (args.output.empty()) args.output = ReplaceExtension(args.input, ".rc");
    return true;
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

}  // namespace brc32
