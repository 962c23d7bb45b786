#pragma once
// Dialog and menu templates as plain bytes: walking them exactly as the
// system reads them (word-aligned MENUEX texts, creation data in whole words,
// DWORD-aligned controls) within bounds a preview can answer in, and writing
// a dialog back as the extended template the system is given. No system
// headers: the walkers also build and fuzz on the host.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/kestrix/kestrix_bytes.h"

namespace kestrix {

// What a preview takes: more controls or menu items are left out (or the
// menu refused) so that the program answers within a second; deeper menus
// are refused.
constexpr size_t kMaxDialogControls = 500;
constexpr size_t kMaxMenuItems = 1000;
constexpr int kMaxMenuDepth = 16;

// The window styles the walkers and stand-ins need by value.
constexpr uint32_t kStyleChild = 0x40000000;     // WS_CHILD
constexpr uint32_t kStylePopup = 0x80000000;     // WS_POPUP
constexpr uint32_t kStyleVisible = 0x10000000;   // WS_VISIBLE
constexpr uint32_t kStyleDisabled = 0x08000000;  // WS_DISABLED
constexpr uint32_t kStyleControl = 0x0400;       // DS_CONTROL
constexpr uint32_t kStyleSetFont = 0x0040;       // DS_SETFONT
constexpr uint32_t kStyleShellFont = 0x0048;     // DS_SHELLFONT: DS_SETFONT | DS_FIXEDSYS

struct DialogControl {
  uint32_t helpId = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;  // a word in the plain layout
  ResName cls;
  ResName text;
  std::vector<uint8_t> data;  // creation data
};

struct DialogTemplate {
  bool extended = false;
  uint32_t helpId = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  ResName menu;
  ResName cls;
  std::wstring caption;
  uint16_t pointSize = 0;  // with DS_SETFONT
  uint16_t weight = 0;
  uint8_t italic = 0;
  uint8_t charset = 0;
  std::wstring face;
  size_t declared = 0;  // the controls the header promises
  std::vector<DialogControl> controls;  // the first kMaxDialogControls of them
};

// Walks a DIALOG or DIALOGEX template; false with *reason when it is
// malformed. Every declared control is walked; only the first
// kMaxDialogControls are kept.
bool WalkDialog(const uint8_t* data, size_t size, DialogTemplate* dialog, std::wstring* reason);

// The template as the extended layout, each text zero-terminated, each
// control DWORD-aligned, creation data padded to whole words.
std::vector<uint8_t> WriteDialog(const DialogTemplate& dialog);

struct MenuShape {
  bool extended = false;
  size_t items = 0;
  int depth = 0;  // the deepest pop-up level reached
};

// Walks a MENU or MENUEX template in full; false with *reason when it is
// malformed, nests deeper than kMaxMenuDepth or holds more than
// kMaxMenuItems items.
bool WalkMenu(const uint8_t* data, size_t size, MenuShape* shape, std::wstring* reason);

}  // namespace kestrix
