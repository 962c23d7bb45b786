#pragma once
// The 32-bit compiled-resource (.res) file: its entries in memory, and the
// encoder and decoder of the on-disk format.
//
// A .res file is a sequence of entries, each a header followed by its data,
// both padded to a DWORD boundary. The header holds the data size, the header
// size, the type and the name (each either 0xFFFF plus a 16-bit number or a
// NUL-terminated UTF-16 string), then the data version, the memory flags, the
// language, the version and the characteristics. The file starts with an empty
// entry of 32 bytes that marks it as a 32-bit resource file.
//
// Plain standard C++: nothing here touches the operating system beyond
// reading and writing whole files.

#include <cstdint>
#include <string>
#include <vector>

namespace package {

// A resource type or name: a 16-bit number, or a UTF-16 string.
struct ResId {
  bool numeric = true;
  uint16_t number = 0;
  std::u16string text;

  static ResId Number(uint16_t n);
  static ResId Text(const std::u16string& s);
  static ResId Text(const char* ascii);

  bool operator==(const ResId& other) const;
  bool operator!=(const ResId& other) const { return !(*this == other); }
};

// The memory flags the resource compilers write.
constexpr uint16_t kMemMoveable = 0x0010;
constexpr uint16_t kMemPure = 0x0020;
constexpr uint16_t kMemPreload = 0x0040;
constexpr uint16_t kMemDiscardable = 0x1000;

// Languages as packed LANGIDs.
constexpr uint16_t kLangNeutral = 0x0000;
constexpr uint16_t kLangEnglishUs = 0x0409;

// The standard resource types by number.
constexpr uint16_t kRtCursor = 1;
constexpr uint16_t kRtBitmap = 2;
constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtMenu = 4;
constexpr uint16_t kRtDialog = 5;
constexpr uint16_t kRtString = 6;
constexpr uint16_t kRtFontDir = 7;
constexpr uint16_t kRtFont = 8;
constexpr uint16_t kRtAccelerator = 9;
constexpr uint16_t kRtRcData = 10;
constexpr uint16_t kRtMessageTable = 11;
constexpr uint16_t kRtGroupCursor = 12;
constexpr uint16_t kRtGroupIcon = 14;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kRtHtml = 23;
constexpr uint16_t kRtManifest = 24;
// Two a class library defines: initial control data, and toolbars.
constexpr uint16_t kRtDlgInit = 240;
constexpr uint16_t kRtToolbar = 241;

struct ResEntry {
  ResId type;
  ResId name;
  uint16_t language = kLangNeutral;
  uint16_t memoryFlags = kMemMoveable | kMemPure;
  uint32_t dataVersion = 0;
  uint32_t version = 0;
  uint32_t characteristics = 0;
  std::vector<uint8_t> data;
};

// The header size of the leading empty entry, and its full length.
constexpr uint32_t kEmptyEntrySize = 32;

// Encodes the entries after the leading empty entry, which is always written.
std::vector<uint8_t> EncodeResFile(const std::vector<ResEntry>& entries);

// Decodes a whole file. The leading empty entry (and any other entry of type 0
// and name 0 with no data) is skipped. On a malformed file returns false and
// says where in `error`; `entries` then holds what was read before the fault.
bool DecodeResFile(const std::vector<uint8_t>& bytes, std::vector<ResEntry>& entries,
                   std::string& error);

// Whole-file helpers. WriteResFile writes nothing partial: on failure the
// target does not exist afterwards.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
bool ReadResFile(const std::string& path, std::vector<ResEntry>& entries, std::string& error);
bool WriteResFile(const std::string& path, const std::vector<ResEntry>& entries, std::string& error);

// "#10" for a number, the text converted to UTF-8 otherwise.
std::string DescribeResId(const ResId& id);

}  // namespace package
