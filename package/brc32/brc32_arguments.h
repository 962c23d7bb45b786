#pragma once
// brc32's command line: the switches of the batch files users call the
// Borland tools from, in any order, with '-' or '/', a value joined to its
// switch or as the next argument, and @file response files (several
// switches a line, "quoted" arguments) read in their place.

#include <string>
#include <vector>

#include "package/rc/rc_compile.h"

namespace brc32 {

struct Arguments {
  bool compile = false;
  bool bindAfterCompile = false;
  bool verbose = false;
  bool preprocessOnly = false;
  bool ignoreIncludeVariable = false;
  bool usage = false;  // -h or -?: print the switches and stop
  bool writeScript = false;  // -s: a script from a .res file or a program
  bool inlineData = false;   // -sh: the same, binary data inline as hexadecimal
  std::string script;
  std::string input;  // -s: the .res file or program read
  std::string output;
  bool outputNamed = false;  // -fo was given
  std::string res;
  std::string exe;
  std::string dependencies;  // -fd: the make-style rule to write, or empty
  package::CompileOptions options;
};

extern const char* const kUsage;

// Reads argv[1..argc) into `args`; false with `error` set for a command line
// it cannot read.
bool ReadArguments(int argc, char** argv, Arguments& args, std::string& error);

// The words of a response file's text: white space separates them, double
// quotes group (and are dropped), across as many lines as it has.
std::vector<std::string> ResponseWords(const std::string& text);

}  // namespace brc32
