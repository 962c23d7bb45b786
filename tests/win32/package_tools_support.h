#pragma once
// What the checker's and the compiler's process tests share: the scripts,
// the project's files as the utility names them, and the utility's three
// command lines.

#include <windows.h>

#include <cstdio>
#include <string>

#include "package_test_support.h"

namespace package_tools {

using package_test::ScratchDir;

inline const char kGoodScript[] =
    "#include <windows.h>\r\n"
    "#define IDM_OPEN 101\r\n"
    "IDR_MENU MENU\r\n"
    "BEGIN\r\n"
    "  POPUP \"&File\"\r\n"
    "  BEGIN\r\n"
    "    MENUITEM \"&Open\", IDM_OPEN\r\n"
    "  END\r\n"
    "END\r\n";

// A pop-up without its BEGIN (found at line 4, column 3) and an END left
// over on line 7: two faults, two errors.
inline const char kBadScript[] =
    "1 MENU\r\n"
    "BEGIN\r\n"
    "  POPUP \"&File\"\r\n"
    "  MENUITEM \"&Open\", 101\r\n"
    "END\r\n"
    "\r\n"
    "END\r\n";

inline constexpr DWORD kExitWaitMs = 10000;

// The project files as the utility names them: <dir><base> plus a suffix.
struct Project {
  const ScratchDir& dir;
  std::string base;
  std::string Path(const char* suffix) const { return dir.path() + base + suffix; }
};

inline std::string Format(const char* format, const std::string& tool, const Project& p) {
  char line[2048];
  snprintf(line, sizeof line, format, tool.c_str(), p.dir.path().c_str(), p.base.c_str(), p.dir.path().c_str(),
           p.base.c_str());
  return line;
}

// The utility's three command lines; the tool path is not quoted.
inline std::string CheckLine(const Project& p) {
  return Format("%s -f \"%s%s.rc\"", package_test::PackageProgram("Sarvex.exe"), p);
}
inline std::string CompileLine(const Project& p) {
  return Format("%s -r \"%s%s.rc\" -fo \"%s%s.res\"", package_test::PackageProgram("brc32.exe"), p);
}
inline std::string BindLine(const Project& p) {
  return Format("%s \"%s%s.res\" -w32 \"%s%s.exe\"", package_test::PackageProgram("brc32.exe"), p);
}

}  // namespace package_tools
