// Walking dialog templates and opening them as live previews.

#include "package/kestrix/kestrix_dialog.h"

#include <cwchar>

namespace kestrix {
namespace {

constexpr uint16_t kExSignature = 0xFFFF;

struct Preview {
  std::wstring label;
  StatusSink sink;
};

bool ClassRegistered(const std::wstring& name) {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof info;
  return GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &info) ||
         GetClassInfoExW(nullptr, name.c_str(), &info);
}

bool Refuse(std::wstring* reason, const std::wstring& why) {
  *reason = why;
  return false;
}

INT_PTR CALLBACK PreviewProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      return TRUE;
    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
      }
      // An edit field gaining or losing the focus is not a command of the dialog.
      if (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS) return TRUE;
      const Preview* preview = reinterpret_cast<const Preview*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (preview && preview->sink) {
        wchar_t line[96];
        swprintf(line, sizeof line / sizeof line[0], L": command %u, notification %u", id, HIWORD(wParam));
        preview->sink(preview->label + line);
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool CheckDialogTemplate(const Resource& dialog, std::wstring* reason) {
  if (!dialog.data) return Refuse(reason, L"the dialog cannot be loaded");
  ByteReader in(dialog.data, dialog.size);
  const bool extended = in.Word() == 1 && in.Word() == kExSignature;
  uint32_t style = 0;
  if (extended) {
    in.Dword();  // help id
    in.Dword();  // extended style
    style = in.Dword();
  } else {
    in = ByteReader(dialog.data, dialog.size);
    style = in.Dword();
    in.Dword();  // extended style
  }
  const uint16_t count = in.Word();
  in.Skip(8);  // x, y, cx, cy
  const ResName menu = in.NameOrOrdinal();
  const ResName cls = in.NameOrOrdinal();
  in.String();  // caption
  if (style & DS_SETFONT) {
    in.Word();  // point size
    if (extended) in.Skip(4);  // weight, italic, character set
    in.String();
  }
  if (!in.ok()) return Refuse(reason, L"the dialog template is malformed (its header runs past its end)");
  if (menu.numeric ? menu.number != 0 : !menu.text.empty()) {
    if (!FindResourceW(GetModuleHandleW(nullptr), menu.Pointer(), MAKEINTRESOURCEW(4)))
      return Refuse(reason, L"its menu " + menu.Describe(false) + L" is missing");
  }
  if (!cls.numeric && !cls.text.empty() && !ClassRegistered(cls.text))
    return Refuse(reason, L"its class \"" + cls.text + L"\" is not registered");
  for (uint16_t i = 0; i < count; ++i) {
    in.AlignTo4();
    in.Skip(extended ? 12 : 8);  // (help id,) extended style and style
    in.Skip(8);                  // x, y, cx, cy
    if (extended)
      in.Dword();
    else
      in.Word();
    const ResName control = in.NameOrOrdinal();
    in.NameOrOrdinal();  // text
    in.Skip(in.Word());  // creation data
    wchar_t which[32];
    swprintf(which, sizeof which / sizeof which[0], L"control %u", i + 1u);
    if (!in.ok()) return Refuse(reason, L"the dialog template is malformed (" + std::wstring(which) + L" runs past its end)");
    if (!control.numeric && !ClassRegistered(control.text))
      return Refuse(reason, std::wstring(which) + L" has class \"" + control.text + L"\", which is not registered");
    if (control.numeric && (control.number < 0x80 || control.number > 0x85))
      return Refuse(reason, std::wstring(which) + L" has an unknown predefined class");
  }
  return true;
}

bool PreviewDialog(HWND owner, const Resource& dialog, StatusSink sink, std::wstring* reason) {
  if (!CheckDialogTemplate(dialog, reason)) return false;
  Preview preview{dialog.Label(), sink};
  SetLastError(0);
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data), owner,
                              PreviewProcedure, reinterpret_cast<LPARAM>(&preview));
  if (result == -1 || result == 0) {
    wchar_t why[96];
    swprintf(why, sizeof why / sizeof why[0], L"the system refused the dialog template (error %lu)", GetLastError());
    *reason = why;
    return false;
  }
  return true;
}

}  // namespace kestrix
