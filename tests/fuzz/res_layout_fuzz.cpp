// Fuzzes the format layer's reader and writer for every kind of tree, in both
// modes. The first byte chooses how the input is made:
//   0x80 set: the rest is a resource itself, of the kind its low four bits
//     name, modulo 9 (0 menu, 1 dialog, 2 version, 3 strings, 4 accelerators,
//     5 icon group, 6 cursor group, 7 toolbar, 8 font directory);
//   0x80 clear: one resource of a script compiled here (chosen by the byte),
//     cut short by the second byte, then each three bytes set one byte (a
//     16-bit offset, a value).
// 0x40 reads leniently, otherwise strictly. Whatever the bytes, the reader
// stays within them; what it reads lays out to bytes that read to the same
// tree (the same layout again), in the strict mode the very bytes read; what
// the strict mode reads, the lenient mode reads too. With less than two
// bytes, every compiled resource must come back byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/res/res_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using package::res::ReadMode;

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

const uint16_t kKinds[] = {package::kRtMenu,        package::kRtDialog,      package::kRtVersion,
                           package::kRtString,      package::kRtAccelerator, package::kRtGroupIcon,
                           package::kRtGroupCursor, package::kRtToolbar,    package::kRtFontDir};

std::vector<package::ResEntry> TreeResources() {
  package::CompiledScript out;
  package::FileReader none = [](const std::string&, std::string&) { return false; };
  FUZZ_CHECK(package::CompileScript("C:\\f.rc", kScript, none, out));
  std::vector<package::ResEntry> trees;
  for (const package::ResEntry& e : out.entries) {
    if (package::res::HasLayoutTree(e.type)) trees.push_back(e);
  }
  return trees;
}

void Check(package::ResEntry e, ReadMode mode) {
  // A copy of exactly its size, so that a read past the end is caught.
  e.data.shrink_to_fit();
  std::vector<uint8_t> laid, again, lenient;
  std::string error;
  if (!package::res::Relayout(e, laid, error, mode)) {
    FUZZ_CHECK(!error.empty());
    return;
  }
  if (mode == ReadMode::kStrict) {
    FUZZ_CHECK(laid == e.data);
    // Dialogs aside: the system reads a last control's odd creation data in a
    // whole word, and a font of size 0x7FFF without its face, as the lenient
    // mode does, so a template the strict mode reads may be one it refuses.
    if (!(e.type == package::ResId::Number(package::kRtDialog)))
      FUZZ_CHECK(package::res::Relayout(e, lenient, error, ReadMode::kLenient));
  }
  e.data = laid;
  FUZZ_CHECK(package::res::Relayout(e, again, error, mode) && again == laid);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<package::ResEntry> trees = TreeResources();
  std::vector<uint8_t> again;
  std::string error;
  if (size < 2) {
    for (const package::ResEntry& e : trees) FUZZ_CHECK(package::res::Relayout(e, again, error) && again == e.data);
    return 0;
  }
  const ReadMode mode = (data[0] & 0x40) ? ReadMode::kLenient : ReadMode::kStrict;
  package::ResEntry e;
  if (data[0] & 0x80) {
    e.type = package::ResId::Number(kKinds[(data[0] & 0x0F) % (sizeof kKinds / sizeof kKinds[0])]);
    e.data.assign(data + 1, data + size);
    Check(e, mode);
    return 0;
  }
  e = trees[data[0] % trees.size()];
  if (data[1] != 255) e.data.resize(data[1] * e.data.size() / 255);
  for (size_t i = 2; i + 3 <= size && !e.data.empty(); i += 3) {
    e.data[(data[i] | (data[i + 1] << 8)) % e.data.size()] = data[i + 2];
  }
  Check(e, mode);
  return 0;
}
