#pragma once
// The resources bound into Kestrix's own module: one record per type, name
// and language, in the order the system enumerates them, with the list line
// the window shows, and the resource's bytes, which every previewer reads
// through the format layer's bounded reader (package/res/res_reader.h).

#include <windows.h>

#include <string>
#include <vector>

#include "package/kestrix/kestrix_names.h"
#include "package/res/res_bytes.h"

namespace kestrix {

// A name as the system hands it over (an ordinal in a pointer, or a text),
// and back.
ResId NameFrom(LPCWSTR id);
LPCWSTR NamePointer(const ResId& name);

struct Resource {
  ResId type;
  ResId name;
  WORD language = 0;
  const BYTE* data = nullptr;
  DWORD size = 0;

  std::wstring Line() const;   // "type <T>, name <N>, language <LLLL>, <S> bytes"
  std::wstring Label() const;  // "MENU #1": the type's short name and the name
  bool IsType(const void* standard) const;  // RT_MENU and the like (a number in a pointer)
  package::res::ByteSpan Bytes() const { return {data, size}; }
};

std::vector<Resource> ListResources(HMODULE module);
// The resource of a numbered type and name (the first name of the type for
// FindFirst) in the language the system's loader would give this user
// (kestrix_language.h); nullptr if none.
const Resource* FindFirst(const std::vector<Resource>& all, const void* type);
const Resource* Find(const std::vector<Resource>& all, const void* type, const ResId& name);
// The resource's label, and when the module holds it in other languages too,
// which one this is: "DIALOG #100 in language 0409 (English (United States); 2 languages)".
std::wstring ShownLabel(const std::vector<Resource>& all, const Resource& shown);

// Parses a name typed on the command line: digits are a number, anything
// else a name, upper-cased as the compiler stores names.
ResId NameFromText(const std::wstring& text);

}  // namespace kestrix
