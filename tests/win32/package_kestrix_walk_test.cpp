// What the built program's previews accept, the system reads within its size:
// over the layout fuzz corpus's dialogs and menus (when scripts/fuzz.sh has
// made one) and the damaged templates, each accepted menu is loaded and each
// accepted dialog, as laid out again for the system, is created from bytes
// that end at an inaccessible page; any read of that page fails the test.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_limits.h"
#include "package/res/res_layout.h"
#include "package_test_support.h"

namespace {

constexpr size_t kMaxInputs = 400;  // a bounded share of the corpus
constexpr SIZE_T kArena = 1 << 20;  // the largest input tried, and its guard page after it

BYTE* g_guard = nullptr;
LONG g_overreads = 0;

// Counts a read of the guard page, then opens the page (all zeros, so the
// read ends at a terminator) and lets the system go on, so that one fault
// fails the test instead of ending the process.
LONG CALLBACK Watch(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& r = *info->ExceptionRecord;
  if (r.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const BYTE* at = reinterpret_cast<const BYTE*>(r.ExceptionInformation[1]);
  DWORD old = 0;
  if (at < g_guard || at >= g_guard + 4096 || !VirtualProtect(g_guard, 4096, PAGE_READONLY, &old))
    return EXCEPTION_CONTINUE_SEARCH;
  InterlockedIncrement(&g_overreads);
  return EXCEPTION_CONTINUE_EXECUTION;
}

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The bytes copied so that they end, DWORD-aligned, just before the guard page.
const BYTE* AtTheEdge(const std::vector<uint8_t>& bytes) {
  const size_t room = (bytes.size() + 3) / 4 * 4;
  BYTE* start = g_guard - room;
  memset(start, 0xCC, room);  // a poison, so that a read past the end never finds a terminator
  memcpy(start, bytes.data(), bytes.size());
  return start;
}

// A dialog the system builds with nothing but its layout: static controls, no menu, its own class.
std::vector<uint8_t> LayoutOnly(package::res::DialogTemplate d) {
  d.hasMenu = d.hasClass = false;
  d.extended = true;
  d.style = (d.style & package::res::kDsSetFont) | package::res::kWsPopup;
  for (package::res::DialogControl& c : d.controls) {
    c.windowClass = package::ResId::Number(package::res::kAtomStatic);
    c.style = package::res::kWsChild;
    c.exStyle = 0;
  }
  return package::res::LayoutDialog(d);
}

// The fuzz target's first byte: a resource of its own (0x80), read leniently
// (0x40), a menu (kind 0) or a dialog (kind 1).
constexpr unsigned char kRawMenu = 0xC0, kRawDialog = 0xC1;

// Whether the previews accepted it.
bool TryOne(const std::string& input) {
  if (input.empty() || input.size() > kArena) return false;
  const uint8_t* data = reinterpret_cast<const uint8_t*>(input.data()) + 1;
  const size_t size = input.size() - 1;
  const unsigned char kind = static_cast<unsigned char>(input[0]);
  std::wstring reason;
  if (kind == kRawDialog) {
    package::res::DialogTemplate d;
    size_t declared = 0;
    if (!kestrix::ReadPreviewDialog({data, size}, &d, &declared, &reason)) return false;
    const BYTE* at = AtTheEdge(LayoutOnly(d));
    if (HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(at),
                                                 nullptr, Quiet, 0))
      DestroyWindow(dialog);
    return true;
  }
  if (kind != kRawMenu || !kestrix::CheckPreviewMenu({data, size}, &reason)) return false;
  if (HMENU menu = LoadMenuIndirectW(AtTheEdge(std::vector<uint8_t>(data, data + size)))) DestroyMenu(menu);
  return true;
}

std::vector<std::string> Inputs() {
  std::vector<std::string> inputs;
  const std::string corpus = package_test::WindowsPath(std::string(MIVO_SOURCE_DIR) + "/out/fuzz/corpus/res_layout_fuzz/");
  const std::string damaged = package_test::WindowsPath(MIVO_BIN_DIR) + "\\kestrix_damaged\\";
  for (const std::string& pattern : {damaged + "*.bin", corpus + "*"}) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    const std::string dir = pattern.substr(0, pattern.find_last_of('\\') + 1);
    do {
      std::string bytes;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !package_test::ReadBytes(dir + found.cFileName, bytes)) continue;
      // A damaged template is prefixed with its kind, as the fuzz target reads it.
      if (pattern == damaged + "*.bin")
        bytes.insert(0, 1, static_cast<char>(strncmp(found.cFileName, "dialog", 6) == 0 ? kRawDialog : kRawMenu));
      inputs.push_back(bytes);
    } while (inputs.size() < kMaxInputs && FindNextFileA(search, &found));
    FindClose(search);
  }
  return inputs;
}

TEST(PackageKestrixWalk, WhatTheWalkersAcceptTheSystemReadsWithinItsSize) {
  BYTE* arena = static_cast<BYTE*>(VirtualAlloc(nullptr, kArena + 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(arena, nullptr);
  g_guard = arena + kArena;
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(g_guard, 4096, PAGE_NOACCESS, &old));
  PVOID watch = AddVectoredExceptionHandler(1, Watch);
  const std::vector<std::string> inputs = Inputs();
  size_t accepted = 0;
  for (const std::string& input : inputs) {
    accepted += TryOne(input) ? 1 : 0;
    VirtualProtect(g_guard, 4096, PAGE_NOACCESS, &old);
  }
  RemoveVectoredExceptionHandler(watch);
  VirtualFree(arena, 0, MEM_RELEASE);
  EXPECT_GE(inputs.size(), 10u);
  EXPECT_GT(accepted, 0u);
  EXPECT_EQ(g_overreads, 0) << "of " << accepted << " accepted inputs";
}

}  // namespace
