// The built-in constant tables: what the MinGW-w64 headers define, made at
// build time by make_symbols.py into rc_symbols_table.inc (numbers) and
// rc_strings_table.inc (window class names), and the few names scripts take
// from headers outside that set.

#include "package/rc/rc_symbols.h"

#include <algorithm>
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

// Names of the class-library headers and of windef.h.
const Symbol kExtraSymbols[] = {
    {"FALSE", 0, "windef.h"}, {"IDC_STATIC", -1, "winres.h"}, {"NULL", 0, "windef.h"}, {"TRUE", 1, "windef.h"}};

template <size_t N>
const Symbol* Find(const Symbol (&table)[N], const std::string& name) {
  const Symbol* end = table + N;
  const Symbol* hit = std::lower_bound(table, end, name.c_str(), [](const Symbol& s, const char* n) {
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

}  // namespace

bool LookupBuiltinString(const std::string& name, std::string& text) {
  const StringSymbol* end = kHeaderStrings + sizeof kHeaderStrings / sizeof kHeaderStrings[0];
  const StringSymbol* hit = std::lower_bound(kHeaderStrings, end, name.c_str(),
                                             [](const StringSymbol& s, const char* n) { return strcmp(s.name, n) < 0; });
  if (hit == end || name != hit->name) return false;
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

const char* BuiltinSymbolHeader(const std::string& name) {
  const Symbol* hit = Find(kHeaderSymbols, name);
  if (!hit) hit = Find(kExtraSymbols, name);
  return hit ? hit->header : nullptr;
}

}  // namespace package
