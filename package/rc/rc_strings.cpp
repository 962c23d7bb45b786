// STRINGTABLE and ACCELERATORS statements.

#include "package/rc/rc_strings.h"

#include <cctype>

namespace package {
namespace rc {

void StringParser::StringTable() {
  ResEntry options;
  options.language = s_.language;
  options.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(options.memoryFlags);
  if (!CommonOptions(options) || !Begin("after STRINGTABLE")) return;
  while (More()) {
    if (!StringEntry(options)) return;
  }
}

bool StringParser::StringEntry(const ResEntry& options) {
  const Token* idToken = Peek();
  uint16_t id = 0;
  if (!Number16(id, "string id")) return false;
  AcceptPunct(",");
  std::u16string text;
  const Token* textToken = Peek();
  if (!Text(text, "the string table entry")) return false;
  // Each string is stored after a 16-bit length.
  if (text.size() > 0xFFFF)
    return FailAt(textToken, "string " + std::to_string(id) + " is longer than 65535 characters");
  const BlockKey key(options.language, static_cast<uint16_t>((id >> 4) + 1));
  if (!strings_.count(key)) {
    stringOrder_.push_back(key);
    blockOptions_[key] = options;
  }
  StringBlock& block = strings_[key];
  if (block.present[id & 15]) return FailAt(idToken, "duplicate string id " + std::to_string(id));
  block.present[id & 15] = true;
  block.text[id & 15] = text;
  return true;
}

void StringParser::FlushStringTables() {
  for (const BlockKey& key : stringOrder_) {
    ResEntry e = blockOptions_[key];
    e.type = ResId::Number(kRtString);
    e.name = ResId::Number(key.second);
    e.data = LayoutStringBlock(strings_[key]);
    s_.entries.push_back(e);
  }
}

bool StringParser::AcceleratorKey(const Token* event, const std::string& text, Accelerator& a) {
  if (text.size() == 2 && text[0] == '^' && isalpha(static_cast<unsigned char>(text[1]))) {
    if (a.flags & 0x01) return FailAt(event, "a ^ key cannot be VIRTKEY");
    a.key = static_cast<uint16_t>(toupper(static_cast<unsigned char>(text[1])) - 'A' + 1);
    return true;
  }
  if (text.size() != 1) return FailAt(event, "accelerator key must be one character or ^ and a letter");
  a.key = static_cast<unsigned char>(text[0]);
  if (a.flags & 0x01) a.key = static_cast<uint16_t>(toupper(a.key));
  return true;
}

void StringParser::Accelerators(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtAccelerator);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);
  if (!CommonOptions(e) || !Begin("for the accelerators")) return;
  std::vector<Accelerator> table;
  while (More()) {
    const Token* event = Peek();
    std::string keyText;
    int64_t key = 0;
    if (event->kind == TokenKind::String) {
      keyText = StringBytes(*event);
      ++s_.pos;
    } else if (!Number(key)) {
      return;
    }
    Accelerator a;
    a.key = static_cast<uint16_t>(key);
    if (!Comma("the accelerator's key") || !Number16(a.id, "command id")) return;
    bool ascii = false;
    // The options begin after a comma; between them commas may be left out.
    for (bool comma = false;;) {
      if (AcceptPunct(",")) {
        comma = true;
        continue;
      }
      const Token* option = Peek();
      if (!comma && option && option->kind == TokenKind::Identifier && !option->firstOnLine) {
        Fail("',' expected after the accelerator's command id, found " + Shown(option));
        return;
      }
      if (AcceptWord("ASCII")) ascii = true;
      else if (AcceptWord("VIRTKEY")) a.flags |= 0x01;
      else if (AcceptWord("NOINVERT")) a.flags |= 0x02;
      else if (AcceptWord("SHIFT")) a.flags |= 0x04;
      else if (AcceptWord("CONTROL")) a.flags |= 0x08;
      else if (AcceptWord("ALT")) a.flags |= 0x10;
      else break;
    }
    if (ascii && (a.flags & 0x01)) {
      FailAt(event, "an accelerator is ASCII or VIRTKEY, not both");
      return;
    }
    if (event->kind == TokenKind::String && !AcceleratorKey(event, keyText, a)) return;
    table.push_back(a);
  }
  if (s_.failed) return;
  if (table.empty()) {
    FailAt(at, "ACCELERATORS has no entries");
    return;
  }
  e.data = LayoutAccelerators(table);
  Add(e, at);
}

}  // namespace rc
}  // namespace package
