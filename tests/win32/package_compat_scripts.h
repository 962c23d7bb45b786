#pragma once
// The compatibility scripts as the in-process compiler tests read them: every
// script of the folders the compat test walks, with the switches its first
// line gives brc32, and the files it names found beside it or among the
// images the compatibility build makes.

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/rc/rc_files.h"
#include "tests/win32/package_test_support.h"

namespace compat_scripts {

inline std::string ImagesDir() { return package_test::WindowsPath(MIVO_COMPAT_IMAGES); }

// The scripts of `dir` (Windows path), in the order the system lists them.
inline std::vector<std::string> ScriptsIn(const std::string& dir) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((dir + "\\*.rc").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.push_back(dir + "\\" + f.cFileName);
  while (FindNextFileA(h, &f));
  FindClose(h);
  return found;
}

// The common-dialect and Borland scripts, and with `withImages` the scripts
// the compatibility build writes beside its images.
inline std::vector<std::string> All(bool withImages) {
  std::vector<std::string> scripts;
  for (const std::string& dir : {package_test::SourceFile("tests/compat/scripts"),
                                 package_test::SourceFile("tests/compat/scripts/borland")})
    for (const std::string& s : ScriptsIn(dir)) scripts.push_back(s);
  if (withImages)
    for (const std::string& s : ScriptsIn(ImagesDir())) scripts.push_back(s);
  return scripts;
}

// The first line "// options: -I dir -D name[=value] ..." as brc32 is given it.
inline package::CompileOptions OptionsOf(const std::string& path, const std::string& text) {
  package::CompileOptions options;
  const std::string first = text.substr(0, text.find('\n'));
  if (first.rfind("// options:", 0) != 0) return options;
  std::istringstream words(first.substr(11));
  std::string sw, value;
  while (words >> sw >> value) {
    if (sw == "-I") {
      options.preprocess.includeDirs.push_back(path.substr(0, path.find_last_of('\\') + 1) + value);
    } else {
      const size_t eq = value.find('=');
      options.preprocess.defines.emplace_back(value.substr(0, eq), eq == std::string::npos ? "" : value.substr(eq + 1));
    }
  }
  return options;
}

// Files a script names are beside it, or among the images the compatibility build makes.
inline bool ReadBesideOrImages(const std::string& path, std::string& text) {
  return package::ReadTextFile(path, text) ||
         package::ReadTextFile(ImagesDir() + "\\" + path.substr(path.find_last_of("\\/") + 1), text);
}

// Compiles the script at `path` (Windows path) as brc32 is given it: its
// options line, and the files it names beside it or among the images.
inline bool Compile(const std::string& path, package::CompiledScript& out) {
  std::string text;
  return package::ReadTextFile(path, text) && package::CompileScript(path, text, ReadBesideOrImages, OptionsOf(path, text), out);
}

}  // namespace compat_scripts
