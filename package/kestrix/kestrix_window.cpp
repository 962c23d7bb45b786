// The main window's state, layout and commands. The window procedure only
// routes messages; what a command or a row opens is decided here in plain
// functions.

#include "package/kestrix/kestrix_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "package/kestrix/kestrix_controls.h"
#include "package/kestrix/kestrix_dialog.h"
#include "package/kestrix/kestrix_ids.h"
#include "package/kestrix/kestrix_image.h"
#include "package/kestrix/kestrix_menu.h"
#include "package/kestrix/kestrix_resources.h"
#include "package/kestrix/kestrix_text.h"
#include "package/kestrix/kestrix_views.h"
#include "platform/win32/display_scale.h"

namespace kestrix {
namespace {

// Sizes at 96 DPI; the window scales them to its display and measures its
// texts in the font it draws them with.
constexpr int kMargin = 8;
constexpr int kLabelWidth = 90;    // at least; wider when the label's text needs it
constexpr int kLabelGap = 6;       // between the label's text and the field
constexpr int kRowPadding = 9;     // a field's height over its text's
constexpr int kLinePadding = 3;    // a label's height over its text's
constexpr int kListExtentPadding = 16;
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 420;
constexpr WORD kTitleString = 1;
constexpr wchar_t kParametersLabel[] = L"Parameters:";

struct App {
  HWND window = nullptr;
  HWND parametersLabel = nullptr;
  HWND parameters = nullptr;
  HWND program = nullptr;
  HWND summary = nullptr;
  HWND resources = nullptr;
  HWND status = nullptr;
  std::vector<Resource> bound;
  HFONT font = nullptr;  // the system's font for controls at the window's scale
  UINT dpi = display_scale::kDesignDpi;
  HMENU menu = nullptr;
  bool ownMenu = false;
  HACCEL accelerators = nullptr;
  const Resource* acceleratorTable = nullptr;  // the table `accelerators` was made from
  Options options;
  std::wstring startupProblems;
  std::wstring startupNotes;  // the languages shown, when there are others
};

App g_app;

void SetStatus(const std::wstring& line) {
  if (g_app.status) SendMessageW(g_app.status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void Problem(const std::wstring& line) {
  if (!g_app.startupProblems.empty()) g_app.startupProblems += L"; ";
  g_app.startupProblems += line;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.font), FALSE);
  return child;
}

int Scaled(int pixelsAt96) { return display_scale::Scale(pixelsAt96, g_app.dpi); }

// The list scrolls sideways as far as its longest line reaches in its font.
void SetListExtent() {
  const App& k = g_app;
  int widest = 0;
  for (const Resource& r : k.bound)
    widest = std::max(widest, display_scale::TextWidth(k.resources, k.font, r.Line().c_str()));
  SendMessageW(k.resources, LB_SETHORIZONTALEXTENT, widest + Scaled(kListExtentPadding), 0);
}

// Takes the font of a new scale: every child is given it, the old one goes.
void UseScale(UINT dpi) {
  App& k = g_app;
  HFONT old = k.font;
  k.dpi = dpi;
  k.font = display_scale::CreateGuiFont(dpi);
  for (HWND child : {k.parametersLabel, k.parameters, k.program, k.summary, k.resources, k.status})
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(k.font), TRUE);
  if (k.resources) SetListExtent();
  if (old) DeleteObject(old);
}

// The accelerator table that goes with a menu: the one of the same name, else
// the first. Returns a status line when the table cannot be used; a menu
// that only borrows another's table is not blamed for that table's faults.
std::wstring UseAccelerators(const Resource* menu) {
  if (g_app.accelerators) DestroyAcceleratorTable(g_app.accelerators);
  g_app.accelerators = nullptr;
  g_app.acceleratorTable = nullptr;
  const Resource* table = menu ? Find(g_app.bound, RT_ACCELERATOR, menu->name) : nullptr;
  const bool own = table || !menu;
  if (!table) table = FindFirst(g_app.bound, RT_ACCELERATOR);
  if (!table) return L"";
  std::vector<ACCEL> entries;
  std::wstring reason;
  if (!ReadAccelerators(*table, &entries, &reason)) return own ? table->Label() + L": " + reason : L"";
  g_app.accelerators = CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
  if (g_app.accelerators) g_app.acceleratorTable = table;
  return L"";
}

void SetMenuBar(HMENU menu, bool own) {
  HMENU old = g_app.menu;
  SetMenu(g_app.window, menu);
  g_app.menu = menu;
  g_app.ownMenu = own;
  if (old) DestroyMenu(old);
}

// Makes a menu resource the menu bar; the status line when it cannot be, or
// when its accelerators cannot be used ("" when all is well).
std::wstring UseMenu(const Resource& menu, bool* used) {
  std::wstring reason;
  HMENU loaded = LoadMenuResource(menu, &reason);
  *used = loaded != nullptr;
  if (!loaded) return menu.Label() + L": " + reason;
  SetMenuBar(loaded, false);
  return UseAccelerators(&menu);
}

// Names the language of what the start-up shows when the module holds it in
// others too ("MENU #1 in language 0409 (English (United States); 2 languages)").
void NoteLanguage(const Resource* shown) {
  if (!shown) return;
  const std::wstring label = ShownLabel(g_app.bound, *shown);
  if (label == shown->Label()) return;
  if (!g_app.startupNotes.empty()) g_app.startupNotes += L"; ";
  g_app.startupNotes += label;
}

void ChooseStartupMenu() {
  const Resource* chosen = nullptr;
  if (!g_app.options.menu.empty()) {
    chosen = Find(g_app.bound, RT_MENU, NameFromText(g_app.options.menu));
    if (!chosen) Problem(L"MENU " + Describe(NameFromText(g_app.options.menu), false) + L": no such menu");
  }
  if (!chosen) chosen = FindFirst(g_app.bound, RT_MENU);
  bool used = false;
  if (chosen) {
    const std::wstring problem = UseMenu(*chosen, &used);
    if (!problem.empty()) Problem(problem);
  }
  if (used) {
    NoteLanguage(chosen);
    NoteLanguage(g_app.acceleratorTable);
    return;
  }
  SetMenuBar(OwnMenu(), true);
  const std::wstring problem = UseAccelerators(nullptr);
  if (!problem.empty()) Problem(problem);
  NoteLanguage(g_app.acceleratorTable);
}

void OpenDialog(const Resource& dialog) {
  std::wstring reason;
  if (!PreviewDialog(g_app.window, g_app.bound, dialog, SetStatus, &reason)) SetStatus(dialog.Label() + L": " + reason);
}

void Activate(int row) {
  if (row < 0 || static_cast<size_t>(row) >= g_app.bound.size()) return;
  const Resource& r = g_app.bound[row];
  std::wstring reason;
  if (r.IsType(RT_DIALOG)) return OpenDialog(r);
  if (r.IsType(RT_MENU)) {
    bool used = false;
    const std::wstring problem = UseMenu(r, &used);
    return SetStatus(!problem.empty() ? problem : ShownLabel(g_app.bound, r) + L" is the menu bar");
  }
  if (IsImageType(r)) {
    Image image;
    if (!PrepareImage(g_app.bound, r, &image, &reason)) return SetStatus(r.Label() + L": " + reason);
    OpenImageView(g_app.window, r.Label(), image);
    return SetStatus(r.Label() + L": " + image.description);
  }
  std::wstring text;
  if (!ResourceText(r, &text, &reason)) return SetStatus(r.Label() + L": " + reason);
  OpenTextView(g_app.window, r.Label(), text);
}

void OnCommand(UINT id) {
  if (id == kOwnExitCommand && g_app.ownMenu) {
    DestroyWindow(g_app.window);
    return;
  }
  wchar_t head[32];
  swprintf(head, sizeof head / sizeof head[0], L"Command %u", id);
  const std::wstring text = MenuText(g_app.menu, id);
  SetStatus(text.empty() ? std::wstring(head) : head + (L": " + text));
  if (const Resource* dialog = Find(g_app.bound, RT_DIALOG, ResId::Number(static_cast<WORD>(id)))) OpenDialog(*dialog);
}

void Create(HWND window) {
  App& k = g_app;
  k.window = window;
  UseScale(display_scale::WindowDpi(window));
  k.parametersLabel = Child(window, L"STATIC", kParametersLabel, SS_LEFT, -1);
  k.parameters = Child(window, L"EDIT", k.options.parameters.c_str(), WS_BORDER | ES_AUTOHSCROLL | ES_READONLY,
                       IDC_KESTRIX_PARAMETERS);
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  k.program = Child(window, L"STATIC", path, SS_LEFT | SS_PATHELLIPSIS, IDC_KESTRIX_PROGRAM);

  k.bound = ListResources(GetModuleHandleW(nullptr));
  wchar_t count[48];
  swprintf(count, sizeof count / sizeof count[0], L"%u resource(s) bound", static_cast<unsigned>(k.bound.size()));
  k.summary = Child(window, L"STATIC", count, SS_LEFT, IDC_KESTRIX_SUMMARY);
  k.resources = Child(window, L"LISTBOX", L"",
                      WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                      IDC_KESTRIX_RESOURCES);
  for (const Resource& r : k.bound)
    SendMessageW(k.resources, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.Line().c_str()));
  SetListExtent();
  k.status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_KESTRIX_STATUS)),
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(k.status, WM_SETFONT, reinterpret_cast<WPARAM>(k.font), FALSE);

  std::wstring title;
  if (!FindString(k.bound, kTitleString, &title) || title.empty()) {
    const wchar_t* base = wcsrchr(path, L'\\');
    title = base ? base + 1 : path;
  }
  SetWindowTextW(window, title.c_str());
  ChooseStartupMenu();
  if (!k.options.problem.empty()) Problem(k.options.problem);
  std::wstring status = k.startupProblems;
  if (!status.empty() && !k.startupNotes.empty()) status += L"; ";
  status += k.startupNotes;
  SetStatus(status.empty() ? L"Ready" : status);
  SetFocus(k.resources);
}

