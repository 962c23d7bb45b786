#pragma once
// The record e2e_probe.dll fills inside the program under test.
//
// The driver copies a MenuProbeRecord into the other process, starts a thread
// there at MenuProbeEntry with the record's address, and reads the record back
// when the thread has ended. Plain fixed-size fields only: both sides are the
// same 64-bit build, and nothing here may point into either process.

#include <cstdint>

namespace e2e::probe {

constexpr int kMaxMenuItems = 128;
constexpr int kMaxMenuText = 96;
constexpr int kMaxMenuDepth = 4;
constexpr char kProbeDll[] = "e2e_probe.dll";
constexpr char kMenuEntry[] = "MenuProbeEntry";

struct MenuProbeItem {
  int32_t depth;  // 0 for the menu bar's items, 1 for their popups' items, ...
  uint32_t id;
  uint32_t type;   // MENUITEMINFO fType
  uint32_t state;  // MENUITEMINFO fState
  int32_t isPopup;
  int32_t left, top, right, bottom;  // GetMenuItemRect, for depth 0
  wchar_t text[kMaxMenuText];
};

struct MenuProbeRecord;
// Reads record.window's menu bar in the calling process; fills status and the items.
void ReadMenuRecord(MenuProbeRecord& record);

struct MenuProbeRecord {
  uint64_t window;  // in: the top-level window whose menu bar is read
  int32_t status;   // out: 1 read, 0 no menu, -1 too many items
  int32_t count;    // out: items in pre-order (an item, then its popup's items)
  MenuProbeItem items[kMaxMenuItems];
};

}  // namespace e2e::probe
