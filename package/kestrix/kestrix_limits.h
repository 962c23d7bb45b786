#pragma once
// What a preview takes of a dialog or menu template: each is read as the
// system reads it (the format layer's lenient reader) and checked against
// bounds the program can answer within a second: more controls are left
// out; more menu items, or deeper menus, are refused. Plain code: the tests
// and the start benchmark use it too.

#include <cstddef>
#include <string>

#include "package/res/res_bytes.h"
#include "package/res/res_trees.h"

namespace kestrix {

constexpr size_t kMaxDialogControls = 500;
constexpr size_t kMaxMenuItems = 1000;
constexpr int kMaxMenuDepth = 16;

// Reads a DIALOG or DIALOGEX template, every declared control, and keeps the
// first kMaxDialogControls; *declared is how many the template holds. False
// with *reason when it is malformed.
bool ReadPreviewDialog(package::res::ByteSpan data, package::res::DialogTemplate* dialog, size_t* declared,
                       std::wstring* reason);

// Reads a MENU or MENUEX template in full; false with *reason when it is
// malformed, nests deeper than kMaxMenuDepth or holds more than kMaxMenuItems
// items.
bool CheckPreviewMenu(package::res::ByteSpan data, std::wstring* reason);

}  // namespace kestrix
