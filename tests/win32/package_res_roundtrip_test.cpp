// Every compatibility script, compiled through the compiler library, gives
// resources whose trees read back from their bytes and lay out to the same
// bytes: each menu, dialog, version record, string table, accelerator
// table, icon or cursor group, toolbar and font directory goes .res bytes -> tree -> .res
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
#include "package/res/res_reader.h"
#include "tests/win32/package_compat_scripts.h"
#include "tests/win32/package_test_support.h"

namespace {

// The tree a resource's bytes read into, telling the extended forms apart.
std::string KindOf(const package::ResEntry& e) {
  const bool extended = e.data.size() >= 4 && e.data[0] == 1 && e.data[1] == 0;
  switch (e.type.number) {
    case package::kRtMenu: return extended ? "MENUEX" : "MENU";
    case package::kRtDialog: return extended && e.data[2] == 0xFF && e.data[3] == 0xFF ? "DIALOGEX" : "DIALOG";
    case package::kRtVersion: return "VERSIONINFO";
    case package::kRtString: return "STRINGTABLE";
    case package::kRtAccelerator: return "ACCELERATORS";
    default: return "group, toolbar or font directory #" + std::to_string(e.type.number);
  }
}

}  // namespace

TEST(PackageResRoundTrip, EveryTreeOfEveryCompatScriptLaysOutAgain) {
  const std::vector<std::string> scripts = compat_scripts::All(true);
  ASSERT_GE(scripts.size(), 20u);
  size_t trees = 0;
  std::set<std::string> kinds;
  for (const std::string& path : scripts) {
    package::CompiledScript out;
    if (!compat_scripts::Compile(path, out)) {
      ADD_FAILURE() << path << " does not compile";
      continue;
    }
    for (const package::ResEntry& e : out.entries) {
      if (!package::res::HasLayoutTree(e.type)) continue;
      ++trees;
      kinds.insert(KindOf(e));
      const std::string what = path + ": " + package::DescribeResId(e.type) + " " + package::DescribeResId(e.name);
      std::vector<uint8_t> again;
      std::string error;
      if (!package::res::Relayout(e, again, error)) {
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
  EXPECT_EQ(kinds.size(), 11u);
  printf("%zu scripts, %zu resources read back into %zu kinds of tree\n", scripts.size(), trees, kinds.size());
}
