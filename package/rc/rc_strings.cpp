// STRINGTABLE and ACCELERATORS statements.

#include "package/rc/rc_parser.h"

#include <cctype>

namespace package {
namespace rc {

void Parser::StringTable() {
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
    const Token* textToken = Peek();
    if (!Text(text, "the string table entry")) return;
    // Each string is stored after a 16-bit length.
    if (text.size() > 0xFFFF) {
      FailAt(textToken, "string " + std::to_string(id) + " is longer than 65535 characters");
      return;
    }
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

void Parser::FlushStringTables() {
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

void Parser::Accelerators(ResEntry& e, const Token* at) {
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

}  // namespace rc
}  // namespace package
