// The Borland-style controls: registration and drawing.
// The buttons keep the system button's behaviour (clicks, checks, automatic
// radio groups, Tab and default-button handling) and only paint themselves.

#include "package/kestrix/kestrix_controls.h"

#include "package/kestrix/kestrix_placeholder.h"

#include <algorithm>
#include <cwctype>

namespace kestrix {
namespace {

// Sizes at the text height of "MS Sans Serif" 8 pt at 96 DPI; each control
// grows them with the height of its own font, so the glyphs keep their
// proportion to the text at every display scale.
constexpr int kDesignTextHeight = 13;
constexpr int kGlyphSize = 14;
constexpr int kBoxSize = 13;
constexpr int kTextGap = 5;
constexpr COLORREF kGlyphGreen = RGB(0, 128, 0);
constexpr COLORREF kGlyphRed = RGB(192, 0, 0);
constexpr COLORREF kGlyphBlue = RGB(0, 0, 160);

WNDPROC g_buttonProcedure = nullptr;

// What a push button shows beside its text for the standard command ids.
enum class Glyph { kNone, kCheck, kCross, kStop, kRetry, kSkip, kQuestion };

Glyph GlyphFor(int id) {
  switch (id) {
    case IDOK: case IDYES: return Glyph::kCheck;
    case IDCANCEL: case IDNO: return Glyph::kCross;
    case IDABORT: return Glyph::kStop;
    case IDRETRY: return Glyph::kRetry;
    case IDIGNORE: return Glyph::kSkip;
    case IDHELP: return Glyph::kQuestion;
    default: return Glyph::kNone;
  }
}

void Line(HDC dc, COLORREF colour, int width, const POINT* points, int count) {
  HPEN pen = CreatePen(PS_SOLID, width, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  Polyline(dc, points, count);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void DrawGlyph(HDC dc, Glyph glyph, const RECT& r) {
  const int l = r.left, t = r.top, w = r.right - r.left, h = r.bottom - r.top;
  // Offsets and pens were drawn for a glyph of kGlyphSize; they grow with it.
  const auto s = [w](int pixels) { return std::max(1, MulDiv(pixels, w, kGlyphSize)); };
  switch (glyph) {
    case Glyph::kCheck: {
      const POINT p[] = {{l + s(1), t + h / 2}, {l + w / 3 + s(1), t + h - s(3)}, {l + w - s(2), t + s(2)}};
      return Line(dc, kGlyphGreen, s(3), p, 3);
    }
    case Glyph::kCross: {
      const POINT a[] = {{l + s(2), t + s(2)}, {l + w - s(3), t + h - s(3)}}, b[] = {{l + w - s(3), t + s(2)}, {l + s(2), t + h - s(3)}};
      Line(dc, kGlyphRed, s(3), a, 2);
      return Line(dc, kGlyphRed, s(3), b, 2);
    }
    case Glyph::kStop: {
      HBRUSH red = CreateSolidBrush(kGlyphRed);
      HGDIOBJ old = SelectObject(dc, red);
      Ellipse(dc, l + s(1), t + s(1), l + w - s(1), t + h - s(1));
      SelectObject(dc, old);
      DeleteObject(red);
      return;
    }
    case Glyph::kRetry: {
      const POINT p[] = {{l + w - s(3), t + s(4)}, {l + w / 2, t + s(2)}, {l + s(2), t + h / 2}, {l + w / 2, t + h - s(2)},
                         {l + w - s(3), t + h - s(5)}};
      const POINT head[] = {{l + w - s(6), t + s(1)}, {l + w - s(2), t + s(4)}, {l + w - s(6), t + s(7)}};
      Line(dc, kGlyphBlue, s(2), p, 5);
      return Line(dc, kGlyphBlue, s(2), head, 3);
    }
    case Glyph::kSkip: {
      const POINT a[] = {{l + s(2), t + s(3)}, {l + w / 2, t + h / 2}, {l + s(2), t + h - s(3)}};
      const POINT b[] = {{l + w / 2, t + s(3)}, {l + w - s(2), t + h / 2}, {l + w / 2, t + h - s(3)}};
      Line(dc, kGlyphBlue, s(2), a, 3);
      return Line(dc, kGlyphBlue, s(2), b, 3);
    }
    case Glyph::kQuestion: {
      RECT box = r;
      SetTextColor(dc, kGlyphBlue);
      DrawTextW(dc, L"?", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return;
    }
    case Glyph::kNone: return;
  }
}

// A size designed at kDesignTextHeight, at the height of the font selected into dc.
int FontScaled(HDC dc, int pixels) {
  TEXTMETRICW metrics = {};
  if (!GetTextMetricsW(dc, &metrics) || metrics.tmHeight <= 0) return pixels;
  return MulDiv(pixels, metrics.tmHeight, kDesignTextHeight);
}

// The text with its mnemonic, drawn grey when the control is disabled.
void Caption(HWND window, HDC dc, RECT r, UINT format) {
  wchar_t text[256] = L"";
  GetWindowTextW(window, text, 256);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, text, -1, &r, format | DT_SINGLELINE | DT_VCENTER);
}

// The width of the control's text; `format` may add DT_NOPREFIX.
int TextWidth(HWND window, HDC dc, UINT format = 0) {
  wchar_t text[256] = L"";
  const int length = GetWindowTextW(window, text, 256);
  RECT r = {0, 0, 0, 0};
  if (length) DrawTextW(dc, text, length, &r, DT_CALCRECT | DT_SINGLELINE | format);
  return r.right;
}

// Fills `r` with what the dialog gives its static texts' backgrounds.
void FillWithParentBackground(HWND window, HDC dc, const RECT& r) {
  HBRUSH back = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
  FillRect(dc, &r, back ? back : GetSysColorBrush(COLOR_BTNFACE));
}

// The bitmap numbered `offset` past the button's id, or null.
HBITMAP LoadFace(HWND window, int offset) {
  const int id = GetDlgCtrlID(window) & 0xFFFF;
  if (id == 0 || id + offset > 0xFFFF) return nullptr;
  return static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id + offset), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

// Draws the face for the button's state (the normal one when that state has
// none), centred at its own size; false when the program has no face for it.
bool PaintFace(HWND window, HDC dc, RECT r, bool pushed, bool focused) {
  HBITMAP face = pushed ? LoadFace(window, kFacePushed) : focused ? LoadFace(window, kFaceFocused) : nullptr;
  if (!face) face = LoadFace(window, kFaceNormal);
  if (!face) return false;
  BITMAP info = {};
  GetObjectW(face, sizeof info, &info);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, face);
  BitBlt(dc, (r.left + r.right - info.bmWidth) / 2, (r.top + r.bottom - info.bmHeight) / 2, info.bmWidth, info.bmHeight,
         source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(face);
  return true;
}

void PaintPushButton(HWND window, HDC dc, RECT r, bool isDefault) {
  const LRESULT state = CallWindowProcW(g_buttonProcedure, window, BM_GETSTATE, 0, 0);
  const bool pushed = (state & BST_PUSHED) != 0;
  if (GetWindowLongW(window, GWL_STYLE) & kButtonBitmapOnly) {
    PaintFace(window, dc, r, false, false);
    return;
  }
  if (PaintFace(window, dc, r, pushed, GetFocus() == window)) return;
  if (isDefault) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  FillRect(dc, &r, BorlandBrush());
  DrawEdge(dc, &r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  const Glyph glyph = GlyphFor(GetDlgCtrlID(window));
  const int glyphSize = FontScaled(dc, kGlyphSize);
  const int glyphWidth = glyph == Glyph::kNone ? 0 : glyphSize + FontScaled(dc, kTextGap);
  const int shift = pushed ? 1 : 0;
  const int left = r.left + (r.right - r.left - glyphWidth - TextWidth(window, dc)) / 2 + shift;
  const int middle = (r.top + r.bottom) / 2 + shift;
  if (glyph != Glyph::kNone) DrawGlyph(dc, glyph, RECT{left, middle - glyphSize / 2, left + glyphSize, middle + glyphSize / 2});
  Caption(window, dc, RECT{left + glyphWidth, r.top + shift, r.right, r.bottom + shift}, DT_LEFT);
  if (GetFocus() == window) {
    InflateRect(&r, -2, -2);
    DrawFocusRect(dc, &r);
  }
}

// A check box's recessed square, or a radio button's diamond, then the text.
void PaintChoice(HWND window, HDC dc, RECT r, bool radio) {
  const LRESULT check = CallWindowProcW(g_buttonProcedure, window, BM_GETCHECK, 0, 0);
  const int boxSize = FontScaled(dc, kBoxSize);
  const auto s = [boxSize](int pixels) { return std::max(1, MulDiv(pixels, boxSize, kBoxSize)); };
  const int top = (r.top + r.bottom - boxSize) / 2;
  RECT box = {r.left, top, r.left + boxSize, top + boxSize};
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  if (radio) {
    const int mid = boxSize / 2;
    const POINT diamond[] = {{box.left + mid, box.top}, {box.right - s(1), box.top + mid}, {box.left + mid, box.bottom - s(1)},
                             {box.left, box.top + mid}};
    Polygon(dc, diamond, 4);
    if (check == BST_CHECKED) {
      SelectObject(dc, GetStockObject(BLACK_BRUSH));
      const POINT dot[] = {{box.left + mid, box.top + s(3)}, {box.right - s(4), box.top + mid}, {box.left + mid, box.bottom - s(4)},
                           {box.left + s(3), box.top + mid}};
      Polygon(dc, dot, 4);
    }
  } else {
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
    if (check == BST_CHECKED) {
      const POINT p[] = {{box.left + s(3), box.top + s(6)}, {box.left + s(5), box.top + s(9)}, {box.right - s(3), box.top + s(3)}};
      Line(dc, kGlyphGreen, s(2), p, 3);
    } else if (check == BST_INDETERMINATE) {
      RECT inner = {box.left + s(3), box.top + s(3), box.right - s(3), box.bottom - s(3)};
      FillRect(dc, &inner, GetSysColorBrush(COLOR_BTNSHADOW));
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  RECT text = {box.right + FontScaled(dc, kTextGap), r.top, r.right, r.bottom};
  Caption(window, dc, text, DT_LEFT);
  if (GetFocus() == window) {
    text.right = text.left + TextWidth(window, dc) + 2;
    DrawFocusRect(dc, &text);
  }
}

void PaintButton(HWND window, HDC dc) {
  RECT r;
  GetClientRect(window, &r);
  FillWithParentBackground(window, dc, r);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
    PaintPushButton(window, dc, r, type == BS_DEFPUSHBUTTON);
  else
    PaintChoice(window, dc, r, type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
  SelectObject(dc, oldFont);
}

// Messages after which the system button draws itself directly; ours follows.
bool ButtonRedraws(UINT message) {
  switch (message) {
    case BM_SETSTATE: case BM_SETCHECK: case BM_SETSTYLE: case BM_CLICK: case WM_SETFOCUS: case WM_KILLFOCUS:
    case WM_ENABLE: case WM_SETTEXT: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE: case WM_KEYDOWN: case WM_KEYUP: case WM_CAPTURECHANGED: case WM_UPDATEUISTATE:
    case WM_SETFONT:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      PaintButton(window, BeginPaint(window, &paint));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButton(window, reinterpret_cast<HDC>(wParam));
      return 0;
    default: {
      const LRESULT result = CallWindowProcW(g_buttonProcedure, window, message, wParam, lParam);
      if (ButtonRedraws(message) && IsWindow(window)) InvalidateRect(window, nullptr, FALSE);
      return result;
    }
  }
}

// A group shade's caption: inside the frame's top, or, set off, across the
// frame's top edge on the dialog's own background; left, centred or right.
HGDIOBJ SelectDialogFont(HWND window, HDC dc) {
  return SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0)));
}

int CaptionHeight(HWND window, HDC dc) {
  HGDIOBJ oldFont = SelectDialogFont(window, dc);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, oldFont);
  return metrics.tmHeight;
}

void ShadeCaption(HWND window, HDC dc, RECT r, uint32_t style) {
  const int height = CaptionHeight(window, dc);
  HGDIOBJ oldFont = SelectDialogFont(window, dc);
  const uint32_t align = style & kShadeAlignMask;
  UINT format = align == kShadeCenter ? DT_CENTER : align == kShadeRight ? DT_RIGHT : DT_LEFT;
  if (style & kShadeNoPrefix) format |= DT_NOPREFIX;
  InflateRect(&r, -4, 0);
  if (style & kShadeCaption) {
    const int width = std::min<int>(TextWidth(window, dc, format & DT_NOPREFIX) + 4, r.right - r.left);
    const int left = align == kShadeCenter ? (r.left + r.right - width) / 2 : align == kShadeRight ? r.right - width : r.left;
    RECT band = {left, r.top, left + width, r.top + height};
    FillWithParentBackground(window, dc, band);
    Caption(window, dc, band, DT_CENTER | (format & DT_NOPREFIX));
  } else {
    r.top += 2;
    Caption(window, dc, r, format | DT_TOP);
  }
  SelectObject(dc, oldFont);
}

void PaintShade(HWND window, HDC dc) {
  RECT r;
  GetClientRect(window, &r);
  const uint32_t style = static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE));
  const uint32_t kind = style & 0xF;
  const bool group = kind == kShadeGroup || kind == kShadeRGroup;
  if (!group) FillWithParentBackground(window, dc, r);
  const bool vertical = kind == kShadeVDip || kind == kShadeVBump;
  RECT line = r;
  if (vertical)
    line.left = (r.left + r.right) / 2 - 1;
  else
    line.top = (r.top + r.bottom) / 2 - 1;
  const UINT side = vertical ? BF_LEFT : BF_TOP;
  RECT frame = r;  // a caption set off straddles the frame's top edge
  if (group && (style & kShadeCaption)) frame.top += CaptionHeight(window, dc) / 2;
  switch (kind) {
    case kShadeGroup: DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT); break;
    case kShadeRGroup: DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT); break;
    case kShadeHDip: case kShadeVDip: DrawEdge(dc, &line, EDGE_ETCHED, side); break;
    case kShadeHBump: case kShadeVBump: DrawEdge(dc, &line, EDGE_BUMP, side); break;
    default: DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT); break;
  }
  if (group) ShadeCaption(window, dc, r, style);
}

