// The structural checks and the statement compiler.

#include "package/rc/rc_compile.h"

#include <cctype>
#include <map>
#include <utility>

#include "package/rc/rc_expression.h"
#include "package/rc/rc_symbols.h"

namespace package {

namespace {

constexpr uint32_t kWsPopup = 0x80000000;
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsCaption = 0x00C00000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kDsSetFont = 0x0040;

// The predefined window classes a dialog template names by number.
constexpr uint16_t kAtomButton = 0x80;
constexpr uint16_t kAtomEdit = 0x81;
constexpr uint16_t kAtomStatic = 0x82;
constexpr uint16_t kAtomListBox = 0x83;
constexpr uint16_t kAtomScrollBar = 0x84;
constexpr uint16_t kAtomComboBox = 0x85;

// Deeper menus or version blocks than any real script has are refused
// rather than recursed into.
constexpr int kMaxNesting = 32;

constexpr uint16_t kMemDefault = kMemMoveable | kMemPure;
constexpr uint16_t kMemDefaultDiscardable = kMemMoveable | kMemPure | kMemDiscardable;

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return s;
}

std::u16string Widen(const std::string& ascii) { return DecodeCodePage(ascii, 1252); }

class Writer {
 public:
  std::vector<uint8_t> bytes;

  void Byte(uint8_t v) { bytes.push_back(v); }
  void Word(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v & 0xFFFF));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  // A number or a name, as dialog templates hold their menu, class and texts.
  void NameOrOrdinal(const ResId& id) {
    if (id.numeric) {
      Word(0xFFFF);
      Word(id.number);
    } else {
      Text(id.text);
    }
  }
  void Align4() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  void PatchWord(size_t at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
  }
};

struct MenuItem {
  bool popup = false;
  uint16_t flags = 0;
  uint16_t id = 0;
  std::u16string text;
  std::vector<MenuItem> children;
};

struct DialogControl {
  ResId text = ResId::Text(u"");
  uint32_t id = 0;
  ResId windowClass;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t helpId = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
};

struct VersionNode {
  std::u16string key;
  uint16_t type = 1;  // 1 text, 0 binary
  uint16_t valueLength = 0;
  std::vector<uint8_t> value;
  std::vector<VersionNode> children;
};

enum class ControlShape { TextAndId, IdOnly, Generic, Icon };

struct ControlKind {
  const char* word;
  ControlShape shape;
  uint16_t atom;
  uint32_t style;
};

const ControlKind kControlKinds[] = {
    {"LTEXT", ControlShape::TextAndId, kAtomStatic, 0x0000 | kWsGroup},
    {"RTEXT", ControlShape::TextAndId, kAtomStatic, 0x0002 | kWsGroup},
    {"CTEXT", ControlShape::TextAndId, kAtomStatic, 0x0001 | kWsGroup},
    {"PUSHBUTTON", ControlShape::TextAndId, kAtomButton, 0x0000 | kWsTabStop},
    {"DEFPUSHBUTTON", ControlShape::TextAndId, kAtomButton, 0x0001 | kWsTabStop},
    {"PUSHBOX", ControlShape::TextAndId, kAtomButton, 0x000A | kWsTabStop},
    {"CHECKBOX", ControlShape::TextAndId, kAtomButton, 0x0002 | kWsTabStop},
    {"AUTOCHECKBOX", ControlShape::TextAndId, kAtomButton, 0x0003 | kWsTabStop},
    {"RADIOBUTTON", ControlShape::TextAndId, kAtomButton, 0x0004 | kWsTabStop},
    {"AUTORADIOBUTTON", ControlShape::TextAndId, kAtomButton, 0x0009 | kWsTabStop},
    {"STATE3", ControlShape::TextAndId, kAtomButton, 0x0005 | kWsTabStop},
    {"AUTO3STATE", ControlShape::TextAndId, kAtomButton, 0x0006 | kWsTabStop},
    {"GROUPBOX", ControlShape::TextAndId, kAtomButton, 0x0007},
    {"EDITTEXT", ControlShape::IdOnly, kAtomEdit, 0x0000 | kWsBorder | kWsTabStop},
    {"LISTBOX", ControlShape::IdOnly, kAtomListBox, 0x0001 | kWsBorder},
    {"COMBOBOX", ControlShape::IdOnly, kAtomComboBox, 0x0001 | kWsTabStop},
    {"SCROLLBAR", ControlShape::IdOnly, kAtomScrollBar, 0x0000},
    {"ICON", ControlShape::Icon, kAtomStatic, 0x0003},
    {"CONTROL", ControlShape::Generic, 0, 0},
};

const struct {
  const char* name;
  uint16_t atom;
} kClassNames[] = {{"BUTTON", kAtomButton},       {"EDIT", kAtomEdit},
                   {"STATIC", kAtomStatic},       {"LISTBOX", kAtomListBox},
                   {"SCROLLBAR", kAtomScrollBar}, {"COMBOBOX", kAtomComboBox}};

