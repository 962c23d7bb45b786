#pragma once
// The trees of the resources the package lays out and reads back: menus
// (MENU and MENUEX), dialogs (DIALOG and DIALOGEX), version records, string
// blocks, accelerator tables, icon and cursor groups, toolbars and font
// directories, and the
// system's constants their fields hold. The compiler builds these trees,
// res_layout.h writes their bytes, res_reader.h reads bytes back into them.

#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {
namespace res {

// Deeper menus or version blocks than any real script has are refused
// rather than recursed into.
constexpr int kMaxNesting = 32;

// Window and dialog styles the layout and its users need by value (the
// template application checks them against the system's headers).
constexpr uint32_t kWsPopup = 0x80000000;
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsDisabled = 0x08000000;
constexpr uint32_t kWsCaption = 0x00C00000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kDsSetFont = 0x0040;  // the template holds a font
// A font size that means the system's message font.
constexpr uint16_t kMessageFontSize = 0x7FFF;

// The predefined window classes a dialog template names by number.
constexpr uint16_t kAtomButton = 0x80;
constexpr uint16_t kAtomEdit = 0x81;
constexpr uint16_t kAtomStatic = 0x82;
constexpr uint16_t kAtomListBox = 0x83;
constexpr uint16_t kAtomScrollBar = 0x84;
constexpr uint16_t kAtomComboBox = 0x85;

// A MENU item's flags: it opens a pop-up; it is the last of its level. A
// MENUEX item's word of flags: it opens a pop-up; the same last-item bit.
constexpr uint16_t kMfPopup = 0x0010;
constexpr uint16_t kMfEnd = 0x0080;
constexpr uint16_t kMenuExPopup = 0x0001;

// The last entry of an accelerator table.
constexpr uint16_t kAcceleratorLast = 0x0080;

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

struct DialogTemplate {
  bool extended = false;  // DIALOGEX
  uint32_t helpId = 0, style = 0, exStyle = 0;
  DialogControl frame;    // its rectangle
  bool hasMenu = false, hasClass = false;
  ResId menu, windowClass;
  std::u16string caption, face;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 1;
  // A font size of 0x7FFF alone: the system's message font, with no weight,
  // italic, charset or face after it (read so only in the lenient mode).
  bool messageFont = false;
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

// One font of a font directory: its resource number, the first bytes of its
// .fnt header that the directory repeats, and its device and face names.
struct FontDirEntry {
  uint16_t number = 0;
  std::vector<uint8_t> header;  // kFontDirHeaderSize bytes
  std::string device, face;
};

// The .fnt header up to its device and face name offsets, and the reserved
// double word after them, is what the font directory repeats of each font.
constexpr size_t kFontDirHeaderSize = 113;

// FONTDIR: the fonts a script binds, in order.
struct FontDirectory {
  std::vector<FontDirEntry> fonts;
};

// VS_FIXEDFILEINFO as double words: signature, structure version, then the
// file and product versions, flags mask, flags, OS, type and subtype.
constexpr size_t kFixedInfoWords = 13;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;

}  // namespace res
}  // namespace package
