// Side files of a written script, by name.

#include "package/rc/writer/rc_writer_files.h"

#include "package/rc/writer/rc_writer_forms.h"

namespace package {
namespace rc {
namespace writer {

namespace {

std::string FileKind(const ResEntry& e) {
  const Kind k = KindOf(e);
  if (k.word) return k.word;
  if (IsType(e, kRtManifest)) return "manifest";
  if (IsType(e, kRtIcon)) return "icon_image";
  if (IsType(e, kRtCursor)) return "cursor_image";
  if (IsType(e, kRtFontDir)) return "fontdir";
  return e.type.numeric ? "type" + std::to_string(e.type.number) : DescribeResId(e.type);
}

}  // namespace

std::string SideFiles::Add(const ResEntry& e, const char* extension, const std::vector<uint8_t>& bytes) {
  if (options_.inlineData) return "\n" + HexBlock(bytes);
  const std::string base = Lower(FilePart(FileKind(e) + "_" + DescribeResId(e.name).substr(e.name.numeric ? 1 : 0))) +
                           "_" + Lower(Hex(e.language).substr(2));
  std::string name = base;
  for (int n = 2; !names_.insert(name).second; ++n) name = base + "_" + std::to_string(n);
  // Unquoted, as a name of words and path punctuation: a literal here
  // would join the next statement's name when that is one.
  const std::string path = Folder() + "/" + name + "." + extension;
  files_[path] = bytes;
  order_.push_back(path);
  return " " + path;
}

void SideFiles::Discard(size_t mark) {
  const size_t folder = Folder().size() + 1;
  for (size_t k = mark; k < order_.size(); ++k) {
    files_.erase(order_[k]);
    names_.erase(order_[k].substr(folder, order_[k].find_last_of('.') - folder));
  }
  order_.resize(mark);
}

void SideFiles::Clear() {
  files_.clear();
  names_.clear();
  order_.clear();
}

const std::vector<uint8_t>* SideFiles::Find(const std::string& path) const {
  const auto f = files_.find(path);
  return f == files_.end() ? nullptr : &f->second;
}

std::string SideFiles::Folder() const {
  const std::string f = FilePart(options_.folder.empty() ? std::string("files") : options_.folder);
  return f[0] >= '0' && f[0] <= '9' ? "_" + f : f;
}

void SideFiles::MoveTo(std::vector<SideFile>& out) {
  out.clear();
  for (auto& f : files_) out.push_back({f.first, std::move(f.second)});
}

}  // namespace writer
}  // namespace rc
}  // namespace package
