// VERSIONINFO statements.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

bool Parser::VersionQuad(uint32_t& ms, uint32_t& ls) {
  uint16_t part[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && !AcceptPunct(",")) break;
    if (!Number16(part[i], "version part")) return false;
  }
  ms = (static_cast<uint32_t>(part[0]) << 16) | part[1];
  ls = (static_cast<uint32_t>(part[2]) << 16) | part[3];
  return true;
}

bool Parser::VersionItems(std::vector<VersionNode>& items, int depth) {
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
        // A value that ends in an explicit "\0" keeps that one terminator.
        if (!s.empty() && s.back() == u'\0') s.pop_back();
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

void Parser::VersionInfo(ResEntry& e, const Token* at) {
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
