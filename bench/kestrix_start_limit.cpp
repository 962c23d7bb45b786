// The true limit of the KestRix start benchmark: a program that only makes
// ready the common-control groups and rich-edit libraries a dialog's
// controls need and creates that dialog, modally, from the same template in
// a built program, and does nothing else.
//
//   bench_kestrix_limit <program> <dialog id>

#include <windows.h>

#include <cstdlib>

#include "package/kestrix/kestrix_classes.h"
#include "package/kestrix/kestrix_limits.h"

namespace {

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  if (message == WM_CLOSE) return EndDialog(dialog, IDCANCEL), TRUE;
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 3) return 2;
  HMODULE program = LoadLibraryExW(arguments[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const WORD id = static_cast<WORD>(wcstoul(arguments[2], nullptr, 10));
  HRSRC found = program ? FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)) : nullptr;
  HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
  const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!bytes) return 3;
  package::res::DialogTemplate walked;
  size_t declared = 0;
  std::wstring reason;
  if (!kestrix::ReadPreviewDialog({bytes, SizeofResource(program, found)}, &walked, &declared, &reason)) return 4;
  kestrix::PrepareControlClasses(walked);
  return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes), nullptr, Procedure, 0) == -1;
}