// Statements of other resource compilers and class libraries that this one
// refuses rather than misreads.
const char* const kUnsupportedTypes[] = {"MENUEX", "CURSOR", "FONT", "FONTDIR", "TOOLBAR",
                                         "DLGINIT", "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};

class Parser {
 public:
  Parser(const PreprocessedScript& src, const FileReader& reader, std::vector<ResEntry>& entries,
         std::vector<Diagnostic>& diags)
      : t_(src.tokens), files_(src.files), reader_(reader), entries_(entries), diags_(diags) {
    scriptDir_ = DirectoryOf(src.files[0]);
  }

  bool Run() {
    while (!failed_ && pos_ < t_.size()) Statement();
    if (!failed_) FlushStringTables();
    return !failed_;
  }

 private:
  // ---- Token access and faults

  const Token* Peek(size_t ahead = 0) const {
    return pos_ + ahead < t_.size() ? &t_[pos_ + ahead] : nullptr;
  }

  bool FailAt(const Token* at, const std::string& message, int line = 0) {
    Diagnostic d;
    d.message = message;
    if (!at) {
      d.message += " (at end of script)";
      if (!t_.empty()) at = &t_.back();
    }
    d.file = at ? files_[static_cast<size_t>(at->fileIndex)] : files_[0];
    d.line = line > 0 ? line : (at ? at->line : 1);
    diags_.push_back(d);
    failed_ = true;
    return false;
  }
  bool Fail(const std::string& message) { return FailAt(Peek(), message); }

  static std::string Shown(const Token* t) {
    if (!t) return "end of script";
    if (t->kind == TokenKind::String) return "a string";
    return "'" + t->text + "'";
  }

  bool AcceptWord(const char* w) {
    if (Peek() && IsWord(*Peek(), w)) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool AcceptPunct(const char* p) {
    if (Peek() && IsPunct(*Peek(), p)) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Comma() {
    if (AcceptPunct(",")) return true;
    return Fail("',' expected, found " + Shown(Peek()));
  }

  static bool IsBegin(const Token* t) { return t && (IsWord(*t, "BEGIN") || IsPunct(*t, "{")); }
  static bool IsEnd(const Token* t) { return t && (IsWord(*t, "END") || IsPunct(*t, "}")); }

  bool Begin(const char* what) {
    if (IsBegin(Peek())) {
      ++pos_;
      return true;
    }
    return Fail(std::string("BEGIN expected ") + what + ", found " + Shown(Peek()));
  }
  // True while inside a block; false at its END (consumed) or on a fault.
  bool More() {
    if (!Peek()) return Fail("END expected");
    if (IsEnd(Peek())) {
      ++pos_;
      return false;
    }
    return !failed_;
  }

  // ---- Values

  bool Number(int64_t& value) {
    const size_t at = pos_;
    std::string error;
    int line = 0;
    NameLookup builtin = [](const Token& name, int64_t& v) { return LookupBuiltinSymbol(name.text, v); };
    if (ReadExpression(t_, pos_, builtin, kPrecLogicalOr, value, error, line)) return true;
    const Token* near = pos_ < t_.size() ? &t_[pos_] : (at < t_.size() ? &t_[at] : nullptr);
    return FailAt(near, error, line);
  }

  bool Number16(uint16_t& out, const char* what) {
    const Token* at = Peek();
    int64_t v = 0;
    if (!Number(v)) return false;
    if (v < -32768 || v > 65535) return FailAt(at, std::string(what) + " does not fit in 16 bits");
    out = static_cast<uint16_t>(v);
    return true;
  }

  bool Number32(uint32_t& out) {
    int64_t v = 0;
    if (!Number(v)) return false;
    out = static_cast<uint32_t>(v);
    return true;
  }

  bool Coordinate(int16_t& out) {
    const Token* at = Peek();
    int64_t v = 0;
    if (!Number(v)) return false;
    if (v < -32768 || v > 32767) return FailAt(at, "coordinate out of range");
    out = static_cast<int16_t>(v);
    return true;
  }

  // A style: names and numbers joined by '|', where "NOT x" clears x from
  // what the statement sets by default.
  bool Style(uint32_t& value) {
    for (;;) {
      const bool clear = AcceptWord("NOT");
      const Token* at = Peek();
      int64_t v = 0;
      std::string error;
      int line = 0;
      NameLookup builtin = [](const Token& name, int64_t& x) { return LookupBuiltinSymbol(name.text, x); };
      if (!ReadExpression(t_, pos_, builtin, kPrecBitXor, v, error, line))
        return FailAt(pos_ < t_.size() ? &t_[pos_] : at, error, line);
      if (clear)
        value &= ~static_cast<uint32_t>(v);
      else
        value |= static_cast<uint32_t>(v);
      if (!AcceptPunct("|")) return true;
    }
  }

  bool Text(std::u16string& out, const char* what) {
    const Token* t = Peek();
    if (!t || t->kind != TokenKind::String)
      return Fail(std::string("string expected for ") + what + ", found " + Shown(t));
    out = StringText(*t);
    ++pos_;
    return true;
  }

  // A resource name: a number, or a word or string (upper-cased).
  bool ResName(ResId& id) {
    const Token* t = Peek();
    if (!t) return Fail("resource name expected");
    int64_t builtin = 0;
    if (t->kind == TokenKind::String) {
      id = ResId::Text(Upper(StringText(*t)));
      ++pos_;
      return true;
    }
    if (t->kind == TokenKind::Identifier && !LookupBuiltinSymbol(t->text, builtin)) {
      id = ResId::Text(Upper(Widen(t->text)));
      ++pos_;
      return true;
    }
    if (t->kind == TokenKind::Punct && !IsPunct(*t, "(") && !IsPunct(*t, "-") && !IsPunct(*t, "~"))
      return Fail("resource name expected, found " + Shown(t));
    uint16_t n = 0;
    if (!Number16(n, "resource number")) return false;
    id = ResId::Number(n);
    return true;
  }

  // ---- Statement parts shared by several resource types

  void MemoryOptions(uint16_t& flags) {
    for (;;) {
      if (AcceptWord("PRELOAD")) flags |= kMemPreload;
      else if (AcceptWord("LOADONCALL")) flags &= static_cast<uint16_t>(~kMemPreload);
      else if (AcceptWord("MOVEABLE")) flags |= kMemMoveable;
      else if (AcceptWord("FIXED")) flags &= static_cast<uint16_t>(~kMemMoveable);
      else if (AcceptWord("DISCARDABLE")) flags |= kMemDiscardable;
      else if (AcceptWord("PURE") || AcceptWord("SHARED")) flags |= kMemPure;
      else if (AcceptWord("IMPURE") || AcceptWord("NONSHARED")) flags &= static_cast<uint16_t>(~kMemPure);
      else return;
    }
  }

  bool Language(uint16_t& language) {
    uint16_t primary = 0, sub = 0;
    if (!Number16(primary, "language") || !Comma() || !Number16(sub, "sub-language")) return false;
    language = static_cast<uint16_t>((sub << 10) | (primary & 0x3FF));
    return true;
  }

  // LANGUAGE, VERSION and CHARACTERISTICS before a resource's body. Sets
  // `taken` when one was read.
  bool CommonOption(ResEntry& e, bool& taken) {
    taken = true;
    if (AcceptWord("LANGUAGE")) return Language(e.language);
    if (AcceptWord("VERSION")) return Number32(e.version);
    if (AcceptWord("CHARACTERISTICS")) return Number32(e.characteristics);
    taken = false;
    return true;
  }

  bool CommonOptions(ResEntry& e) {
    bool taken = true;
    while (taken) {
      if (!CommonOption(e, taken)) return false;
    }
    return true;
  }

  bool Add(ResEntry& e, const Token* at) {
    for (const ResEntry& x : entries_) {
      if (x.type == e.type && x.name == e.name && x.language == e.language)
        return FailAt(at, "duplicate resource " + DescribeResId(e.name) + " of type " + DescribeResId(e.type));
    }
    entries_.push_back(e);
    return true;
  }

  bool FileData(std::vector<uint8_t>& data, const char* what) {
    const Token* t = Peek();
    std::string name;
    if (t && t->kind == TokenKind::String)
      name = StringBytes(*t);
    else if (t && t->kind == TokenKind::Identifier && t->text.find('.') != std::string::npos)
      name = t->text;
    else
      return Fail(std::string("file name expected for ") + what + ", found " + Shown(t));
    const bool absolute = (name.size() >= 2 && name[1] == ':') || name[0] == '\\' || name[0] == '/';
    std::string text;
    if (!reader_(absolute ? name : scriptDir_ + name, text) && !reader_(name, text))
      return Fail("cannot open file '" + name + "'");
    data.assign(text.begin(), text.end());
    ++pos_;
    return true;
  }

  // ---- Statements

  void Statement() {
    const Token* first = Peek();
    if (AcceptWord("LANGUAGE")) {
      Language(language_);
      return;
    }
    if (AcceptWord("STRINGTABLE")) {
      StringTable();
      return;
    }
    if (AcceptWord("VERSION") || AcceptWord("CHARACTERISTICS")) {
      uint32_t ignored = 0;
      Number32(ignored);
      return;
    }
    if (IsBegin(first) || IsEnd(first)) {
      Fail(Shown(first) + " outside a resource statement");
      return;
    }

    ResEntry e;
    e.language = language_;
    if (!ResName(e.name)) return;
    const Token* type = Peek();
    if (!type || IsBegin(type) || IsEnd(type)) {
      Fail("resource type expected after the name, found " + Shown(type));
      return;
    }
    if (type->kind == TokenKind::Identifier) {
      std::string word = type->text;
      for (char& c : word) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
      for (const char* u : kUnsupportedTypes) {
        if (word == u) {
          Fail(word + " resources are not supported");
          return;
        }
      }
      int64_t number = 0;
      ++pos_;
      if (word == "MENU") Menu(e, first);
      else if (word == "DIALOG") Dialog(e, first, false);
      else if (word == "DIALOGEX") Dialog(e, first, true);
      else if (word == "ACCELERATORS") Accelerators(e, first);
      else if (word == "VERSIONINFO") VersionInfo(e, first);
      else if (word == "RCDATA") UserData(e, first, ResId::Number(kRtRcData));
      else if (word == "ICON") Icon(e, first);
      else if (word == "BITMAP") Bitmap(e, first);
      else if (word == "HTML") FileResource(e, first, ResId::Number(23));
      else if (word == "MESSAGETABLE") FileResource(e, first, ResId::Number(11));
      else if (word == "STRINGTABLE") FailAt(type, "STRINGTABLE takes no name");
      else if (LookupBuiltinSymbol(type->text, number)) UserData(e, first, ResId::Number(static_cast<uint16_t>(number)));
      else UserData(e, first, ResId::Text(Upper(Widen(type->text))));
      return;
    }
    if (type->kind == TokenKind::String) {
      ++pos_;
      UserData(e, first, ResId::Text(Upper(StringText(*type))));
      return;
    }
    if (type->kind == TokenKind::Number || IsPunct(*type, "(")) {
      uint16_t number = 0;
      if (Number16(number, "resource type")) UserData(e, first, ResId::Number(number));
      return;
    }
    Fail("resource type expected, found " + Shown(type));
  }

  // RCDATA and user-defined types: a file, or numbers and strings in a block.
  void UserData(ResEntry& e, const Token* at, const ResId& type) {
    e.type = type;
    e.memoryFlags = kMemDefault;
    MemoryOptions(e.memoryFlags);
    if (!CommonOptions(e)) return;
    if (IsBegin(Peek())) {
      if (!RawData(e.data)) return;
    } else if (!FileData(e.data, "the resource")) {
      return;
    }
    Add(e, at);
  }

  bool RawData(std::vector<uint8_t>& data) {
    Writer w;
    if (!Begin("for the data")) return false;
    while (More()) {
      const Token* t = Peek();
      if (t->kind == TokenKind::String) {
        if (t->wide) {
          for (char16_t c : StringText(*t)) w.Word(static_cast<uint16_t>(c));
        } else {
          for (char c : StringBytes(*t)) w.Byte(static_cast<uint8_t>(c));
        }
        ++pos_;
      } else {
        const size_t from = pos_;
        int64_t v = 0;
        if (!Number(v)) return false;
        bool isLong = false;
        for (size_t i = from; i < pos_; ++i) isLong = isLong || (t_[i].kind == TokenKind::Number && t_[i].isLong);
        if (isLong) {
          w.Dword(static_cast<uint32_t>(v));
        } else {
          if (v < -32768 || v > 65535) return FailAt(t, "value does not fit in 16 bits (add an L suffix for 32)");
          w.Word(static_cast<uint16_t>(v));
        }
      }
      AcceptPunct(",");
    }
    data = w.bytes;
    return !failed_;
  }

  void FileResource(ResEntry& e, const Token* at, const ResId& type) {
    e.type = type;
    e.memoryFlags = kMemDefault;
    MemoryOptions(e.memoryFlags);
    if (!CommonOptions(e) || !FileData(e.data, "the resource")) return;
    Add(e, at);
  }

  void Bitmap(ResEntry& e, const Token* at) {
    e.type = ResId::Number(kRtBitmap);
    e.memoryFlags = kMemDefault;
    MemoryOptions(e.memoryFlags);
    const Token* file = Peek();
    if (!CommonOptions(e) || !FileData(e.data, "the bitmap")) return;
    // The resource holds the bitmap without its 14-byte file header.
    if (e.data.size() < 14 + 12 || e.data[0] != 'B' || e.data[1] != 'M') {
      FailAt(file, "not a bitmap file");
      return;
    }
    e.data.erase(e.data.begin(), e.data.begin() + 14);
    Add(e, at);
  }

  void Icon(ResEntry& e, const Token* at) {
    e.type = ResId::Number(kRtGroupIcon);
    e.memoryFlags = kMemDefaultDiscardable;
    MemoryOptions(e.memoryFlags);
    const Token* file = Peek();
    std::vector<uint8_t> ico;
    if (!CommonOptions(e) || !FileData(ico, "the icon")) return;

    auto word = [&ico](size_t at2) { return static_cast<uint16_t>(ico[at2] | (ico[at2 + 1] << 8)); };
    auto dword = [&](size_t at2) { return static_cast<uint32_t>(word(at2)) | (static_cast<uint32_t>(word(at2 + 2)) << 16); };
    if (ico.size() < 6 || word(0) != 0 || word(2) != 1 || word(4) == 0 || ico.size() < 6 + 16u * word(4)) {
      FailAt(file, "not an icon file");
      return;
    }
    // Each image becomes an icon resource; the group lists them.
    Writer group;
    const uint16_t count = word(4);
    group.Word(0);
    group.Word(1);
    group.Word(count);
    for (uint16_t i = 0; i < count; ++i) {
      const size_t dir = 6 + 16u * i;
      const uint32_t size = dword(dir + 8), offset = dword(dir + 12);
      if (offset > ico.size() || size > ico.size() - offset) {
        FailAt(file, "icon file is truncated");
        return;
      }
      ResEntry image;
      image.type = ResId::Number(kRtIcon);
      image.name = ResId::Number(nextIconId_++);
      image.language = e.language;
      image.memoryFlags = kMemMoveable | kMemDiscardable;
      image.data.assign(ico.begin() + offset, ico.begin() + offset + size);
      if (!Add(image, at)) return;
      for (size_t k = 0; k < 4; ++k) group.Byte(ico[dir + k]);
      group.Word(word(dir + 4));
      group.Word(word(dir + 6));
      group.Dword(size);
      group.Word(image.name.number);
    }
    e.data = group.bytes;
    Add(e, at);
  }

  // ---- STRINGTABLE

  struct StringBlock {
    std::u16string text[16];
    bool present[16] = {};
  };

  void StringTable() {
    ResEntry options;
    options.language = language_;
    uint16_t flags = kMemDefaultDiscardable;
    MemoryOptions(flags);
    if (!CommonOptions(options) || !Begin("after STRINGTABLE")) return;
    while (More()) {
      const Token* idToken = Peek();
      uint16_t id = 0;
      if (!Number16(id, "string id")) return;
      AcceptPunct(",");
      std::u16string text;
      if (!Text(text, "the string table entry")) return;
      const std::pair<uint16_t, uint16_t> key(options.language, static_cast<uint16_t>((id >> 4) + 1));
      if (!strings_.count(key)) {
        stringOrder_.push_back(key);
        stringFlags_[key] = flags;
      }
      StringBlock& block = strings_[key];
      if (block.present[id & 15]) {
        FailAt(idToken, "duplicate string id " + std::to_string(id));
        return;
      }
      block.present[id & 15] = true;
      block.text[id & 15] = text;
    }
  }

  void FlushStringTables() {
    for (const auto& key : stringOrder_) {
      const StringBlock& block = strings_[key];
      Writer w;
      for (int i = 0; i < 16; ++i) {
        w.Word(static_cast<uint16_t>(block.text[i].size()));
        for (char16_t c : block.text[i]) w.Word(static_cast<uint16_t>(c));
      }
      ResEntry e;
      e.type = ResId::Number(kRtString);
      e.name = ResId::Number(key.second);
      e.language = key.first;
      e.memoryFlags = stringFlags_[key];
      e.data = w.bytes;
      entries_.push_back(e);
    }
  }

  // ---- MENU

  void MenuOptions(uint16_t& flags) {
    static const struct {
      const char* word;
      uint16_t flag;
    } kOptions[] = {{"GRAYED", 0x0001},      {"INACTIVE", 0x0002}, {"CHECKED", 0x0008},
                    {"MENUBARBREAK", 0x0020}, {"MENUBREAK", 0x0040}, {"HELP", 0x4000}};
    for (;;) {
      if (AcceptPunct(",")) continue;
      bool found = false;
      for (const auto& o : kOptions) {
        if (AcceptWord(o.word)) {
          flags |= o.flag;
          found = true;
          break;
        }
      }
      if (!found) return;
    }
  }

  bool MenuItems(std::vector<MenuItem>& items, int depth = 0) {
    if (depth > kMaxNesting) return Fail("menu nested too deeply");
    if (!Begin("for the menu items")) return false;
    while (More()) {
      MenuItem item;
      const Token* at = Peek();
      if (AcceptWord("MENUITEM")) {
        if (AcceptWord("SEPARATOR")) {
          items.push_back(item);
          continue;
        }
        if (!Text(item.text, "the menu item")) return false;
        AcceptPunct(",");
        if (!Number16(item.id, "menu item id")) return false;
        MenuOptions(item.flags);
      } else if (AcceptWord("POPUP")) {
        item.popup = true;
        if (!Text(item.text, "the pop-up menu")) return false;
        MenuOptions(item.flags);
        if (!MenuItems(item.children, depth + 1)) return false;
        if (item.children.empty()) return FailAt(at, "POPUP has no items");
      } else {
        return Fail("MENUITEM or POPUP expected, found " + Shown(at));
      }
      items.push_back(item);
    }
    return !failed_;
  }

  static void WriteMenuItems(Writer& w, const std::vector<MenuItem>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const MenuItem& m = items[i];
      uint16_t flags = m.flags;
      if (m.popup) flags |= 0x0010;
      if (i + 1 == items.size()) flags |= 0x0080;  // the last item of its level
      w.Word(flags);
      if (!m.popup) w.Word(m.id);
      w.Text(m.text);
      if (m.popup) WriteMenuItems(w, m.children);
    }
  }

  void Menu(ResEntry& e, const Token* at) {
    e.type = ResId::Number(kRtMenu);
    e.memoryFlags = kMemDefaultDiscardable;
    MemoryOptions(e.memoryFlags);
    std::vector<MenuItem> items;
    if (!CommonOptions(e) || !MenuItems(items)) return;
    if (items.empty()) {
      FailAt(at, "MENU has no items");
      return;
    }
    Writer w;
    w.Word(0);  // version
    w.Word(0);  // header size
    WriteMenuItems(w, items);
    e.data = w.bytes;
    Add(e, at);
  }

  // ---- DIALOG and DIALOGEX

  bool ControlText(ResId& text) {
    const Token* t = Peek();
    int64_t v = 0;
    if (t && t->kind == TokenKind::String) {
      text = ResId::Text(StringText(*t));
      ++pos_;
      return true;
    }
    if (t && t->kind == TokenKind::Identifier && !LookupBuiltinSymbol(t->text, v)) {
      text = ResId::Text(Widen(t->text));
      ++pos_;
      return true;
    }
    uint16_t n = 0;
    if (!Number16(n, "control text number")) return false;
    text = ResId::Number(n);
    return true;
  }

  bool ControlClass(ResId& cls) {
    const Token* t = Peek();
    std::u16string name;
    if (t && t->kind == TokenKind::String) {
      name = StringText(*t);
    } else if (t && t->kind == TokenKind::Identifier) {
      name = Widen(t->text);
      bool known = false;
      for (const auto& c : kClassNames) known = known || Upper(name) == Widen(c.name);
      if (!known) return Fail("unknown control class '" + t->text + "'");
    } else {
      uint16_t n = 0;
      if (!Number16(n, "control class")) return false;
      cls = ResId::Number(n);
      return true;
    }
    ++pos_;
    for (const auto& c : kClassNames) {
      if (Upper(name) == Widen(c.name)) {
        cls = ResId::Number(c.atom);
        return true;
      }
    }
    cls = ResId::Text(name);
    return true;
  }

  bool ControlId(uint32_t& id, bool extended) {
    const Token* at = Peek();
    int64_t v = 0;
    if (!Number(v)) return false;
    if (!extended && (v < -32768 || v > 65535)) return FailAt(at, "control id does not fit in 16 bits");
    id = static_cast<uint32_t>(v);
    return true;
  }

  bool Rectangle(DialogControl& c) {
    return Coordinate(c.x) && Comma() && Coordinate(c.y) && Comma() && Coordinate(c.cx) && Comma() &&
           Coordinate(c.cy);
  }

  // The optional tail: [, style [, exstyle [, help id]]].
  bool StyleTail(DialogControl& c, bool withStyle, bool extended) {
    if (withStyle) {
      if (!AcceptPunct(",")) return true;
      if (!Style(c.style)) return false;
    }
    if (!AcceptPunct(",")) return true;
    if (!Number32(c.exStyle)) return false;
    if (!AcceptPunct(",")) return true;
    if (!extended) return Fail("only DIALOGEX controls take a help id");
    return Number32(c.helpId);
  }

  bool Control(std::vector<DialogControl>& controls, bool extended) {
    const Token* t = Peek();
    const ControlKind* kind = nullptr;
    for (const ControlKind& k : kControlKinds) {
      if (IsWord(*t, k.word)) kind = &k;
    }
    if (!kind) return Fail("control statement expected, found " + Shown(t));
    ++pos_;

    DialogControl c;
    c.windowClass = ResId::Number(kind->atom);
    c.style = kWsChild | kWsVisible | kind->style;
    switch (kind->shape) {
      case ControlShape::TextAndId:
        if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() || !Rectangle(c) ||
            !StyleTail(c, true, extended))
          return false;
        break;
      case ControlShape::IdOnly:
        if (!ControlId(c.id, extended) || !Comma() || !Rectangle(c) || !StyleTail(c, true, extended))
          return false;
        break;
      case ControlShape::Icon:
        if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() || !Coordinate(c.x) ||
            !Comma() || !Coordinate(c.y))
          return false;
        if (AcceptPunct(",")) {
          if (!Coordinate(c.cx) || !Comma() || !Coordinate(c.cy) || !StyleTail(c, true, extended)) return false;
        }
        break;
      case ControlShape::Generic:
        if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() ||
            !ControlClass(c.windowClass) || !Comma() || !Style(c.style) || !Comma() || !Rectangle(c) ||
            !StyleTail(c, false, extended))
          return false;
        break;
    }
    controls.push_back(c);
    return true;
  }

  void Dialog(ResEntry& e, const Token* at, bool extended) {
    e.type = ResId::Number(kRtDialog);
    e.memoryFlags = kMemDefaultDiscardable;
    MemoryOptions(e.memoryFlags);

    DialogControl frame;
    if (!Rectangle(frame)) return;
    uint32_t helpId = 0;
    if (AcceptPunct(",")) {
      if (!extended) {
        Fail("only DIALOGEX takes a help id");
        return;
      }
      if (!Number32(helpId)) return;
    }

    uint32_t style = kWsPopup | kWsBorder | kWsSysMenu;
    uint32_t exStyle = 0;
    bool hasCaption = false, hasFont = false;
    std::u16string caption, face;
    ResId menu, cls;
    bool hasMenu = false, hasClass = false;
    uint16_t pointSize = 0, weight = 0;
    uint8_t italic = 0, charset = 1;
    for (;;) {
      bool taken = false;
      if (!CommonOption(e, taken)) return;
      if (taken) continue;
      if (AcceptWord("STYLE")) {
        style = 0;
        if (!Style(style)) return;
      } else if (AcceptWord("EXSTYLE")) {
        if (!Style(exStyle)) return;
      } else if (AcceptWord("CAPTION")) {
        hasCaption = true;
        if (!Text(caption, "CAPTION")) return;
      } else if (AcceptWord("CLASS")) {
        hasClass = true;
        if (Peek() && Peek()->kind == TokenKind::String) {
          cls = ResId::Text(StringText(*Peek()));
          ++pos_;
        } else {
          uint16_t n = 0;
          if (!Number16(n, "dialog class")) return;
          cls = ResId::Number(n);
        }
      } else if (AcceptWord("MENU")) {
        hasMenu = true;
        if (!ResName(menu)) return;
      } else if (AcceptWord("FONT")) {
        hasFont = true;
        if (!Number16(pointSize, "font size") || !Comma() || !Text(face, "FONT")) return;
        if (AcceptPunct(",")) {
          if (!extended) {
            Fail("only DIALOGEX takes font weight, italic and character set");
            return;
          }
          uint16_t v = 0;
          if (!Number16(weight, "font weight")) return;
          if (AcceptPunct(",")) {
            if (!Number16(v, "italic flag")) return;
            italic = static_cast<uint8_t>(v);
            if (AcceptPunct(",")) {
              if (!Number16(v, "character set")) return;
              charset = static_cast<uint8_t>(v);
            }
          }
        }
      } else {
        break;
      }
    }
    if (hasCaption) style |= kWsCaption;
    if (hasFont) style |= kDsSetFont;

    std::vector<DialogControl> controls;
    if (!Begin("for the dialog's controls")) return;
    while (More()) {
      if (!Control(controls, extended)) return;
    }
    if (failed_) return;
    if (controls.size() > 65535) {
      FailAt(at, "too many controls");
      return;
    }

    Writer w;
    if (extended) {
      w.Word(1);
      w.Word(0xFFFF);
      w.Dword(helpId);
      w.Dword(exStyle);
      w.Dword(style);
    } else {
      w.Dword(style);
      w.Dword(exStyle);
    }
    w.Word(static_cast<uint16_t>(controls.size()));
    w.Word(static_cast<uint16_t>(frame.x));
    w.Word(static_cast<uint16_t>(frame.y));
    w.Word(static_cast<uint16_t>(frame.cx));
    w.Word(static_cast<uint16_t>(frame.cy));
    if (hasMenu) w.NameOrOrdinal(menu); else w.Word(0);
    if (hasClass) w.NameOrOrdinal(cls); else w.Word(0);
    w.Text(caption);
    if (style & kDsSetFont) {
      w.Word(pointSize);
      if (extended) {
        w.Word(weight);
        w.Byte(italic);
        w.Byte(charset);
      }
      w.Text(face);
    }
    for (const DialogControl& c : controls) {
      w.Align4();
      if (extended) {
        w.Dword(c.helpId);
        w.Dword(c.exStyle);
        w.Dword(c.style);
      } else {
        w.Dword(c.style);
        w.Dword(c.exStyle);
      }
      w.Word(static_cast<uint16_t>(c.x));
      w.Word(static_cast<uint16_t>(c.y));
      w.Word(static_cast<uint16_t>(c.cx));
      w.Word(static_cast<uint16_t>(c.cy));
      if (extended) w.Dword(c.id); else w.Word(static_cast<uint16_t>(c.id));
      w.NameOrOrdinal(c.windowClass);
      w.NameOrOrdinal(c.text);
      w.Word(0);  // no creation data
    }
    e.data = w.bytes;
    Add(e, at);
  }

  // ---- ACCELERATORS

  void Accelerators(ResEntry& e, const Token* at) {
    e.type = ResId::Number(kRtAccelerator);
    e.memoryFlags = kMemDefaultDiscardable;
    MemoryOptions(e.memoryFlags);
    if (!CommonOptions(e) || !Begin("for the accelerators")) return;
    Writer w;
    size_t count = 0;
    while (More()) {
      const Token* event = Peek();
      std::string keyText;
      int64_t key = 0;
      if (event->kind == TokenKind::String) {
        keyText = StringBytes(*event);
        ++pos_;
      } else if (!Number(key)) {
        return;
      }
      uint16_t id = 0;
      if (!Comma() || !Number16(id, "command id")) return;
      uint16_t flags = 0;
      bool ascii = false;
      for (;;) {
        if (AcceptPunct(",")) continue;
        if (AcceptWord("ASCII")) ascii = true;
        else if (AcceptWord("VIRTKEY")) flags |= 0x01;
        else if (AcceptWord("NOINVERT")) flags |= 0x02;
        else if (AcceptWord("SHIFT")) flags |= 0x04;
        else if (AcceptWord("CONTROL")) flags |= 0x08;
        else if (AcceptWord("ALT")) flags |= 0x10;
        else break;
      }
      if (ascii && (flags & 0x01)) {
        FailAt(event, "an accelerator is ASCII or VIRTKEY, not both");
        return;
      }
      if (event->kind == TokenKind::String) {
        if (keyText.size() == 2 && keyText[0] == '^' && isalpha(static_cast<unsigned char>(keyText[1]))) {
          if (flags & 0x01) {
            FailAt(event, "a ^ key cannot be VIRTKEY");
            return;
          }
          key = toupper(static_cast<unsigned char>(keyText[1])) - 'A' + 1;
        } else if (keyText.size() == 1) {
          key = static_cast<unsigned char>(keyText[0]);
          if (flags & 0x01) key = toupper(static_cast<int>(key));
        } else {
          FailAt(event, "accelerator key must be one character or ^ and a letter");
          return;
        }
      }
      w.Word(flags);
      w.Word(static_cast<uint16_t>(key));
      w.Word(id);
      w.Word(0);
      ++count;
    }
    if (failed_) return;
    if (count == 0) {
      FailAt(at, "ACCELERATORS has no entries");
      return;
    }
    w.bytes[w.bytes.size() - 8] |= 0x80;  // marks the last entry
    e.data = w.bytes;
    Add(e, at);
  }

  // ---- VERSIONINFO

  bool VersionQuad(uint32_t& ms, uint32_t& ls) {
    uint16_t part[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
      if (i > 0 && !AcceptPunct(",")) break;
      if (!Number16(part[i], "version part")) return false;
    }
    ms = (static_cast<uint32_t>(part[0]) << 16) | part[1];
    ls = (static_cast<uint32_t>(part[2]) << 16) | part[3];
    return true;
  }

  bool VersionItems(std::vector<VersionNode>& items, int depth = 0) {
    if (depth > kMaxNesting) return Fail("version block nested too deeply");
    if (!Begin("for the version block")) return false;
    while (More()) {
      VersionNode node;
      const Token* at = Peek();
      if (AcceptWord("BLOCK")) {
        if (!Text(node.key, "BLOCK") || !VersionItems(node.children, depth + 1)) return false;
      } else if (AcceptWord("VALUE")) {
        if (!Text(node.key, "VALUE")) return false;
        bool text = false, binary = false;
        std::u16string s;
        Writer bin;
        while (AcceptPunct(",")) {
          const Token* v = Peek();
          if (v && v->kind == TokenKind::String) {
            text = true;
            s += StringText(*v);
            ++pos_;
            continue;
          }
          binary = true;
          const size_t from = pos_;
          int64_t n = 0;
          if (!Number(n)) return false;
          bool isLong = false;
          for (size_t i = from; i < pos_; ++i) isLong = isLong || (t_[i].kind == TokenKind::Number && t_[i].isLong);
          if (isLong) bin.Dword(static_cast<uint32_t>(n)); else bin.Word(static_cast<uint16_t>(n));
        }
        if (text && binary) return FailAt(at, "VALUE mixes strings and numbers");
        if (binary) {
          node.type = 0;
          node.value = bin.bytes;
          node.valueLength = static_cast<uint16_t>(bin.bytes.size());
        } else {
          Writer tw;
          tw.Text(s);
          node.value = tw.bytes;
          node.valueLength = static_cast<uint16_t>(s.size() + 1);
        }
      } else {
        return Fail("BLOCK or VALUE expected, found " + Shown(at));
      }
      items.push_back(node);
    }
    return !failed_;
  }

  static void WriteVersionNode(Writer& w, const VersionNode& n) {
    const size_t start = w.bytes.size();
    w.Word(0);
    w.Word(n.valueLength);
    w.Word(n.type);
    w.Text(n.key);
    w.Align4();
    w.bytes.insert(w.bytes.end(), n.value.begin(), n.value.end());
    for (const VersionNode& c : n.children) {
      w.Align4();
      WriteVersionNode(w, c);
    }
    w.PatchWord(start, static_cast<uint16_t>(w.bytes.size() - start));
  }

  void VersionInfo(ResEntry& e, const Token* at) {
    e.type = ResId::Number(kRtVersion);
    e.memoryFlags = kMemDefault;
    MemoryOptions(e.memoryFlags);
    uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (;;) {
      bool taken = false;
      if (!CommonOption(e, taken)) return;
      if (taken) continue;
      bool ok = true;
      if (AcceptWord("FILEVERSION")) ok = VersionQuad(fixed[2], fixed[3]);
      else if (AcceptWord("PRODUCTVERSION")) ok = VersionQuad(fixed[4], fixed[5]);
      else if (AcceptWord("FILEFLAGSMASK")) ok = Number32(fixed[6]);
      else if (AcceptWord("FILEFLAGS")) ok = Number32(fixed[7]);
      else if (AcceptWord("FILEOS")) ok = Number32(fixed[8]);
      else if (AcceptWord("FILETYPE")) ok = Number32(fixed[9]);
      else if (AcceptWord("FILESUBTYPE")) ok = Number32(fixed[10]);
      else break;
      if (!ok) return;
    }
    VersionNode root;
    root.key = u"VS_VERSION_INFO";
    root.type = 0;
    Writer fw;
    for (uint32_t v : fixed) fw.Dword(v);
    root.value = fw.bytes;
    root.valueLength = static_cast<uint16_t>(fw.bytes.size());
    if (!VersionItems(root.children)) return;
    Writer w;
    WriteVersionNode(w, root);
    e.data = w.bytes;
    Add(e, at);
  }

  const std::vector<Token>& t_;
  const std::vector<std::string>& files_;
  const FileReader& reader_;
  std::vector<ResEntry>& entries_;
  std::vector<Diagnostic>& diags_;
  std::string scriptDir_;
  size_t pos_ = 0;
  bool failed_ = false;
  uint16_t language_ = kLangEnglishUs;
  uint16_t nextIconId_ = 1;
  std::map<std::pair<uint16_t, uint16_t>, StringBlock> strings_;
  std::map<std::pair<uint16_t, uint16_t>, uint16_t> stringFlags_;
  std::vector<std::pair<uint16_t, uint16_t>> stringOrder_;
};

}  // namespace

