#pragma once
// The layout of resources in a .res file: the trees that menu, dialog,
// version, string table, accelerator, icon, cursor and toolbar statements
// build (MenuTemplate with its MenuItems, DialogTemplate with its
// DialogControls, VersionNode, StringBlock, Accelerator, ImageGroup,
// ToolbarTemplate), and the one place that writes their binary form. The statements read scripts; they lay out no bytes of these
// resources. rc_layout_reader.h reads the same bytes back into these trees.

#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {
namespace rc {

class Writer {
 public:
  std::vector<uint8_t> bytes;

  void Byte(uint8_t v) { bytes.push_back(v); }
  void Word(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v & 0xFFFF));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  // A number or a name, as dialog templates hold their menu, class and texts.
  void NameOrOrdinal(const ResId& id) {
    if (id.numeric) {
      Word(0xFFFF);
      Word(id.number);
    } else {
      Text(id.text);
    }
  }
  void Align4() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  void PatchWord(size_t at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
  }
};

struct MenuItem {
  bool popup = false;
  uint16_t flags = 0;  // MENU: its options
  uint32_t id = 0;
  uint32_t type = 0, state = 0, helpId = 0;  // MENUEX: MFT_*, MFS_* and the pop-up's help id
  std::u16string text;
  std::vector<MenuItem> children;
};

struct MenuTemplate {
  bool extended = false;  // MENUEX
  uint32_t helpId = 0;    // MENUEX: the menu's own help id
  std::vector<MenuItem> items;
};

struct DialogControl {
  ResId text = ResId::Text(u"");
  uint32_t id = 0;
  ResId windowClass;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t helpId = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::vector<uint8_t> creationData;  // handed to the control when it is made
};

struct VersionNode {
  std::u16string key;
  uint16_t type = 1;  // 1 text, 0 binary
  uint16_t valueLength = 0;
  std::vector<uint8_t> value;
  std::vector<VersionNode> children;
};

// DS_SETFONT: the template holds a font.
constexpr uint32_t kDsSetFont = 0x0040;

struct DialogTemplate {
  bool extended = false;  // DIALOGEX
  uint32_t helpId = 0, style = 0, exStyle = 0;
  DialogControl frame;    // its rectangle
  bool hasMenu = false, hasClass = false;
  ResId menu, windowClass;
  std::u16string caption, face;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 1;
  std::vector<DialogControl> controls;
};

// Sixteen strings of a string table, numbered (block - 1) * 16 + index;
// an absent string is an empty one.
struct StringBlock {
  std::u16string text[16];
  bool present[16] = {};
};

struct Accelerator {
  uint16_t flags = 0;  // VIRTKEY 0x01, NOINVERT 0x02, SHIFT 0x04, CONTROL 0x08, ALT 0x10
  uint16_t key = 0;
  uint16_t id = 0;
};

// The types of the groups and toolbars laid out here (the others are in res_file.h).
constexpr uint16_t kRtGroupCursor = 12;
constexpr uint16_t kRtToolbar = 241;

// One line of an icon or cursor group: an icon's width, height, colour count
// and reserved byte, or a cursor's width and height as words; then planes,
// bit count, the image's size and its resource number.
struct GroupImage {
  uint16_t width = 0, height = 0;
  uint8_t colors = 0, reserved = 0;  // icons only
  uint16_t planes = 0, bitCount = 0;
  uint32_t bytes = 0;
  uint16_t id = 0;
};

// An ICON's or CURSOR's group: the images the file held, each its own resource.
struct ImageGroup {
  bool cursor = false;
  std::vector<GroupImage> images;
};

// A toolbar: its buttons' width and height, and their ids (0 for a separator).
struct ToolbarTemplate {
  uint16_t width = 0, height = 0;
  std::vector<uint16_t> buttons;
};

// VS_FIXEDFILEINFO as double words: signature, structure version, then the
// file and product versions, flags mask, flags, OS, type and subtype.
constexpr size_t kFixedInfoWords = 13;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;

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

}  // namespace rc
}  // namespace package
