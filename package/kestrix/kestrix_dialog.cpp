// Walking dialog templates, rewriting them into what a preview can host, and
// opening them: modally, or a page inside a frame of its own.

#include "package/kestrix/kestrix_dialog.h"

#include <cwchar>

#include "package/kestrix/kestrix_classes.h"
#include "package/kestrix/kestrix_controls.h"
#include "package/kestrix/kestrix_placeholder.h"
#include "package/kestrix/kestrix_ids.h"
#include "package/kestrix/kestrix_menu.h"
#include "package/kestrix/kestrix_limits.h"
#include "package/res/res_layout.h"
#include "platform/win32/display_scale.h"

namespace kestrix {
namespace {

using package::res::DialogControl;
using package::res::DialogTemplate;

static_assert(package::res::kWsPopup == WS_POPUP && package::res::kWsChild == WS_CHILD &&
                  package::res::kWsVisible == WS_VISIBLE && package::res::kWsDisabled == WS_DISABLED &&
                  package::res::kWsCaption == WS_CAPTION && package::res::kWsBorder == WS_BORDER &&
                  package::res::kWsSysMenu == WS_SYSMENU && package::res::kWsGroup == WS_GROUP &&
                  package::res::kWsTabStop == WS_TABSTOP && package::res::kDsSetFont == DS_SETFONT,
              "the format layer's styles are the system's");
static_assert(package::res::kMfPopup == MF_POPUP && package::res::kMfEnd == MF_END,
              "the format layer's menu flags are the system's");

// Styles a preview never takes from a template: a disabled or minimised
// window cannot be used, and a page is a child of its frame.
constexpr DWORD kUnusable = WS_DISABLED | WS_MINIMIZE;
constexpr DWORD kPageFrameStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// The system's and the common controls' classes a preview may host; any
// other class, the system's internal ones and ours included, is stood in for.
const wchar_t* const kHostedClasses[] = {
    L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox", L"SysListView32", L"SysTreeView32",
    L"SysHeader32", L"msctls_progress32", L"msctls_trackbar32", L"msctls_updown32", L"msctls_hotkey32",
    L"SysTabControl32", L"SysAnimate32", L"SysDateTimePick32", L"SysMonthCal32", L"SysIPAddress32",
    L"ComboBoxEx32", L"ReBarWindow32", L"ToolbarWindow32", L"msctls_statusbar32", L"SysPager", L"SysLink",
    L"NativeFontCtl", L"RichEdit", L"RichEdit20A", L"RichEdit20W", L"RICHEDIT50W"};

struct Preview {
  std::wstring label;
  StatusSink sink = nullptr;
  bool page = false;
  std::vector<std::wstring> placeholders;  // the class each placeholder stands in for, in order
};

// What a template becomes for the system, and what the status line says of it.
struct Prepared {
  std::vector<uint8_t> bytes;
  Preview preview;
  std::wstring notes;
};

HWND g_pageFrame = nullptr;
HWND g_page = nullptr;

bool Registered(const std::wstring& name) {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof info;
  return GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &info) ||
         GetClassInfoExW(nullptr, name.c_str(), &info);
}

bool Hosted(const ResId& cls) {
  if (cls.numeric) return cls.number >= package::res::kAtomButton && cls.number <= package::res::kAtomComboBox;
  for (const wchar_t* name : kHostedClasses) {
    if (IsText(cls, name)) return Registered(Wide(cls.text));
  }
  return false;
}

// A menu or class in a dialog's header: absent, or the ordinal 0, is none.
bool Named(bool present, const ResId& id) { return present && !IsNumber(id, 0); }

void Note(std::wstring* notes, const std::wstring& note) {
  if (!notes->empty()) *notes += L"; ";
  *notes += note;
}

// The menu a dialog names must pass the menu check in every language bound.
bool CheckDialogMenu(const std::vector<Resource>& all, const ResId& menu, std::wstring* reason) {
  bool found = false;
  for (const Resource& r : all) {
    if (!r.IsType(RT_MENU) || !SameName(r.name, menu)) continue;
    found = true;
    std::wstring why;
    if (!CheckMenu(r, &why)) return *reason = L"its menu " + Describe(menu, false) + L" cannot be used: " + why, false;
  }
  if (!found) *reason = L"its menu " + Describe(menu, false) + L" is missing";
  return found;
}

// The dialog's own class: the standard one, BorDlg's stand-in (for every
// class derived from it, whose names begin "bordlg" in any case: BorDlg_Gray,
// an application's own), or the standard one in place of any other.
void ChooseDialogClass(DialogTemplate* d, std::wstring* notes) {
  d->hasClass = Named(d->hasClass, d->windowClass);
  if (!d->hasClass || IsText(d->windowClass, L"#32770")) return;
  const ResId& cls = d->windowClass;
  if (!cls.numeric && _wcsnicmp(Wide(cls.text).c_str(), kBorlandDialogClass, wcslen(kBorlandDialogClass)) == 0) {
    d->windowClass = ResId::Text(Utf16(kBorlandDialogClass));
    return;
  }
  Note(notes, L"shown with the standard dialog class for " + Describe(cls, false));
  d->hasClass = false;
}

void ChooseControlClasses(DialogTemplate* d, Prepared* out) {
  std::wstring stood;
  for (DialogControl& c : d->controls) {
    c.style = (c.style & ~WS_POPUP) | WS_CHILD;
    if (!c.windowClass.numeric) {
      if (const wchar_t* borland = BorlandControl(Wide(c.windowClass.text), &c.style)) {
        c.windowClass = ResId::Text(Utf16(borland));
        continue;
      }
    }
    if (Hosted(c.windowClass)) continue;
    const std::wstring name = Describe(c.windowClass, false);
    out->preview.placeholders.push_back(name);
    if ((L", " + stood + L", ").find(L", " + name + L", ") == std::wstring::npos) stood += (stood.empty() ? L"" : L", ") + name;
    c.windowClass = ResId::Text(Utf16(kPlaceholderClass));
    c.style &= 0xFFFF0000u;  // the class's own bits mean nothing to the placeholder
    c.creationData.clear();
  }
  if (!stood.empty()) Note(&out->notes, L"shown with placeholders for " + stood);
}

bool Prepare(const std::vector<Resource>& all, const Resource& dialog, Prepared* out, std::wstring* reason) {
  if (!dialog.data) return *reason = L"the dialog cannot be loaded", false;
  DialogTemplate d;
  size_t declared = 0;
  if (!ReadPreviewDialog(dialog.Bytes(), &d, &declared, reason)) return false;
  d.hasMenu = Named(d.hasMenu, d.menu);
  if (d.hasMenu && !CheckDialogMenu(all, d.menu, reason)) return false;
  PrepareControlClasses(d);
  ChooseDialogClass(&d, &out->notes);
  ChooseControlClasses(&d, out);
  if (declared > d.controls.size()) {
    wchar_t line[96];
    swprintf(line, sizeof line / sizeof line[0], L"%u of %u controls left out", static_cast<unsigned>(declared - d.controls.size()),
             static_cast<unsigned>(declared));
    Note(&out->notes, line);
  }
  d.style &= ~kUnusable;
  out->preview.page = (d.style & (WS_CHILD | DS_CONTROL)) != 0;
  if (out->preview.page) d.style = (d.style & ~kPageFrameStyles) | WS_CHILD | WS_VISIBLE;
  out->preview.label = dialog.Label();
  // The system is given the extended form; a plain template has no weight,
  // italic or charset, and is given zeros.
  if (!d.extended) d.charset = 0;
  d.extended = true;
  out->bytes = package::res::LayoutDialog(d);
  return true;
}

// Focus moving in or out of a control is not a command, whatever the class
// calls it; nor is an edit field's notice that it is about to redraw, which
// rich-edit fields send as they first paint (a change also sends EN_CHANGE).
bool NotACommand(HWND control, UINT code) {
  wchar_t cls[64] = L"";
  GetClassNameW(control, cls, 64);
  if (_wcsicmp(cls, L"Edit") == 0 || _wcsnicmp(cls, L"RichEdit", 8) == 0)
    return code == EN_SETFOCUS || code == EN_KILLFOCUS || code == EN_UPDATE;
  if (_wcsicmp(cls, L"ListBox") == 0) return code == LBN_SETFOCUS || code == LBN_KILLFOCUS;
  if (_wcsicmp(cls, L"ComboBox") == 0 || _wcsicmp(cls, L"ComboBoxEx32") == 0)
    return code == CBN_SETFOCUS || code == CBN_KILLFOCUS;
  if (_wcsicmp(cls, L"Button") == 0 || _wcsnicmp(cls, L"Bor", 3) == 0) return code == BN_SETFOCUS || code == BN_KILLFOCUS;
  return false;
}

void NamePlaceholders(HWND dialog, const Preview& preview) {
  size_t next = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child && next < preview.placeholders.size();
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[64] = L"";
    GetClassNameW(child, cls, 64);
    if (wcscmp(cls, kPlaceholderClass) == 0) NamePlaceholder(child, preview.placeholders[next++]);
  }
}

