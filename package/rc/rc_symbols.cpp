// The built-in constant tables: what the MinGW-w64 headers define, made at
// build time by make_symbols.py into rc_symbols_table.inc (numbers) and
// rc_strings_table.inc (window class names), and the few names scripts take
// from headers outside that set.

#include "package/rc/rc_symbols.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace package {

namespace {

struct Symbol {
  const char* name;
  int64_t value;
  const char* header;
};

// Sorted by name (strcmp order).
const Symbol kHeaderSymbols[] = {
#include "rc_symbols_table.inc"
};

// Names of the class-library headers and of windef.h, and the styles of the
// Borland custom controls: scripts of that era name them with no header on
// any path. BBS_* are the bitmap buttons' own bits; a BorShade's kind is the
// low byte of its style (BSS_GROUP to BSS_RGROUP), its caption's placement and
// manners are the bits above. Sorted by name (strcmp order).
const Symbol kExtraSymbols[] = {
    {"BBS_BITMAP", 0x8000, "bwcc.h"},    {"BBS_OWNERDRAW", 0x1000, "bwcc.h"}, {"BBS_PARENTNOTIFY", 0x2000, "bwcc.h"},
    {"BSS_ALIGNMASK", 0x0300, "bwcc.h"}, {"BSS_CAPTION", 0x8000, "bwcc.h"},   {"BSS_CENTER", 0x0100, "bwcc.h"},
    {"BSS_CTLCOLOR", 0x4000, "bwcc.h"},  {"BSS_GROUP", 1, "bwcc.h"},          {"BSS_HBUMP", 4, "bwcc.h"},
    {"BSS_HDIP", 2, "bwcc.h"},           {"BSS_LEFT", 0, "bwcc.h"},           {"BSS_NOPREFIX", 0x2000, "bwcc.h"},
    {"BSS_RGROUP", 6, "bwcc.h"},         {"BSS_RIGHT", 0x0200, "bwcc.h"},     {"BSS_VBUMP", 5, "bwcc.h"},
    {"BSS_VDIP", 3, "bwcc.h"},           {"FALSE", 0, "windef.h"},            {"IDC_STATIC", -1, "winres.h"},
    {"NULL", 0, "windef.h"},             {"TRUE", 1, "windef.h"}};

// The entry of a table sorted by name, or null.
template <typename Entry, size_t N>
const Entry* Find(const Entry (&table)[N], const std::string& name) {
  const Entry* end = table + N;
  const Entry* hit = std::lower_bound(table, end, name.c_str(), [](const Entry& s, const char* n) {
    return strcmp(s.name, n) < 0;
  });
  return hit != end && name == hit->name ? hit : nullptr;
}

struct StringSymbol {
  const char* name;
  const char* text;
  const char* header;
};

const StringSymbol kHeaderStrings[] = {
#include "rc_strings_table.inc"
};

// The window classes of the Borland custom controls, by the names their
// scripts give them. Sorted by name (strcmp order).
const StringSymbol kExtraStrings[] = {
    {"BORDLGCLASS", "BorDlg", "bwcc.h"},   {"BORGRAYCLASS", "BorDlg_Gray", "bwcc.h"},
    {"BUTTON_CLASS", "BorBtn", "bwcc.h"},  {"CHECK_CLASS", "BorCheck", "bwcc.h"},
    {"RADIO_CLASS", "BorRadio", "bwcc.h"}, {"SHADE_CLASS", "BorShade", "bwcc.h"},
    {"STATIC_CLASS", "BorStatic", "bwcc.h"}};

struct MacroDefinition {
  const char* header;
  const char* text;  // after "#define "
};

const MacroDefinition kHeaderMacros[] = {
#include "rc_functions_table.inc"
};

}  // namespace

std::vector<std::string> BuiltinMacroDefinitions(const std::string& header) {
  std::vector<std::string> out;
  for (const MacroDefinition& m : kHeaderMacros) {
    if (header == m.header) out.push_back(m.text);
  }
  return out;
}

bool LookupBuiltinString(const std::string& name, std::string& text) {
  const StringSymbol* hit = Find(kHeaderStrings, name);
  if (!hit) hit = Find(kExtraStrings, name);
  if (!hit) return false;
  text = hit->text;
  return true;
}

bool LookupBuiltinSymbol(const std::string& name, int64_t& value) {
  const Symbol* hit = Find(kHeaderSymbols, name);
  if (!hit) hit = Find(kExtraSymbols, name);
  if (!hit) return false;
  value = hit->value;
  return true;
}

void ForEachBuiltinSymbol(void (*visit)(const char* name, void* context), void* context) {
  for (const Symbol& s : kHeaderSymbols) visit(s.name, context);
  for (const Symbol& s : kExtraSymbols) visit(s.name, context);
}

const char* BuiltinSymbolHeader(const std::string& name) {
  const Symbol* hit = Find(kHeaderSymbols, name);
  if (!hit) hit = Find(kExtraSymbols, name);
  return hit ? hit->header : nullptr;
}

void AddVisibleHeaders(const std::string& name, std::set<std::string>& visible) {
  const size_t slash = name.find_last_of("\\/");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  for (char& c : base) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  static const char* const kResourceSet[] = {"winresrc.h", "winuser.rh", "commctrl.rh", "winnt.rh",
                                             "dlgs.h",     "winver.h",   "windef.h"};
  if (base == "windows.h" || base == "winres.h" || base == "winresrc.h" || base == "afxres.h") {
    for (const char* h : kResourceSet) visible.insert(h);
    if (base != "windows.h") visible.insert("winres.h");
    return;
  }
  visible.insert(base);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos) visible.insert(base.substr(0, dot) + ".rh");
}

}  // namespace package
