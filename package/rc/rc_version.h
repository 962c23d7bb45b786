#pragma once
// VERSIONINFO statements: the fixed information and the BLOCK and VALUE
// tree read into VersionNodes under the record's root.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

class VersionParser : public Parser {
 public:
  using Parser::Parser;

  // VERSIONINFO after its name and type word.
  void VersionInfo(ResEntry& e, const Token* at);

 private:
  bool VersionQuad(uint32_t& ms, uint32_t& ls);
  bool FixedInfo(ResEntry& e, uint32_t (&fixed)[kFixedInfoWords]);
  bool VersionItems(std::vector<VersionNode>& items, int depth = 0);
  // A VALUE's strings (joined, one terminator) or numbers, after its key.
  bool VersionValue(VersionNode& node, const Token* at);
};

}  // namespace rc
}  // namespace package