void Close(HWND dialog, const Preview* preview, INT_PTR result) {
  if (preview && preview->page)
    DestroyWindow(GetParent(dialog));
  else
    EndDialog(dialog, result);
}

void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const Preview* preview = reinterpret_cast<const Preview*>(GetWindowLongPtrW(dialog, DWLP_USER));
  const UINT id = LOWORD(wParam);
  // OK, Cancel and Escape end the preview; a field of that id only reports.
  if ((id == IDOK || id == IDCANCEL) && HIWORD(wParam) == BN_CLICKED) return Close(dialog, preview, id);
  if (lParam && NotACommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam))) return;
  if (preview && preview->sink) {
    wchar_t line[96];
    swprintf(line, sizeof line / sizeof line[0], L": command %u, notification %u", id, HIWORD(wParam));
    preview->sink(preview->label + line);
  }
}

INT_PTR CALLBACK PreviewProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      NamePlaceholders(dialog, *reinterpret_cast<const Preview*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, wParam, lParam);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      wchar_t cls[16] = L"";
      GetClassNameW(dialog, cls, 16);
      if (_wcsicmp(cls, kBorlandDialogClass) != 0) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wParam), kBorlandGrey);
      return reinterpret_cast<INT_PTR>(BorlandBrush());
    }
    case WM_CLOSE:
      Close(dialog, reinterpret_cast<const Preview*>(GetWindowLongPtrW(dialog, DWLP_USER)), IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// The frame's client area takes the page's size.
void FitFrameToPage(HWND frame, HWND page) {
  RECT r;
  GetWindowRect(page, &r);
  RECT outer = {0, 0, r.right - r.left, r.bottom - r.top};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(frame, GWL_STYLE)), FALSE, 0);
  SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Posted on a change of scale: the page takes its new size from the dialog
