// Dialog and menu templates read for a preview and held to its bounds.

#include "package/kestrix/kestrix_limits.h"

#include <cwchar>

#include "package/res/res_reader.h"

namespace kestrix {
namespace {

using namespace package::res;  // NOLINT(google-build-using-namespace)

bool Refuse(std::wstring* reason, const std::wstring& why) {
  *reason = why;
  return false;
}

std::wstring Numbered(const wchar_t* what, size_t n, const wchar_t* tail) {
  wchar_t line[96];
  swprintf(line, sizeof line / sizeof line[0], L"%ls %u%ls", what, static_cast<unsigned>(n), tail);
  return line;
}

// The items of a level and below, and the deepest level reached (the top is 0).
void Measure(const std::vector<MenuItem>& items, int depth, size_t* count, int* deepest) {
  if (!items.empty() && depth > *deepest) *deepest = depth;
  for (const MenuItem& m : items) {
    ++*count;
    Measure(m.children, depth + 1, count, deepest);
  }
}

}  // namespace

bool ReadPreviewDialog(ByteSpan data, DialogTemplate* d, size_t* declared, std::wstring* reason) {
  std::string error;
  *declared = 0;
  if (!ReadDialog(data, *d, error, ReadMode::kLenient)) {
    // The control that failed is the last one read.
    if (d->controls.empty()) return Refuse(reason, L"the dialog template is malformed (its header runs past its end)");
    return Refuse(reason, L"the dialog template is malformed (" +
                              Numbered(L"control", d->controls.size(), L" runs past its end)"));
  }
  *declared = d->controls.size();
  if (d->controls.size() > kMaxDialogControls) d->controls.resize(kMaxDialogControls);
  return true;
}

bool CheckPreviewMenu(ByteSpan data, std::wstring* reason) {
  ByteReader header(data);
  uint16_t version = 0, offset = 0;
  if (!header.Word(version) || !header.Word(offset)) return Refuse(reason, L"the menu template is shorter than its header");
  if (!(version == 0 && offset == 0) && version != 1) return Refuse(reason, L"the menu template has an unknown version");
  MenuTemplate menu;
  std::string error;
  const bool read = ReadMenu(data, menu, error, ReadMode::kLenient);
  size_t items = 0;
  int depth = 0;
  Measure(menu.items, 0, &items, &depth);
  if ((!read && error.find(kNestedTooDeeply) != std::string::npos) || depth > kMaxMenuDepth)
    return Refuse(reason, Numbered(L"the menu nests deeper than", kMaxMenuDepth, L" levels"));
  if (items > kMaxMenuItems)
    return Refuse(reason, Numbered(L"the menu holds more items than the", kMaxMenuItems, L" a preview takes"));
  if (!read) return Refuse(reason, L"the menu template is malformed (an item runs past its end)");
  return true;
}

}  // namespace kestrix