void Layout(int width, int height) {
  const App& k = g_app;
  SendMessageW(k.status, WM_SIZE, 0, 0);
  RECT bar = {};
  GetWindowRect(k.status, &bar);
  const int margin = Scaled(kMargin);
  const int text = display_scale::TextHeight(k.window, k.font);
  const int row = text + Scaled(kRowPadding);
  const int line = text + Scaled(kLinePadding);
  const int label =
      std::max(Scaled(kLabelWidth), display_scale::TextWidth(k.window, k.font, kParametersLabel) + Scaled(kLabelGap));
  const int inner = width - 2 * margin;
  int y = margin;
  MoveWindow(k.parametersLabel, margin, y + (row - line) / 2, label - Scaled(kLabelGap), line, TRUE);
  MoveWindow(k.parameters, margin + label, y, std::max(inner - label, 0), row, TRUE);
  y += row + margin;
  MoveWindow(k.program, margin, y, std::max(inner, 0), line, TRUE);
  y += line + Scaled(kRowPadding - kLinePadding);
  MoveWindow(k.summary, margin, y, std::max(inner, 0), line, TRUE);
  y += line + Scaled(kRowPadding - kLinePadding);
  const int listHeight = height - (bar.bottom - bar.top) - y - margin;
  MoveWindow(k.resources, margin, y, std::max(inner, 0), listHeight > 0 ? listHeight : 0, TRUE);
}

