#pragma once
// STRINGTABLE and ACCELERATORS statements. String tables gather strings by
// language and block of sixteen across the whole script; each block becomes
// one resource once the script is read.

#include <map>
#include <utility>

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

class StringParser : public Parser {
 public:
  using Parser::Parser;

  // STRINGTABLE after its word.
  void StringTable();
  // Adds every block gathered, in the order each was first seen.
  void FlushStringTables();

  // ACCELERATORS after its name and type word.
  void Accelerators(ResEntry& e, const Token* at);

 private:
  // One string; `options` holds the table's language, memory flags,
  // VERSION and CHARACTERISTICS, which a block takes from the first table
  // that adds to it.
  bool StringEntry(const ResEntry& options);
  // A key given as a string: one character, or ^ and a letter.
  bool AcceleratorKey(const Token* event, const std::string& text, Accelerator& a);

  using BlockKey = std::pair<uint16_t, uint16_t>;  // language, block number
  std::map<BlockKey, StringBlock> strings_;
  std::map<BlockKey, ResEntry> blockOptions_;  // the header of each block, without data
  std::vector<BlockKey> stringOrder_;
};

}  // namespace rc
}  // namespace package
