#pragma once
// The read-only text renderings of resources: a string block with its ids,
// a version record's fields, an accelerator table's key and command pairs,
// and a hex view for everything else.

#include <string>

#include "package/kestrix/kestrix_resources.h"

namespace kestrix {

// The text view of a resource; false with *reason when it is malformed.
bool ResourceText(const Resource& resource, std::wstring* text, std::wstring* reason);

// The strings of a block, one "<id>: <text>" line each (tabs and line breaks written as \t, \r, \n).
bool StringBlockText(const Resource& block, std::wstring* text, std::wstring* reason);
// String `id` from the blocks in the list; false when there is none.
bool FindString(const std::vector<Resource>& all, WORD id, std::wstring* text);

bool VersionText(const Resource& version, std::wstring* text, std::wstring* reason);
bool AcceleratorText(const Resource& table, std::wstring* text, std::wstring* reason);
// Sixteen bytes a line: offset, hex, and the printable characters.
std::wstring HexText(const BYTE* data, DWORD size);

}  // namespace kestrix
