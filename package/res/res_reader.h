#pragma once
// Reads the bytes of menus, dialogs, version records, string blocks,
// accelerator tables, icon and cursor groups, toolbars and font directories
// into the trees of
// res_trees.h. Any bytes are safe to give: every read is bounded by the data,
// nesting is bounded, and a fault is reported with its offset.
//
// Two modes. The lenient one reads every form the system reads (padding the
// data lacks at its end, bytes after a resource, a MENUEX header of another
// size, unknown MENUEX item flags and version value types, a dialog font of
// size 0x7FFF with nothing after it, an accelerator's padding that is not 0, a
// version text's length counted in bytes, an icon group that lists fewer
// images than it declares): the template application previews with it. The
// strict one refuses every form the layout would not write back byte for
// byte, and Relayout uses it.

#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_bytes.h"
#include "package/res/res_file.h"
#include "package/res/res_trees.h"

namespace package {
namespace res {

enum class ReadMode { kStrict, kLenient };

// What the fault says when menus or version blocks nest deeper than
// kMaxNesting, for callers that answer that fault apart.
constexpr const char* kNestedTooDeeply = "nested too deeply";

// A menu that does not read leaves the items read whole before the fault.
bool ReadMenu(ByteSpan data, MenuTemplate& out, std::string& error, ReadMode mode = ReadMode::kStrict);
// A dialog that does not read leaves the controls read, the faulty one last.
bool ReadDialog(ByteSpan data, DialogTemplate& out, std::string& error, ReadMode mode = ReadMode::kStrict);
// The root VS_VERSION_INFO node, its fixed information as its value.
bool ReadVersionInfo(ByteSpan data, VersionNode& out, std::string& error, ReadMode mode = ReadMode::kStrict);
// The root's fixed information as double words (VersionRoot's inverse);
// false when its value is not that size.
bool ReadFixedInfo(const VersionNode& root, uint32_t (&fixed)[kFixedInfoWords]);
bool ReadStringBlock(ByteSpan data, StringBlock& out, std::string& error, ReadMode mode = ReadMode::kStrict);
// On a fault, `out` holds the entries read whole before it.
bool ReadAccelerators(ByteSpan data, std::vector<Accelerator>& out, std::string& error,
                      ReadMode mode = ReadMode::kStrict);
bool ReadImageGroup(ByteSpan data, ImageGroup& out, std::string& error, ReadMode mode = ReadMode::kStrict);
bool ReadToolbar(ByteSpan data, ToolbarTemplate& out, std::string& error, ReadMode mode = ReadMode::kStrict);
bool ReadFontDirectory(ByteSpan data, FontDirectory& out, std::string& error, ReadMode mode = ReadMode::kStrict);

// Whether resources of this type are read into a tree (the others are bytes
// the layout does not shape: data, bitmaps, icon and cursor images, fonts).
bool HasLayoutTree(const ResId& type);

// Reads an entry's data into the tree of its type and lays the tree out again
// into `out`: in the strict mode, the same bytes. False, with the reason, when
// it does not read.
bool Relayout(const ResEntry& entry, std::vector<uint8_t>& out, std::string& error,
              ReadMode mode = ReadMode::kStrict);

}  // namespace res
}  // namespace package
