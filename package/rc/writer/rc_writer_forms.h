#pragma once
// The script writer's statements, one function per kind: each turns the
// tree of a resource (res_trees.h) into the text of the statement that
// builds it, or says why no statement can. `head` is the statement's
// start (name, keyword and memory options), `common` its VERSION and
// CHARACTERISTICS options; each kind places them where its grammar reads
// them. Also the files that ICON, CURSOR and BITMAP statements read, made
// from the resources they become.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "package/res/res_layout.h"
#include "package/res/res_file.h"

namespace package {
namespace rc {
namespace writer {

using namespace res;  // NOLINT(google-build-using-namespace): the trees the statements are written from

// What the driver asks of every resource (rc_writer_kinds.cpp).

constexpr uint16_t kDefault = kMemMoveable | kMemPure;

// The keyword of a resource's statement, the memory flags it starts from,
// and the extension of its side file.
struct Kind {
  const char* word;  // null: no statement of its own
  uint16_t defaults;
  const char* extension;
};
Kind KindOf(const ResEntry& e);
// The extension of the side file of a resource written as data: its kind's
// where the resource's bytes are that file as it stands (fonts, HTML,
// manifests), "bin" where the statement would have made them from a file
// of another form (images, groups, bitmaps without their file header).
const char* DataExtension(const ResEntry& e);

inline bool IsType(const ResEntry& e, uint16_t type) { return e.type.numeric && e.type.number == type; }
inline bool SameKey(const ResEntry& a, const ResEntry& b) {
  return a.type == b.type && a.name == b.name && a.language == b.language;
}
// Type, name and language as one text, to find a resource by.
std::string KeyOf(const ResId& type, const ResId& name, uint16_t language);
inline std::string KeyOf(const ResEntry& e) { return KeyOf(e.type, e.name, e.language); }
// Where each resource of `entries` is, by its key (the first of duplicates).
std::unordered_map<std::string, size_t> IndexOf(const std::vector<ResEntry>& entries);
std::string Describe(const ResEntry& e);
// Why `got` is not `want`, or empty when it is the same resource.
std::string Difference(const ResEntry& want, const ResEntry& got);

// A name or type given by text: the bare word where a statement reads it
// back as that text (it keeps two names in a row from joining as literals
// do), a literal otherwise.
std::string WordOrLiteral(const ResId& id);
// A file name part: letters, digits, '-' and '_' kept, the rest '_'.
std::string FilePart(const std::string& s);
std::string Lower(std::string s);

// Whether `made`, what an ICON or CURSOR statement alone made (its images
// numbered from 1), is `group` with `images`, the group's numbers aside.
bool SameImageStatement(const ResEntry& group, const ImageGroup& lines, const std::vector<const ResEntry*>& images,
                        const std::vector<ResEntry>& made, std::string& why);

// The statements.

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

// Bytes as Resource Workshop's quoted hexadecimal data: BEGIN, lines of
// 32 quoted pairs, END.
std::string HexBlock(const std::vector<uint8_t>& bytes);

}  // namespace writer
}  // namespace rc
}  // namespace package
