// Fuzzes the reader of laid-out resources (menus, dialogs, version records,
// string tables, accelerators, toolbars). The input patches one resource of a script
// compiled here: its first byte picks the resource, its second cuts it short,
// then each three bytes set one byte (a 16-bit offset, a value). Whatever
// the bytes, the reader must stay within them; what it reads must lay out to
// bytes that read and lay out to themselves again; the unpatched resources
// must come back byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/rc/rc_layout_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const char* const kScript =
    "1 MENU { POPUP \"&File\" { MENUITEM \"&Open\", 10, GRAYED\n MENUITEM SEPARATOR\n"
    " POPUP \"Sub\" { MENUITEM \"X\", 11 } } MENUITEM \"&Help\", 12, HELP }\n"
    "2 MENUEX { POPUP \"&Edit\", 20, 0, 0, 7 { MENUITEM \"Cu&t\", 21, 0, 8\n MENUITEM \"\", 0, 0x800 } }\n"
    "3 DIALOG 1, 2, 100, 50 STYLE 0x80C800C0 CAPTION \"Box\" MENU 1 CLASS \"Cls\" FONT 8, \"MS Shell Dlg\"\n"
    "{ LTEXT \"Name\", 100, 2, 2, 40, 8\n CONTROL 7, 101, \"Custom\", 0x50010000, 2, 12, 40, 12 }\n"
    "4 DIALOGEX 0, 0, 80, 40, 55 STYLE 0x10C80040 EXSTYLE 8 FONT 9, \"Tahoma\", 700, 1, 204\n"
    "{ PUSHBUTTON \"OK\", 1, 2, 2, 30, 12, 0x10000, 4, 99\n EDITTEXT 102, 2, 20, 60, 12 }\n"
    "5 VERSIONINFO FILEVERSION 1,2,3,4 PRODUCTVERSION 5,6 FILEFLAGS 1\n"
    "{ BLOCK \"StringFileInfo\" { BLOCK \"040904b0\" { VALUE \"FileVersion\", \"1.2.3\"\n"
    " VALUE \"Empty\", \"\" } } BLOCK \"VarFileInfo\" { VALUE \"Translation\", 0x409, 1200, 7L } }\n"
    "STRINGTABLE { 1, \"one\"\n 15, \"fifteen\"\n 16, \"next block\" }\n"
    "6 ACCELERATORS { \"a\", 30\n \"^B\", 31\n 0x70, 32, VIRTKEY, CONTROL, SHIFT }\n"
    "7 TOOLBAR 16, 15 { BUTTON 40\n SEPARATOR\n BUTTON 41 }\n";

std::vector<package::ResEntry> TreeResources() {
  package::CompiledScript out;
  package::FileReader none = [](const std::string&, std::string&) { return false; };
  FUZZ_CHECK(package::CompileScript("C:\\f.rc", kScript, none, out));
  std::vector<package::ResEntry> trees;
  for (const package::ResEntry& e : out.entries) {
    if (package::rc::HasLayoutTree(e.type)) trees.push_back(e);
  }
  return trees;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<package::ResEntry> trees = TreeResources();
  std::vector<uint8_t> again, third;
  std::string error;
  if (size < 2) {
    for (const package::ResEntry& e : trees) FUZZ_CHECK(package::rc::Relayout(e, again, error) && again == e.data);
    return 0;
  }
  package::ResEntry e = trees[data[0] % trees.size()];
  if (data[1] != 255) e.data.resize(data[1] * e.data.size() / 255);
  for (size_t i = 2; i + 3 <= size && !e.data.empty(); i += 3) {
    e.data[(data[i] | (data[i + 1] << 8)) % e.data.size()] = data[i + 2];
  }
  // A copy of exactly its size, so that a read past the end is caught.
  e.data.shrink_to_fit();
  if (!package::rc::Relayout(e, again, error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  package::ResEntry laid = e;
  laid.data = again;
  FUZZ_CHECK(package::rc::Relayout(laid, third, error) && third == again);
  return 0;
}
