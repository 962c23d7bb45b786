// Walking dialog and menu templates as the system reads them, and writing a
// dialog back in the extended layout.

#include "package/kestrix/kestrix_template.h"

#include <cwchar>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrix {
namespace {

constexpr uint16_t kExSignature = 0xFFFF;
constexpr uint16_t kSystemFontSize = 0x7FFF;  // the message font; no weight or face follows
constexpr uint16_t kItemEnd = 0x80;           // MF_END: the last item of its level
constexpr uint16_t kItemPopup = 0x10;         // MF_POPUP
constexpr uint16_t kExItemPopup = 0x01;       // a MENUEX item that opens a pop-up
#ifdef _WIN32
static_assert(kItemEnd == MF_END && kItemPopup == MF_POPUP, "the menu flags are the system's");
static_assert(kStyleChild == WS_CHILD && kStylePopup == WS_POPUP && kStyleVisible == WS_VISIBLE &&
                  kStyleDisabled == WS_DISABLED && kStyleControl == DS_CONTROL && kStyleSetFont == DS_SETFONT &&
                  kStyleShellFont == DS_SHELLFONT,
              "the styles are the system's");
#endif

bool Refuse(std::wstring* reason, const std::wstring& why) {
  *reason = why;
  return false;
}

std::wstring Numbered(const wchar_t* what, size_t n, const wchar_t* tail) {
  wchar_t line[96];
  swprintf(line, sizeof line / sizeof line[0], L"%ls %u%ls", what, static_cast<unsigned>(n), tail);
  return line;
}

// The header: styles, count, place, menu, class, caption and font.
bool WalkDialogHeader(ByteReader& in, DialogTemplate* d) {
  ByteReader signature = in;
  d->extended = signature.Word() == 1 && signature.Word() == kExSignature;
  if (d->extended) {
    in.Skip(4);
    d->helpId = in.Dword();
    d->exStyle = in.Dword();
    d->style = in.Dword();
  } else {
    d->style = in.Dword();
    d->exStyle = in.Dword();
  }
  d->declared = in.Word();
  d->x = static_cast<int16_t>(in.Word());
  d->y = static_cast<int16_t>(in.Word());
  d->cx = static_cast<int16_t>(in.Word());
  d->cy = static_cast<int16_t>(in.Word());
  d->menu = in.NameOrOrdinal();
  d->cls = in.NameOrOrdinal();
  d->caption = in.String();
  if (d->style & kStyleSetFont) {
    d->pointSize = in.Word();
    if (d->pointSize != kSystemFontSize) {
      if (d->extended) {
        d->weight = in.Word();
        d->italic = in.Byte();
        d->charset = in.Byte();
      }
      d->face = in.String();
    }
  }
  return in.ok();
}

// One control; the system reads its class as a text even when it is empty,
// and its creation data in whole words.
bool WalkControl(ByteReader& in, bool extended, DialogControl* c) {
  in.AlignTo4();
  if (extended) c->helpId = in.Dword();
  c->exStyle = extended ? in.Dword() : 0;
  c->style = in.Dword();
  if (!extended) c->exStyle = in.Dword();
  c->x = static_cast<int16_t>(in.Word());
  c->y = static_cast<int16_t>(in.Word());
  c->cx = static_cast<int16_t>(in.Word());
  c->cy = static_cast<int16_t>(in.Word());
  c->id = extended ? in.Dword() : in.Word();
  c->cls = in.NameOrOrdinal();
  c->text = in.NameOrOrdinal();
  const uint16_t dataSize = in.Word();
  if (!in.ok() || in.remaining() < (dataSize + 1u) / 2 * 2) return false;
  c->data.assign(in.here(), in.here() + dataSize);
  return in.Skip((dataSize + 1u) / 2 * 2);
}

class Writer {
 public:
  void Word(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void String(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  // An ordinal stays an ordinal; in the header, "none" is the empty text.
  void Name(const ResName& n, bool header) {
    if (n.numeric && !(header && n.Empty())) {
      Word(0xFFFF);
      Word(n.number);
    } else {
      String(n.text);
    }
  }
  void Align4() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

bool WalkMenuLevel(ByteReader& in, int depth, MenuShape* shape);
bool WalkMenuExLevel(ByteReader& in, int depth, MenuShape* shape);

// Counts an item and its level; false once either bound is passed.
bool Count(int depth, MenuShape* shape) {
  ++shape->items;
  if (depth > shape->depth) shape->depth = depth;
  return shape->items <= kMaxMenuItems && depth <= kMaxMenuDepth;
}

bool WalkMenuLevel(ByteReader& in, int depth, MenuShape* shape) {
  for (;;) {
    if (!Count(depth, shape)) return false;
    const uint16_t flags = in.Word();
    if (!(flags & kItemPopup)) in.Word();
    in.String();
    if (!in.ok()) return false;
    if ((flags & kItemPopup) && !WalkMenuLevel(in, depth + 1, shape)) return false;
    if (flags & kItemEnd) return true;
  }
}

// The MENUEX layout: the system word-aligns each text and DWORD-aligns what
// follows it; a pop-up's help id comes before its items.
bool WalkMenuExLevel(ByteReader& in, int depth, MenuShape* shape) {
  for (;;) {
    if (!Count(depth, shape)) return false;
    in.Skip(12);  // type, state, id
    const uint16_t flags = in.Word();
    in.AlignTo2();
    in.String();
    in.AlignTo4();
    if (!in.ok()) return false;
    if (flags & kExItemPopup) {
      in.Dword();  // help id
      if (!WalkMenuExLevel(in, depth + 1, shape)) return false;
    }
    if (flags & kItemEnd) return true;
  }
}

}  // namespace

bool WalkDialog(const uint8_t* data, size_t size, DialogTemplate* dialog, std::wstring* reason) {
  *dialog = DialogTemplate();
  ByteReader in(data, size);
  if (!data || !WalkDialogHeader(in, dialog))
    return Refuse(reason, L"the dialog template is malformed (its header runs past its end)");
  for (size_t i = 0; i < dialog->declared; ++i) {
    DialogControl control;
    if (!WalkControl(in, dialog->extended, &control))
      return Refuse(reason, L"the dialog template is malformed (" + Numbered(L"control", i + 1, L" runs past its end)"));
    if (dialog->controls.size() < kMaxDialogControls) dialog->controls.push_back(std::move(control));
  }
  return true;
}

std::vector<uint8_t> WriteDialog(const DialogTemplate& d) {
  Writer out;
  out.Word(1);
  out.Word(kExSignature);
  out.Dword(d.helpId);
  out.Dword(d.exStyle);
  out.Dword(d.style);
  out.Word(static_cast<uint16_t>(d.controls.size()));
  for (int16_t v : {d.x, d.y, d.cx, d.cy}) out.Word(static_cast<uint16_t>(v));
  out.Name(d.menu, true);
  out.Name(d.cls, true);
  out.String(d.caption);
  if (d.style & kStyleSetFont) {
    out.Word(d.pointSize);
    if (d.pointSize != kSystemFontSize) {
      out.Word(d.weight);
      out.Word(static_cast<uint16_t>(d.italic | d.charset << 8));
      out.String(d.face);
    }
  }
  for (const DialogControl& c : d.controls) {
    out.Align4();
    out.Dword(c.helpId);
    out.Dword(c.exStyle);
    out.Dword(c.style);
    for (int16_t v : {c.x, c.y, c.cx, c.cy}) out.Word(static_cast<uint16_t>(v));
    out.Dword(c.id);
    out.Name(c.cls, false);
    out.Name(c.text, false);
    // Padded to whole words, so that every system steps over it alike.
    const size_t padded = (c.data.size() + 1) / 2 * 2;
    out.Word(static_cast<uint16_t>(padded));
    for (size_t i = 0; i < padded; i += 2)
      out.Word(static_cast<uint16_t>(c.data[i] | (i + 1 < c.data.size() ? c.data[i + 1] << 8 : 0)));
  }
  return out.Take();
}

bool WalkMenu(const uint8_t* data, size_t size, MenuShape* shape, std::wstring* reason) {
  *shape = MenuShape();
  ByteReader in(data, size);
  const uint16_t version = in.Word();
  const uint16_t offset = in.Word();
  if (!in.ok()) return Refuse(reason, L"the menu template is shorter than its header");
  bool walked = false;
  if (version == 0 && offset == 0) {
    walked = WalkMenuLevel(in, 0, shape);
  } else if (version == 1) {
    shape->extended = true;
    walked = in.Skip(offset) && WalkMenuExLevel(in, 0, shape);
  } else {
    return Refuse(reason, L"the menu template has an unknown version");
  }
  if (walked) return true;
  if (shape->depth > kMaxMenuDepth)
    return Refuse(reason, Numbered(L"the menu nests deeper than", kMaxMenuDepth, L" levels"));
  if (shape->items > kMaxMenuItems)
    return Refuse(reason, Numbered(L"the menu holds more items than the", kMaxMenuItems, L" a preview takes"));
  return Refuse(reason, L"the menu template is malformed (an item runs past its end)");
}

}  // namespace kestrix
