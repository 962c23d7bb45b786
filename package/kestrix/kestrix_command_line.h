#pragma once
// Kestrix's command line: everything after the program name is shown as its
// parameters; "/dialog <id>" and "/menu <id>" among them pick what the
// preview opens at start-up. Any other word, switch or not, is only shown.

#include <string>

namespace kestrix {

struct Options {
  std::wstring parameters;  // what follows the program name, blanks trimmed in front
  std::wstring dialog;      // the id after /dialog ("" when absent)
  std::wstring menu;        // the id after /menu
  std::wstring problem;     // a switch without its id, for the status bar
};

// Reads a command line as the system hands it over, program name first.
Options ReadCommandLine(const wchar_t* commandLine);

}  // namespace kestrix
