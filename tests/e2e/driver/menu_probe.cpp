// Reads a window's live menu bar into a MenuProbeRecord. Runs in the process that
// owns the menu: in the driver when the platform lets menus be read across
// processes, otherwise inside the program under test through e2e_probe.dll.

#include "tests/e2e/driver/menu_probe.h"

#include <windows.h>

namespace e2e::probe {
namespace {

bool AddItems(MenuProbeRecord& record, HWND window, HMENU menu, int depth) {
  int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    if (record.count >= kMaxMenuItems) return false;
    MenuProbeItem& item = record.items[record.count++];
    item = MenuProbeItem{};
    item.depth = depth;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = item.text;
    info.cch = kMaxMenuText - 1;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    item.id = info.wID;
    item.type = info.fType;
    item.state = info.fState;
    item.isPopup = info.hSubMenu != nullptr;
    RECT rect{};
    if (depth == 0 && GetMenuItemRect(window, menu, static_cast<UINT>(position), &rect)) {
      item.left = rect.left;
      item.top = rect.top;
      item.right = rect.right;
      item.bottom = rect.bottom;
    }
    if (info.hSubMenu && depth + 1 < kMaxMenuDepth && !AddItems(record, window, info.hSubMenu, depth + 1)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void ReadMenuRecord(MenuProbeRecord& record) {
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(record.window));
  record.count = 0;
  HMENU bar = GetMenu(window);
  if (!bar || GetMenuItemCount(bar) < 0) {
    record.status = 0;
    return;
  }
  record.status = AddItems(record, window, bar, 0) ? 1 : -1;
}

}  // namespace e2e::probe
