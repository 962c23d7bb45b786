#pragma once
// Menus and accelerator tables from the module's bytes. Each template is
// walked in full before the system sees it, so a malformed one is refused
// with a reason instead of being read past its end.

#include <windows.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_resources.h"

namespace kestrix {

// The template's own command: File > Exit on the menu the template shows
// when the module has no menu of its own.
constexpr UINT kOwnExitCommand = 0xFF01;

// Walks a menu template as the system would read it; false with *reason.
bool CheckMenu(const Resource& menu, std::wstring* reason);
// A menu (MENU or MENUEX layout) from a resource; nullptr with *reason set
// when the bytes are malformed or the system refuses them.
HMENU LoadMenuResource(const Resource& menu, std::wstring* reason);
// The template's own small menu.
HMENU OwnMenu();
// The text of the item with that command anywhere in the menu ("" if none).
std::wstring MenuText(HMENU menu, UINT command);

// The entries of an accelerator table; false with *reason when malformed.
bool ReadAccelerators(const Resource& table, std::vector<ACCEL>* entries, std::wstring* reason);
// "Ctrl+N", "Alt+a", "F1", "Ins": the key of one entry as a person reads it.
std::wstring DescribeKey(const ACCEL& entry);

}  // namespace kestrix
