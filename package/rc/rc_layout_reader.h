#pragma once
// Reads the bytes of menus, dialogs, version records, string tables,
// accelerator tables, icon and cursor groups and toolbars back into the
// trees of rc_layout.h, so that a resource
// can be read and laid out again. Any bytes are safe to give: every read is
// bounded by the data, nesting is bounded, and a form these trees cannot hold
// (a header size the layout never writes, bytes left over) is refused with
// the offset where it was found.

#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_layout.h"
#include "package/res/res_file.h"

namespace package {
namespace rc {

bool ReadMenu(const std::vector<uint8_t>& data, MenuTemplate& out, std::string& error);
bool ReadDialog(const std::vector<uint8_t>& data, DialogTemplate& out, std::string& error);
// The root VS_VERSION_INFO node, its fixed information as its value.
bool ReadVersionInfo(const std::vector<uint8_t>& data, VersionNode& out, std::string& error);
bool ReadStringBlock(const std::vector<uint8_t>& data, StringBlock& out, std::string& error);
bool ReadAccelerators(const std::vector<uint8_t>& data, std::vector<Accelerator>& out, std::string& error);
bool ReadImageGroup(const std::vector<uint8_t>& data, ImageGroup& out, std::string& error);
bool ReadToolbar(const std::vector<uint8_t>& data, ToolbarTemplate& out, std::string& error);

// Whether resources of this type are read into a tree (the others are bytes
// the layout module does not shape: data, bitmaps, icon and cursor images,
// fonts and the font directory).
bool HasLayoutTree(const ResId& type);

// Reads an entry's data into the tree of its type and lays the tree out
// again into `out`. False, with the reason, when the data does not read.
bool Relayout(const ResEntry& entry, std::vector<uint8_t>& out, std::string& error);

}  // namespace rc
}  // namespace package