LRESULT CALLBACK ShadeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the controls it frames take the clicks
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      PaintShade(window, BeginPaint(window, &paint));
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// A class of our own over a system class: its behaviour, another name.
bool Superclass(HINSTANCE instance, const wchar_t* base, const wchar_t* name, WNDPROC procedure, WNDPROC* original,
                HBRUSH background) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, base, &wc)) return false;
  if (original) *original = wc.lpfnWndProc;
  if (procedure) wc.lpfnWndProc = procedure;
  if (background) wc.hbrBackground = background;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  wc.style &= ~CS_GLOBALCLASS;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool RegisterOwnClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

HBRUSH BorlandBrush() {
  static HBRUSH brush = CreateSolidBrush(kBorlandGrey);
  return brush;
}

bool RegisterControlClasses(HINSTANCE instance) {
  bool ok = Superclass(instance, L"#32770", kBorlandDialogClass, nullptr, nullptr, BorlandBrush());
  for (const wchar_t* name : {L"BorBtn", L"BorCheck", L"BorRadio"})
    ok = Superclass(instance, L"Button", name, ButtonProcedure, &g_buttonProcedure, nullptr) && ok;
  ok = Superclass(instance, L"Static", L"BorStatic", nullptr, nullptr, nullptr) && ok;
  ok = RegisterOwnClass(instance, L"BorShade", ShadeProcedure) && ok;
  return RegisterPlaceholderClass(instance) && ok;
}

