// Every compatibility script, compiled through the compiler library, gives
// resources whose trees read back from their bytes and lay out to the same
// bytes: each menu, dialog, version record, string table, accelerator
// table, icon or cursor group and toolbar goes .res bytes -> tree -> .res
// bytes. Other types are data the layout module does not shape, and are not
// counted.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/rc/rc_files.h"
#include "package/rc/rc_layout_reader.h"
#include "tests/win32/package_test_support.h"

namespace {

const std::string kImages = package_test::WindowsPath(MIVO_COMPAT_IMAGES);

std::vector<std::string> Scripts(const std::string& dir) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((dir + "\\*.rc").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.push_back(dir + "\\" + f.cFileName); while (FindNextFileA(h, &f));
  FindClose(h);
  return found;
}

// The first line "// options: -I dir -D name[=value] ..." as brc32 is given it.
package::CompileOptions OptionsOf(const std::string& path, const std::string& text) {
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
bool ReadBesideOrImages(const std::string& path, std::string& text) {
  return package::ReadTextFile(path, text) ||
         package::ReadTextFile(kImages + "\\" + path.substr(path.find_last_of("\\/") + 1), text);
}

// The tree a resource's bytes read into, telling the extended forms apart.
std::string KindOf(const package::ResEntry& e) {
  const bool extended = e.data.size() >= 4 && e.data[0] == 1 && e.data[1] == 0;
  switch (e.type.number) {
    case package::kRtMenu: return extended ? "MENUEX" : "MENU";
    case package::kRtDialog: return extended && e.data[2] == 0xFF && e.data[3] == 0xFF ? "DIALOGEX" : "DIALOG";
    case package::kRtVersion: return "VERSIONINFO";
    case package::kRtString: return "STRINGTABLE";
    case package::kRtAccelerator: return "ACCELERATORS";
    default: return "group or toolbar #" + std::to_string(e.type.number);
  }
}

}  // namespace

TEST(PackageResRoundTrip, EveryTreeOfEveryCompatScriptLaysOutAgain) {
  std::vector<std::string> scripts = Scripts(package_test::SourceFile("tests/compat/scripts"));
  for (const std::string& s : Scripts(package_test::SourceFile("tests/compat/scripts/borland"))) scripts.push_back(s);
  for (const std::string& s : Scripts(kImages)) scripts.push_back(s);
  ASSERT_GE(scripts.size(), 20u);
  size_t trees = 0;
  std::set<std::string> kinds;
  for (const std::string& path : scripts) {
    std::string text;
    ASSERT_TRUE(package::ReadTextFile(path, text)) << path;
    package::CompiledScript out;
    if (!package::CompileScript(path, text, ReadBesideOrImages, OptionsOf(path, text), out)) {
      ADD_FAILURE() << path << " does not compile";
      continue;
    }
    for (const package::ResEntry& e : out.entries) {
      if (!package::rc::HasLayoutTree(e.type)) continue;
      ++trees;
      kinds.insert(KindOf(e));
      const std::string what = path + ": " + package::DescribeResId(e.type) + " " + package::DescribeResId(e.name);
      std::vector<uint8_t> again;
      std::string error;
      if (!package::rc::Relayout(e, again, error)) {
        ADD_FAILURE() << what << " does not read back: " << error;
        continue;
      }
      size_t at = 0;
      while (at < again.size() && at < e.data.size() && again[at] == e.data[at]) ++at;
      EXPECT_TRUE(again == e.data) << what << ": first difference at offset " << at << " (" << e.data.size()
                                   << " bytes compiled, " << again.size() << " laid out again)";
    }
  }
  // Every reader had its turn.
  EXPECT_EQ(kinds.size(), 10u);
  printf("%zu scripts, %zu resources read back into %zu kinds of tree\n", scripts.size(), trees, kinds.size());
}
