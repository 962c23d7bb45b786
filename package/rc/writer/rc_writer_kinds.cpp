// The script writer's view of resources: the statement of each kind and the
// flags it starts from, names as a script writes them, and resources found
// and compared by their type, name and language.

#include <unordered_map>

#include "package/res/res_reader.h"
#include "package/rc/rc_tokens.h"
#include "package/rc/writer/rc_writer.h"
#include "package/rc/writer/rc_writer_forms.h"

namespace package {
namespace rc {
namespace writer {

namespace {
constexpr uint16_t kDefaultDiscardable = kDefault | kMemDiscardable;
constexpr uint16_t kImageFlags = kMemMoveable | kMemDiscardable;
}  // namespace

std::string KeyOf(const ResId& type, const ResId& name, uint16_t language) {
  std::string key;
  for (const ResId* id : {&type, &name}) {
    key += id->numeric ? "#" + std::to_string(id->number) : "$";
    for (char16_t c : id->text) key += std::to_string(c) + ",";
    key += "|";
  }
  return key + std::to_string(language);
}

std::unordered_map<std::string, size_t> IndexOf(const std::vector<ResEntry>& entries) {
  std::unordered_map<std::string, size_t> index;
  for (size_t i = 0; i < entries.size(); ++i) index.emplace(KeyOf(entries[i]), i);
  return index;
}

std::string Describe(const ResEntry& e) {
  return DescribeResId(e.type) + " " + DescribeResId(e.name) + " (language " + Hex(e.language) + ")";
}

std::string Difference(const ResEntry& want, const ResEntry& got) {
  if (want.data != got.data) return "its bytes differ";
  if (want.memoryFlags != got.memoryFlags) return "its memory flags differ";
  if (want.version != got.version || want.characteristics != got.characteristics)
    return "its VERSION or CHARACTERISTICS differ";
  return std::string();
}

Kind KindOf(const ResEntry& e) {
  if (!e.type.numeric) return {nullptr, kDefault, "bin"};
  switch (e.type.number) {
    case kRtCursor: return {nullptr, kImageFlags, "cur"};
    case kRtBitmap: return {"BITMAP", kDefault, "bmp"};
    case kRtIcon: return {nullptr, kImageFlags, "ico"};
    case kRtMenu: return {"MENU", kDefaultDiscardable, "bin"};
    case kRtDialog: return {"DIALOG", kDefaultDiscardable, "bin"};
    case kRtString: return {"STRINGTABLE", kDefaultDiscardable, "bin"};
    case kRtFontDir: return {nullptr, kImageFlags, "bin"};
    case kRtFont: return {"FONT", kImageFlags, "fnt"};
    case kRtAccelerator: return {"ACCELERATORS", kDefaultDiscardable, "bin"};
    case kRtRcData: return {"RCDATA", kDefault, "bin"};
    case kRtMessageTable: return {"MESSAGETABLE", kDefault, "bin"};
    case kRtGroupCursor: return {"CURSOR", kDefaultDiscardable, "cur"};
    case kRtGroupIcon: return {"ICON", kDefaultDiscardable, "ico"};
    case kRtVersion: return {"VERSIONINFO", kDefault, "bin"};
    case kRtHtml: return {"HTML", kDefault, "htm"};
    case kRtManifest: return {nullptr, kDefault, "manifest"};
    case kRtToolbar: return {"TOOLBAR", kDefault, "bin"};
    case kRtDlgInit: return {"DLGINIT", kDefault, "bin"};
    default: return {nullptr, kDefault, "bin"};
  }
}

const char* DataExtension(const ResEntry& e) {
  for (uint16_t made : {kRtCursor, kRtIcon, kRtGroupCursor, kRtGroupIcon, kRtBitmap}) {
    if (IsType(e, made)) return "bin";
  }
  return KindOf(e).extension;
}

std::string FilePart(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    out.push_back(keep ? c : '_');
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return s;
}

// Words a statement reads as its own where a name or type stands.
std::string WordOrLiteral(const ResId& type) {
  static const char* const kWords[] = {"MENU", "MENUEX", "DIALOG", "DIALOGEX", "VERSIONINFO", "ACCELERATORS",
                                       "FONT", "DLGINIT", "RCDATA", "ICON", "CURSOR", "TOOLBAR", "BITMAP", "HTML",
                                       "MESSAGETABLE", "STRINGTABLE", "FONTDIR", "ANICURSOR", "ANIICON",
                                       "PLUGPLAY", "VXD", "BEGIN", "END", "LANGUAGE", "VERSION",
                                       "CHARACTERISTICS", "NOT"};
  if (type.numeric || type.text.empty() || (type.text[0] >= u'0' && type.text[0] <= u'9')) return NameText(type);
  std::string word;
  for (char16_t c : type.text) {
    if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_')) return NameText(type);
    word.push_back(static_cast<char>(c));
  }
  for (const char* k : kWords) {
    if (word == k) return NameText(type);
  }
  return word;
}

bool SameImageStatement(const ResEntry& group, const ImageGroup& lines, const std::vector<const ResEntry*>& images,
                        const std::vector<ResEntry>& made, std::string& why) {
  for (const ResEntry& m : made) {
    if (SameKey(m, group)) {
      ImageGroup got;
      if (!ReadImageGroup(m.data, got, why) || got.images.size() != lines.images.size()) return false;
      for (size_t k = 0; k < got.images.size(); ++k) got.images[k].id = lines.images[k].id;
      ResEntry renumbered = m;
      renumbered.data = LayoutImageGroup(got);
      why = Difference(group, renumbered);
    } else if (m.name.numeric && m.name.number >= 1 && m.name.number <= images.size()) {
      why = Difference(*images[m.name.number - 1], m);
      if (!why.empty()) why = "an image's " + why.substr(4);
    }
    if (!why.empty()) {
      why = "its statement does not give it back (" + why + ")";
      return false;
    }
  }
  return true;
}

}  // namespace writer

bool SameResources(const std::vector<ResEntry>& expected, const std::vector<ResEntry>& compiled,
                   std::string& difference) {
  if (expected.size() != compiled.size()) {
    difference = std::to_string(compiled.size()) + " resources instead of " + std::to_string(expected.size());
    return false;
  }
  const std::unordered_map<std::string, size_t> made = writer::IndexOf(compiled);
  for (const ResEntry& want : expected) {
    const auto found = made.find(writer::KeyOf(want));
    if (found == made.end()) {
      difference = writer::Describe(want) + " is missing";
      return false;
    }
    const std::string why = writer::Difference(want, compiled[found->second]);
    if (!why.empty()) {
      difference = writer::Describe(want) + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace rc
}  // namespace package
