// VERSIONINFO statements.

#include "package/rc/rc_version.h"

namespace package {
namespace rc {

bool VersionParser::VersionQuad(uint32_t& ms, uint32_t& ls) {
  uint16_t part[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && !AcceptPunct(",")) break;
    if (!Number16(part[i], "version part")) return false;
  }
  ms = (static_cast<uint32_t>(part[0]) << 16) | part[1];
  ls = (static_cast<uint32_t>(part[2]) << 16) | part[3];
  return true;
}

namespace {

// A number, a name or an operator that can begin one, but not the next
// statement of a block.
bool StartsNumber(const Token* t) {
  if (!t) return false;
  if (t->kind == TokenKind::Number) return true;
  if (t->kind == TokenKind::Identifier)
    return !IsWord(*t, "VALUE") && !IsWord(*t, "BLOCK") && !IsWord(*t, "END") && !IsWord(*t, "BEGIN");
  return IsPunct(*t, "(") || IsPunct(*t, "-") || IsPunct(*t, "~") || IsPunct(*t, "+") || IsPunct(*t, "!");
}

}  // namespace

bool VersionParser::VersionValue(VersionNode& node, const Token* at) {
  bool text = false, binary = false;
  std::u16string s;
  Writer bin;
  // Numbers may follow one another without commas ("Translation", 0x0409
  // 0x04E4), as the other compilers take them.
  while (AcceptPunct(",") || (binary && !text && StartsNumber(Peek()))) {
    const Token* v = Peek();
    if (v && v->kind == TokenKind::String) {
      text = true;
      s += StringText(*v);
      ++s_.pos;
      continue;
    }
    binary = true;
    int64_t n = 0;
    bool isLong = false;
    if (!DataNumber(n, isLong)) return false;
    if (isLong) bin.Dword(static_cast<uint32_t>(n)); else bin.Word(static_cast<uint16_t>(n));
  }
  if (text && binary) return FailAt(at, "VALUE mixes strings and numbers");
  if (binary) {
    node.type = 0;
    node.value = bin.bytes;
    node.valueLength = static_cast<uint16_t>(bin.bytes.size());
    return true;
  }
  // A value that ends in an explicit "\0" keeps that one terminator.
  if (!s.empty() && s.back() == u'\0') s.pop_back();
  Writer tw;
  tw.Text(s);
  node.value = tw.bytes;
  node.valueLength = static_cast<uint16_t>(s.size() + 1);
  return true;
}

bool VersionParser::VersionItems(std::vector<VersionNode>& items, int depth) {
  if (depth > kMaxNesting) return Fail("version block nested too deeply");
  if (!Begin("for the version block")) return false;
  while (More()) {
    VersionNode node;
    const Token* at = Peek();
    if (AcceptWord("BLOCK")) {
      if (!Text(node.key, "BLOCK") || !VersionItems(node.children, depth + 1)) return false;
    } else if (AcceptWord("VALUE")) {
      const Token* key = Peek();
      if (!Text(node.key, "VALUE")) return false;
      if (key->joinedLine > 0) {
        // Two literals in a row: the comma between the name and its text is missing.
        Token second = *key;
        second.line = key->joinedLine;
        second.column = key->joinedColumn;
        return FailAt(&second, "',' expected after the VALUE's name, found a string");
      }
      if (!VersionValue(node, at)) return false;
    } else {
      return Fail("BLOCK, VALUE or END expected, found " + Shown(at) +
                  DidYouMean(at, kKeywords, true));
    }
    items.push_back(node);
  }
  return !s_.failed;
}

bool VersionParser::FixedInfo(ResEntry& e, uint32_t (&fixed)[kFixedInfoWords]) {
  for (;;) {
    bool taken = false;
    if (!CommonOption(e, taken)) return false;
    if (taken) continue;
    bool ok = true;
    if (AcceptWord("FILEVERSION")) ok = VersionQuad(fixed[2], fixed[3]);
    else if (AcceptWord("PRODUCTVERSION")) ok = VersionQuad(fixed[4], fixed[5]);
    else if (AcceptWord("FILEFLAGSMASK")) ok = Number32(fixed[6]);
    else if (AcceptWord("FILEFLAGS")) ok = Number32(fixed[7]);
    else if (AcceptWord("FILEOS")) ok = Number32(fixed[8]);
    else if (AcceptWord("FILETYPE")) ok = Number32(fixed[9]);
    else if (AcceptWord("FILESUBTYPE")) ok = Number32(fixed[10]);
    else return true;
    if (!ok) return false;
  }
}

void VersionParser::VersionInfo(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtVersion);
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  uint32_t fixed[kFixedInfoWords] = {kFixedInfoSignature, 0x00010000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!FixedInfo(e, fixed)) return;
  VersionNode root = VersionRoot(fixed);
  if (!VersionItems(root.children)) return;
  Writer w;
  LayoutVersionNode(w, root);
  // Every block of the record, the record itself included, is sized in 16 bits.
  if (w.bytes.size() > 0xFFFF) {
    FailAt(at, "version record is larger than 65535 bytes");
    return;
  }
  e.data = w.bytes;
  Add(e, at);
}

}  // namespace rc
}  // namespace package
