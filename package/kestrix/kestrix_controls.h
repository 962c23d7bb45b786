#pragma once
// The window classes a preview hosts besides the system's: the Borland
// custom controls (BorDlg, BorBtn, BorCheck, BorRadio, BorStatic, BorShade),
// drawn here in their own look over the system's dialog, button and static
// classes so that they behave as those do (and, through
// kestrix_placeholder.h, the stand-in for a class a preview cannot run). No
// Borland library is ever loaded.

#include <windows.h>

#include <cstdint>
#include <string>

namespace kestrix {

constexpr const wchar_t* kBorlandDialogClass = L"BorDlg";
// The light steel grey of a Borland-style dialog.
constexpr COLORREF kBorlandGrey = RGB(192, 192, 192);

// BorShade's kinds: the low bits of its style.
constexpr uint32_t kShadeGroup = 1;   // BSS_GROUP: a recessed group box
constexpr uint32_t kShadeHDip = 2;    // BSS_HDIP: a horizontal dip
constexpr uint32_t kShadeVDip = 3;    // BSS_VDIP: a vertical dip
constexpr uint32_t kShadeHBump = 4;   // BSS_HBUMP: a horizontal bump
constexpr uint32_t kShadeVBump = 5;   // BSS_VBUMP: a vertical bump
constexpr uint32_t kShadeRGroup = 6;  // BSS_RGROUP: a raised group box
// The bits above a group shade's kind that place and set off its caption.
constexpr uint32_t kShadeCaption = 0x8000;    // BSS_CAPTION: the caption breaks the frame's top
constexpr uint32_t kShadeNoPrefix = 0x2000;   // BSS_NOPREFIX: '&' is shown, not a mnemonic
constexpr uint32_t kShadeCenter = 0x0100;     // BSS_CENTER
constexpr uint32_t kShadeRight = 0x0200;      // BSS_RIGHT
constexpr uint32_t kShadeAlignMask = 0x0300;  // BSS_ALIGNMASK; left is 0

// A BorBtn's face may be bitmaps of the program's own, numbered from the
// button's id: id + 1000 normal, id + 3000 pushed, id + 5000 focused. With
// BBS_BITMAP it is no button at all, only its normal bitmap.
constexpr uint32_t kButtonBitmapOnly = 0x8000;  // BBS_BITMAP
constexpr int kFaceNormal = 1000, kFacePushed = 3000, kFaceFocused = 5000;

// Registers a window class of KestRix's own (arrow cursor; no background
// brush unless one is given); false when the system refuses it.
bool RegisterOwnClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr);

// Registers the Borland classes and the placeholder; false when any fails.
bool RegisterControlClasses(HINSTANCE instance);

// The Borland control class a template names ("BorBtn" in any case), or
// nullptr; *style becomes the style the stand-in takes for the template's.
const wchar_t* BorlandControl(const std::wstring& cls, uint32_t* style);

// The brush a Borland-style dialog paints its background and texts with.
HBRUSH BorlandBrush();

}  // namespace kestrix
