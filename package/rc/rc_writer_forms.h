#pragma once
// The script writer's statements, one function per kind: each turns the
// tree of a resource (rc_layout.h) into the text of the statement that
// builds it, or says why no statement can. `head` is the statement's
// start (name, keyword and memory options), `common` its VERSION and
// CHARACTERISTICS options; each kind places them where its grammar reads
// them. Also the files that ICON, CURSOR and BITMAP statements read, made
// from the resources they become.

#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_layout.h"
#include "package/res/res_file.h"

namespace package {
namespace rc {
namespace writer {

std::string Hex(uint32_t v);
// A resource name or type as the statements read it back: a number, or a
// wide literal (which keeps keywords, blanks, quotes and digits a name).
std::string NameText(const ResId& id);
// The options that turn the flags a statement starts from into `flags`;
// false when no option sequence does (a flag cleared that only sets).
bool MemoryWords(uint16_t defaults, uint16_t flags, std::string& words);

bool DialogText(const DialogTemplate& d, const std::string& head, const std::string& common, std::string& out,
                std::string& why);
bool MenuText(const MenuTemplate& m, const std::string& head, const std::string& common, std::string& out,
              std::string& why);
bool AcceleratorText(const std::vector<Accelerator>& table, const std::string& head, const std::string& common,
                     std::string& out, std::string& why);
// One STRINGTABLE holding block `block` (its strings numbered from (block - 1) * 16);
// `options` are its memory, VERSION and CHARACTERISTICS options.
bool StringTableText(const StringBlock& b, uint16_t block, const std::string& options, std::string& out,
                     std::string& why);
bool VersionText(const VersionNode& root, const std::string& head, const std::string& common, std::string& out,
                 std::string& why);
bool ToolbarText(const ToolbarTemplate& t, const std::string& head, const std::string& common, std::string& out,
                 std::string& why);

// The .ico or .cur file whose ICON or CURSOR statement gives `group`'s
// lines and these images (in the group's order).
std::vector<uint8_t> ImageFile(const ImageGroup& group, const std::vector<const ResEntry*>& images);
// The .bmp file of a bitmap resource: the file header its statement drops.
std::vector<uint8_t> BitmapFile(const std::vector<uint8_t>& dib);

}  // namespace writer
}  // namespace rc
}  // namespace package
