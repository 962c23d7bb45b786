// Menu templates and accelerator tables, checked before they are used.

#include "package/kestrix/kestrix_menu.h"

#include <cstring>
#include <cwchar>

#include "package/kestrix/kestrix_limits.h"
#include "package/res/res_reader.h"

namespace kestrix {
namespace {

bool FindText(HMENU menu, UINT command, std::wstring* text, int depth) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && depth <= kMaxMenuDepth; ++i) {
    if (HMENU popup = GetSubMenu(menu, i)) {
      if (FindText(popup, command, text, depth + 1)) return true;
      continue;
    }
    if (GetMenuItemID(menu, i) != command) continue;
    wchar_t buffer[256] = L"";
    GetMenuStringW(menu, i, buffer, sizeof buffer / sizeof buffer[0], MF_BYPOSITION);
    *text = buffer;
    return true;
  }
  return false;
}

}  // namespace

bool CheckMenu(const Resource& menu, std::wstring* reason) {
  if (!menu.data) return *reason = L"the menu cannot be loaded", false;
  return CheckPreviewMenu(menu.Bytes(), reason);
}

HMENU LoadMenuResource(const Resource& menu, std::wstring* reason) {
  if (!CheckMenu(menu, reason)) return nullptr;
  // A copy on a DWORD boundary: the system aligns MENUEX items to the
  // address, the walk to the start of the template.
  std::vector<uint32_t> aligned((menu.size + 3) / 4);
  if (menu.size) memcpy(aligned.data(), menu.data, menu.size);
  HMENU loaded = LoadMenuIndirectW(aligned.data());
  if (!loaded) *reason = L"the system refused the menu template";
  return loaded;
}

HMENU OwnMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kOwnExitCommand, L"E&xit");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  return bar;
}

std::wstring MenuText(HMENU menu, UINT command) {
  std::wstring text;
  if (menu) FindText(menu, command, &text, 0);
  return text;
}

bool ReadAccelerators(const Resource& table, std::vector<ACCEL>* entries, std::wstring* reason) {
  std::vector<package::res::Accelerator> read;
  std::string error;
  const bool whole = package::res::ReadAccelerators(table.Bytes(), read, error, package::res::ReadMode::kLenient);
  entries->clear();
  for (const package::res::Accelerator& a : read) entries->push_back(ACCEL{static_cast<BYTE>(a.flags & 0x7F), a.key, a.id});
  if (!whole) *reason = entries->empty() ? L"the accelerator table is empty" : L"the accelerator table has no last entry";
  return whole;
}

std::wstring DescribeKey(const ACCEL& entry) {
  std::wstring text;
  if (entry.fVirt & FCONTROL) text += L"Ctrl+";
  if (entry.fVirt & FSHIFT) text += L"Shift+";
  if (entry.fVirt & FALT) text += L"Alt+";
  const WORD key = entry.key;
  wchar_t out[32];
  if (!(entry.fVirt & FVIRTKEY)) {
    if (key < 0x20)
      swprintf(out, 32, L"^%lc", static_cast<wchar_t>(key + L'@'));
    else
      swprintf(out, 32, L"\"%lc\"", static_cast<wchar_t>(key));
    return text + out;
  }
  static const struct {
    WORD key;
    const wchar_t* name;
  } kNames[] = {{VK_BACK, L"Backspace"}, {VK_TAB, L"Tab"},    {VK_RETURN, L"Enter"}, {VK_ESCAPE, L"Esc"},
                {VK_SPACE, L"Space"},    {VK_PRIOR, L"PgUp"}, {VK_NEXT, L"PgDn"},    {VK_END, L"End"},
                {VK_HOME, L"Home"},      {VK_LEFT, L"Left"},  {VK_UP, L"Up"},        {VK_RIGHT, L"Right"},
                {VK_DOWN, L"Down"},      {VK_INSERT, L"Ins"}, {VK_DELETE, L"Del"}};
  for (const auto& n : kNames) {
    if (n.key == key) return text + n.name;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    swprintf(out, 32, L"%lc", static_cast<wchar_t>(key));
  else if (key >= VK_F1 && key <= VK_F24)
    swprintf(out, 32, L"F%u", key - VK_F1 + 1u);
  else
    swprintf(out, 32, L"VK 0x%02X", key);
  return text + out;
}

}  // namespace kestrix