// manager while the change is delivered, and the frame follows it afterwards.
constexpr UINT kFitToPage = WM_APP + 2;

LRESULT CALLBACK PageFrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case display_scale::kScaleChangedMessage: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(frame, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      PostMessageW(frame, kFitToPage, 0, 0);
      return 0;
    }
    case kFitToPage:
      if (g_page && GetParent(g_page) == frame) FitFrameToPage(frame, g_page);
      return 0;
    case WM_SETFOCUS:
      if (g_page) SetFocus(g_page);
      return 0;
    case WM_DESTROY:
      delete reinterpret_cast<Preview*>(GetWindowLongPtrW(frame, GWLP_USERDATA));
      SetWindowLongPtrW(frame, GWLP_USERDATA, 0);
      if (frame == g_pageFrame) g_pageFrame = g_page = nullptr;
      return 0;
    default:
      return DefWindowProcW(frame, message, wParam, lParam);
  }
}

std::wstring Refused() {
  wchar_t why[96];
  swprintf(why, sizeof why / sizeof why[0], L"the system refused the dialog template (error %lu)", GetLastError());
  return why;
}

// A page inside a top-level frame captioned with its label and sized to it;
// a new page replaces the last.
bool OpenPage(HWND owner, Prepared& prepared, std::wstring* reason) {
  if (g_pageFrame) DestroyWindow(g_pageFrame);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  HWND frame = CreateWindowExW(0, L"" KESTRIX_PAGE_FRAME_CLASS, prepared.preview.label.c_str(), style, CW_USEDEFAULT,
                               CW_USEDEFAULT, 100, 100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!frame) return *reason = L"the page's frame cannot be made", false;
  Preview* preview = new Preview(prepared.preview);
  SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(preview));
  SetLastError(0);
  HWND page = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(prepared.bytes.data()),
                                         frame, PreviewProcedure, reinterpret_cast<LPARAM>(preview));
  if (!page) {
    *reason = Refused();
    DestroyWindow(frame);
    return false;
  }
  g_pageFrame = frame;
  g_page = page;
  SetWindowPos(page, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitFrameToPage(frame, page);
  ShowWindow(frame, SW_SHOWNORMAL);
  SetFocus(GetNextDlgTabItem(page, nullptr, FALSE));
  return true;
}

}  // namespace

bool PreviewDialog(HWND owner, const std::vector<Resource>& all, const Resource& dialog, StatusSink sink,
                   std::wstring* reason) {
  Prepared prepared;
  if (!Prepare(all, dialog, &prepared, reason)) return false;
  prepared.preview.sink = sink;
  // The status names the language shown when the module holds the dialog in others too.
  const std::wstring shown = ShownLabel(all, dialog);
  if (sink && (!prepared.notes.empty() || shown != prepared.preview.label))
    sink(prepared.notes.empty() ? shown : shown + L": " + prepared.notes);
  if (prepared.preview.page) return OpenPage(owner, prepared, reason);
  SetLastError(0);
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(prepared.bytes.data()), owner,
                              PreviewProcedure, reinterpret_cast<LPARAM>(&prepared.preview));
  if (result == -1 || result == 0) return *reason = Refused(), false;
  return true;
}

bool PageDialogMessage(MSG& message) {
  if (!g_page || !message.hwnd || (message.hwnd != g_page && !IsChild(g_page, message.hwnd))) return false;
  return IsDialogMessageW(g_page, &message) != FALSE;
}

bool RegisterPageFrameClass(HINSTANCE instance) {
  return RegisterOwnClass(instance, L"" KESTRIX_PAGE_FRAME_CLASS, PageFrameProcedure,
                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

}  // namespace kestrix