const wchar_t* BorlandControl(const std::wstring& cls, uint32_t* style) {
  static const struct {
    const wchar_t* name;
    uint32_t typeMask;  // the bits the stand-in keeps: its kind, and what it draws itself
    uint32_t kinds;     // bit n set: kind n is the control's own
    uint32_t fallback;  // the kind taken for any other
  } kClasses[] = {
      {L"BorBtn", BS_TYPEMASK | kButtonBitmapOnly, 1u << BS_PUSHBUTTON | 1u << BS_DEFPUSHBUTTON, BS_PUSHBUTTON},
      {L"BorCheck", BS_TYPEMASK, 1u << BS_CHECKBOX | 1u << BS_AUTOCHECKBOX | 1u << BS_3STATE | 1u << BS_AUTO3STATE,
       BS_CHECKBOX},
      {L"BorRadio", BS_TYPEMASK, 1u << BS_RADIOBUTTON | 1u << BS_AUTORADIOBUTTON, BS_RADIOBUTTON},
      {L"BorStatic", SS_TYPEMASK | SS_NOPREFIX, ~0u, SS_LEFT},
      {L"BorShade", 0xF | kShadeCaption | kShadeNoPrefix | kShadeAlignMask, 0x7E, kShadeGroup},
  };
  for (const auto& c : kClasses) {
    size_t i = 0;
    for (; c.name[i] && i < cls.size() && std::towupper(c.name[i]) == std::towupper(cls[i]); ++i) {
    }
    if (c.name[i] || i != cls.size()) continue;
    uint32_t kind = *style & c.typeMask;
    if (!(c.kinds >> (kind & 0x1F) & 1)) kind = c.fallback | (kind & ~0x1Fu);
    // The window bits stay; the Borland-only bits below them go.
    *style = (*style & 0xFFFF0000u) | kind;
    return c.name;
  }
  return nullptr;
}

}  // namespace kestrix