void CheckBlocks(const PreprocessedScript& script, std::vector<Diagnostic>& diagnostics) {
  std::vector<const Token*> open;
  auto report = [&](const Token& t, const std::string& message) {
    Diagnostic d;
    d.file = script.files[static_cast<size_t>(t.fileIndex)];
    d.line = t.line;
    d.message = message;
    diagnostics.push_back(d);
  };
  for (const Token& t : script.tokens) {
    if (IsWord(t, "BEGIN") || IsPunct(t, "{")) {
      open.push_back(&t);
    } else if (IsWord(t, "END") || IsPunct(t, "}")) {
      if (open.empty())
        report(t, IsPunct(t, "}") ? "'}' without matching '{'" : "END without matching BEGIN");
      else
        open.pop_back();
    }
  }
  for (const Token* t : open)
    report(*t, IsPunct(*t, "{") ? "'{' without matching '}'" : "BEGIN without matching END");
}

std::u16string ScriptResourceName(const std::string& path) {
  std::string base = path.substr(path.find_last_of("\\/") + 1);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return Upper(Widen(base));
}

bool CompileScript(const std::string& path, const std::string& text, const FileReader& reader,
                   CompiledScript& out) {
  out = CompiledScript();
  for (char c : text) out.lineCount += c == '\n' ? 1 : 0;
  if (!text.empty() && text.back() != '\n') ++out.lineCount;

  PreprocessedScript script;
  Preprocess(path, text, reader, script);
  out.diagnostics = script.diagnostics;
  CheckBlocks(script, out.diagnostics);
  if (CountErrors(out.diagnostics) > 0) return false;

  if (!Parser(script, reader, out.entries, out.diagnostics).Run()) return false;

  ResEntry source;
  source.type = ResId::Text(kScriptResourceType);
  source.name = ResId::Text(ScriptResourceName(path));
  source.language = kLangNeutral;
  source.memoryFlags = kMemDefault;
  source.data.assign(text.begin(), text.end());
  out.entries.push_back(source);
  return CountErrors(out.diagnostics) == 0;
}

}  // namespace package
