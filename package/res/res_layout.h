#pragma once
// The one place that writes the bytes of the resources held as trees
// (res_trees.h): menus, dialogs, version records, string blocks, accelerator
// tables, icon and cursor groups, toolbars and font directories. The
// compiler's statements
// build trees and hand them here; the template application writes the
// dialog it gives the system here too.

#include <cstdint>
#include <vector>

#include "package/res/res_bytes.h"
#include "package/res/res_trees.h"

namespace package {
namespace res {

// A version record's root: VS_VERSION_INFO with the fixed information as
// its binary value; the statement's blocks become its children.
VersionNode VersionRoot(const uint32_t (&fixed)[kFixedInfoWords]);

// A MENU or MENUEX resource: its header, then its items.
std::vector<uint8_t> LayoutMenu(const MenuTemplate& m);

// A MENU's items: flags, id (none for a pop-up) and text; the last item of
// each level is flagged.
void LayoutMenuItems(Writer& w, const std::vector<MenuItem>& items);

// A MENUEX's items: type, state, id, a word of flags (0x01 opens a menu,
// 0x80 ends its level) and the text, starting on a double word; a pop-up's
// help id follows its text on a double word, then its items.
void LayoutMenuExItems(Writer& w, const std::vector<MenuItem>& items);

// A DIALOG or DIALOGEX template: the header, then each control on a double word.
std::vector<uint8_t> LayoutDialog(const DialogTemplate& d);

// A version record: length, value length, type, key, value and children,
// each on a double word; the length is patched in at the end.
void LayoutVersionNode(Writer& w, const VersionNode& n);

// Each string after its length in characters; absent ones are empty.
std::vector<uint8_t> LayoutStringBlock(const StringBlock& b);

// Eight bytes an accelerator: flags (0x80 on the last), key, id and a
// word of padding.
std::vector<uint8_t> LayoutAccelerators(const std::vector<Accelerator>& table);

// A reserved word of 0, the kind (1 icons, 2 cursors), the count, then a
// line of 14 bytes for each image.
std::vector<uint8_t> LayoutImageGroup(const ImageGroup& g);

// A version word of 1, the width and height, the count, then each button's
// id, as the class library reads it.
std::vector<uint8_t> LayoutToolbar(const ToolbarTemplate& t);

// The number of fonts, then for each its number, its header and its device
// and face names, each ending in a zero byte.
std::vector<uint8_t> LayoutFontDirectory(const FontDirectory& d);

}  // namespace res
}  // namespace package
