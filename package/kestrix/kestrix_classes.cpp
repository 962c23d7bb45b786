// The common-control groups and rich-edit libraries behind the classes a
// template names, made ready on first need.

#include "package/kestrix/kestrix_classes.h"

#include <commctrl.h>

#include "package/kestrix/kestrix_names.h"

namespace kestrix {
namespace {

const struct {
  const wchar_t* cls;
  DWORD group;
} kCommonControls[] = {
    {L"SysListView32", ICC_LISTVIEW_CLASSES},   {L"SysHeader32", ICC_LISTVIEW_CLASSES},
    {L"SysTreeView32", ICC_TREEVIEW_CLASSES},   {L"ToolbarWindow32", ICC_BAR_CLASSES},
    {L"msctls_statusbar32", ICC_BAR_CLASSES},   {L"msctls_trackbar32", ICC_BAR_CLASSES},
    {L"tooltips_class32", ICC_BAR_CLASSES},     {L"SysTabControl32", ICC_TAB_CLASSES},
    {L"msctls_updown32", ICC_UPDOWN_CLASS},     {L"msctls_progress32", ICC_PROGRESS_CLASS},
    {L"msctls_hotkey32", ICC_HOTKEY_CLASS},     {L"SysAnimate32", ICC_ANIMATE_CLASS},
    {L"SysDateTimePick32", ICC_DATE_CLASSES},   {L"SysMonthCal32", ICC_DATE_CLASSES},
    {L"ComboBoxEx32", ICC_USEREX_CLASSES},      {L"ReBarWindow32", ICC_COOL_CLASSES},
    {L"SysIPAddress32", ICC_INTERNET_CLASSES},  {L"SysPager", ICC_PAGESCROLLER_CLASS},
    {L"NativeFontCtl", ICC_NATIVEFNTCTL_CLASS}, {L"SysLink", ICC_LINK_CLASS},
};

const struct {
  const wchar_t* cls;
  const wchar_t* library;
} kRichEdits[] = {
    {L"RICHEDIT50W", L"msftedit.dll"},
    {L"RichEdit20W", L"riched20.dll"},
    {L"RichEdit20A", L"riched20.dll"},
    {L"RichEdit", L"riched32.dll"},
};

DWORD g_registeredGroups = 0;
bool g_loaded[sizeof kRichEdits / sizeof kRichEdits[0]] = {};

}  // namespace

void PrepareControlClasses(const package::res::DialogTemplate& dialog) {
  for (const package::res::DialogControl& c : dialog.controls) {
    if (c.windowClass.numeric) continue;
    // One group at a time, so that a group this system lacks keeps no other out.
    for (const auto& common : kCommonControls) {
      if (!IsText(c.windowClass, common.cls) || (g_registeredGroups & common.group)) continue;
      INITCOMMONCONTROLSEX controls = {sizeof controls, common.group};
      InitCommonControlsEx(&controls);
      g_registeredGroups |= common.group;
    }
    for (size_t i = 0; i < sizeof kRichEdits / sizeof kRichEdits[0]; ++i) {
      if (g_loaded[i] || !IsText(c.windowClass, kRichEdits[i].cls)) continue;
      LoadLibraryW(kRichEdits[i].library);
      g_loaded[i] = true;
    }
  }
}

}  // namespace kestrix