constexpr UINT kOpenStartupPreview = WM_APP + 1;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Create(window);
      return 0;
    case WM_SIZE:
      Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case display_scale::kScaleChangedMessage: {
      UseScale(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      RECT client;
      GetClientRect(window, &client);
      Layout(client.right, client.bottom);
      return 0;
    }
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == g_app.resources) {
        if (HIWORD(wParam) == LBN_DBLCLK) Activate(static_cast<int>(SendMessageW(g_app.resources, LB_GETCURSEL, 0, 0)));
      } else if (lParam == 0) {
        OnCommand(LOWORD(wParam));
      }
      return 0;
    case kOpenStartupPreview:
      if (!g_app.options.dialog.empty()) {
        const ResId name = NameFromText(g_app.options.dialog);
        if (const Resource* dialog = Find(g_app.bound, RT_DIALOG, name))
          OpenDialog(*dialog);
        else
          SetStatus(L"DIALOG " + Describe(name, false) + L": no such dialog");
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      if (g_app.font) DeleteObject(g_app.font);
      g_app.font = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  return RegisterOwnClass(instance, L"" KESTRIX_WINDOW_CLASS, WindowProcedure,
                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

HWND CreateMainWindow(HINSTANCE instance, const Options& options) {
  g_app.options = options;
  const UINT dpi = display_scale::SystemDpi();
  return CreateWindowExW(0, L"" KESTRIX_WINDOW_CLASS, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         display_scale::Scale(kWindowWidth, dpi), display_scale::Scale(kWindowHeight, dpi), nullptr,
                         nullptr, instance, nullptr);
}

bool PreTranslate(MSG& msg) {
  if (PageDialogMessage(msg)) return true;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == g_app.resources) {
    Activate(static_cast<int>(SendMessageW(g_app.resources, LB_GETCURSEL, 0, 0)));
    return true;
  }
  if (!g_app.accelerators || !msg.hwnd || GetAncestor(msg.hwnd, GA_ROOT) != g_app.window) return false;
  return TranslateAcceleratorW(g_app.window, g_app.accelerators, &msg) != 0;
}

void OpenStartupPreview(HWND window) { PostMessageW(window, kOpenStartupPreview, 0, 0); }

}  // namespace kestrix
