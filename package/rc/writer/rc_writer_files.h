#pragma once
// The script writer's side files: the files its statements name for binary
// data (or, with inline data, the quoted hexadecimal blocks that stand in
// their place), each named after its resource's kind, name and language,
// unique without regard to case, and dropped again when the statement that
// named it is not taken.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "package/rc/writer/rc_writer.h"
#include "package/res/res_file.h"

namespace package {
namespace rc {
namespace writer {

class SideFiles {
 public:
  explicit SideFiles(const ScriptOptions& options) : options_(options) {}

  // The side file for `e` holding `bytes` (or its inline block), as the statement names it.
  std::string Add(const ResEntry& e, const char* extension, const std::vector<uint8_t>& bytes);
  // How many have been made: a mark to drop the ones made after it.
  size_t Mark() const { return order_.size(); }
  // Drops the side files made since `mark`, for a statement that was not taken.
  void Discard(size_t mark);
  void Clear();
  // The file a statement names, for compiling the script in memory; null when there is none.
  const std::vector<uint8_t>* Find(const std::string& path) const;
  // The folder as an unquoted file name can hold it.
  std::string Folder() const;
  void MoveTo(std::vector<SideFile>& out);

 private:
  const ScriptOptions& options_;
  std::map<std::string, std::vector<uint8_t>> files_;
  std::set<std::string> names_;
  std::vector<std::string> order_;  // as made
};

}  // namespace writer
}  // namespace rc
}  // namespace package
