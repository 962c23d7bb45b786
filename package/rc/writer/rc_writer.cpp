// The script writer's driver: which form each resource takes, each
// statement checked by compiling it alone, and the whole
// script compiled and compared before it is handed out.

#include "package/rc/writer/rc_writer.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "package/rc/rc_compile.h"
#include "package/res/res_image_files.h"
#include "package/res/res_reader.h"
#include "package/rc/rc_tokens.h"
#include "package/rc/writer/rc_writer_files.h"
#include "package/rc/writer/rc_writer_forms.h"

namespace package {
namespace rc {

namespace {

// The statements and the view of resources the driver works with.
using namespace writer;

// A whole script that does not come back is written again with what
// differed as data; this often at most.
constexpr int kMaxRounds = 4;
constexpr uint16_t kImageFlags = kMemMoveable | kMemDiscardable;

bool HasSmallLetters(const ResId& id) {
  return !id.numeric && std::any_of(id.text.begin(), id.text.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
}

class ScriptWriter {
 public:
  ScriptWriter(const std::vector<ResEntry>& in, const ScriptOptions& options)
      : in_(in), options_(options), index_(IndexOf(in)), files_(options) {}

  bool Write(WrittenScript& out, std::string& error) {
    for (size_t i = 0; i < in_.size(); ++i) {
      if (HasSmallLetters(in_[i].type) || HasSmallLetters(in_[i].name)) {
        error = Describe(in_[i]) + " is named in small letters, which every script statement reads in capitals";
        return false;
      }
    }
    for (int round = 0; round < kMaxRounds; ++round) {
      Build();
      CompiledScript compiled;
      CompileOptions compileOptions;
      CompileScript(kScriptName, text_, Reader(), compileOptions, compiled);
      if (compiled.diagnostics.empty() || CountErrors(compiled.diagnostics) == 0) {
        const size_t before = forced_.size();
        const bool fontsBefore = fontsAsData_;
        std::string first;
        ForceDifferences(compiled.entries, first);
        if (first.empty()) {
          Finish(out);
          return true;
        }
        const bool changed = forced_.size() != before || fontsAsData_ != fontsBefore;
        if (!changed || round + 1 == kMaxRounds) {
          error = first;
          Finish(out);
          return false;
        }
        continue;
      }
      error = "the written script does not compile: " + FormatDiagnostic(compiled.diagnostics.front());
      Finish(out);
      return false;
    }
    return false;
  }

 private:
  static constexpr const char* kScriptName = "script.rc";

  FileReader Reader() const {
    return [this](const std::string& path, std::string& text) {
      const std::vector<uint8_t>* f = files_.Find(path);
      if (!f) return false;
      text.assign(f->begin(), f->end());
      return true;
    };
  }

  // Every resource that differs after the whole script was compiled is
  // written as data next time; `first` says what differed first.
  void ForceDifferences(const std::vector<ResEntry>& compiled, std::string& first) {
    const std::unordered_map<std::string, size_t> made = IndexOf(compiled);
    std::vector<bool> matched(compiled.size(), false);
    for (size_t i = 0; i < in_.size(); ++i) {
      std::string why = "it is missing";
      const auto found = made.find(KeyOf(in_[i]));
      if (found != made.end()) {
        matched[found->second] = true;
        why = Difference(in_[i], compiled[found->second]);
      }
      if (why.empty()) continue;
      if (first.empty()) first = Describe(in_[i]) + " does not come back from the script: " + why;
      Force(i);
    }
    for (size_t k = 0; k < compiled.size(); ++k) {
      if (matched[k]) continue;
      if (first.empty()) first = "the script makes " + Describe(compiled[k]) + ", which the input does not hold";
      // Only FONT statements add what they are not given: their directory.
      if (IsType(compiled[k], kRtFontDir)) fontsAsData_ = true;
    }
  }

  void Force(size_t i) {
    forced_.insert(i);
    if (IsType(in_[i], kRtFontDir) || IsType(in_[i], kRtFont)) fontsAsData_ = true;
    // An image that differs is its group's statement's doing.
    if (IsType(in_[i], kRtIcon) || IsType(in_[i], kRtCursor)) {
      for (const auto& claim : claimedBy_) {
        if (claim.first == i) forced_.insert(claim.second);
      }
    }
  }

  void Build() {
    text_.clear();
    files_.Clear();
    body_.clear();
    claimedBy_.clear();
    claimed_.clear();
    groupWhy_.clear();
    statements_ = 0;
    reasons_.clear();
    language_ = -1;
    bool hasFontDir = false;
    for (const ResEntry& e : in_) hasFontDir = hasFontDir || IsType(e, kRtFontDir);
    fontsStatements_ = hasFontDir && !fontsAsData_;
    std::vector<bool> done(in_.size(), false);
    ImageGroups(kRtGroupIcon, done);
    ImageGroups(kRtGroupCursor, done);
    for (size_t i = 0; i < in_.size(); ++i) {
      if (done[i] || claimed_.count(i)) continue;
      Resource(i);
    }
    text_ = Header() + body_;
  }

  std::string Header() const {
    std::string h =
        "// Resources written as a script by brc32 -s; it compiles back to the same resources.\n"
        "// Plain ASCII, so any code page reads it alike: every text is a wide literal with its\n"
        "// other characters as \\x escapes of four digits.\n";
    if (options_.inlineData)
      h += "// Binary data stands inline, as quoted hexadecimal blocks.\n";
    else
      h += "// The files of binary resources are in " + files_.Folder() + "/, named by type, name and language.\n";
    h += "// A resource written as data of its type says why above it.\n\n";
    return h;
  }

  void Language(uint16_t language) {
    if (language_ == language) return;
    language_ = language;
    body_ += "LANGUAGE " + Hex(language & 0x3FF) + ", " + Hex(language >> 10) + "\n\n";
  }

  std::string Common(const ResEntry& e) const {
    std::string s;
    if (e.version != 0) s += " VERSION " + Hex(e.version);
    if (e.characteristics != 0) s += " CHARACTERISTICS " + Hex(e.characteristics);
    return s;
  }

  // One resource as its statement, or as data when no statement gives it back.
  void Resource(size_t i) {
    const ResEntry& e = in_[i];
    std::string text, why;
    if (IsType(e, kRtFontDir) && fontsStatements_) {
      ++statements_;  // made again by the FONT statements
      return;
    }
    const size_t mark = files_.Mark();
    if (!forced_.count(i) && Statement(e, text, why) && Check(e, text, why)) {
      Language(e.language);
      body_ += text + "\n";
      ++statements_;
      return;
    }
    files_.Discard(mark);
    if (forced_.count(i) && why.empty()) why = "the whole script did not give it back as a statement";
    AsData(i, why);
  }

  void AsData(size_t i, const std::string& why) {
    const ResEntry& e = in_[i];
    std::string memory;
    MemoryWords(kDefault, e.memoryFlags, memory);
    Language(e.language);
    if (!why.empty()) {
      body_ += "// " + Describe(e) + " as data: " + why + "\n";
      reasons_.push_back(Describe(e) + ": " + why);
    }
    // Two literals in a row are one: a type written as a literal is kept
    // from the file's name by a memory option (MOVEABLE, when none is needed).
    std::string type = WordOrLiteral(e.type);
    if (type[0] == 'L' && type.size() > 1 && type[1] == '"' && memory.empty() && Common(e).empty() && !options_.inlineData)
      memory = (e.memoryFlags & kMemMoveable) ? " MOVEABLE" : " FIXED";
    body_ += WordOrLiteral(e.name) + " " + type + memory + Common(e) + files_.Add(e, DataExtension(e), e.data) + "\n\n";
    if (why.empty()) ++statements_;
  }

  // The statement of `e`'s kind; false with `why` when there is none or it
  // cannot hold what `e` holds.
  bool Statement(const ResEntry& e, std::string& text, std::string& why) {
    const Kind kind = KindOf(e);
    std::string memory;
    if (!kind.word) {
      // Data is the statement of these kinds.
      if (IsType(e, kRtIcon) || IsType(e, kRtCursor)) why = "no ICON or CURSOR statement of its group makes it";
      else if (IsType(e, kRtFontDir)) why = "FONT statements do not make this font directory";
      return false;
    }
    if (!writer::MemoryWords(kind.defaults, e.memoryFlags, memory)) {
      why = "its memory flags " + Hex(e.memoryFlags) + " are not those a " + kind.word + " statement can give";
      return false;
    }
    if (IsType(e, kRtGroupIcon) || IsType(e, kRtGroupCursor)) {
      // Left by ImageGroups: an ICON or CURSOR statement numbers its images
      // from 1 upwards in the order its lines are listed.
      const auto tried = groupWhy_.find(static_cast<size_t>(&e - in_.data()));
      why = tried != groupWhy_.end()
                ? tried->second
                : "its images are not numbered upwards in the order the group lists them, as its statement numbers them";
      return false;
    }
    const std::string common = Common(e);
    std::string head = WordOrLiteral(e.name) + " " + kind.word + memory;
    const auto unread = [&why, &kind] {
      why = std::string("its bytes are no ") + kind.word + " a statement makes (" + why + ")";
      return false;
    };
    switch (e.type.number) {
      case kRtMenu: {
        MenuTemplate m;
        if (!ReadMenu(e.data, m, why)) return unread();
        if (m.extended) head = WordOrLiteral(e.name) + " MENUEX" + memory;
        return writer::MenuText(m, head, common, text, why);
      }
      case kRtDialog: {
        DialogTemplate d;
        if (!ReadDialog(e.data, d, why)) return unread();
        if (d.extended) head = WordOrLiteral(e.name) + " DIALOGEX" + memory;
        return writer::DialogText(d, head, common, text, why);
      }
      case kRtString: {
        StringBlock b;
        if (!ReadStringBlock(e.data, b, why)) return unread();
        if (!e.name.numeric) {
          why = "a string block named by text";
          return false;
        }
        return writer::StringTableText(b, e.name.number, memory + common, text, why);
      }
      case kRtAccelerator: {
        std::vector<Accelerator> table;
        if (!ReadAccelerators(e.data, table, why)) return unread();
        return writer::AcceleratorText(table, head, common, text, why);
      }
      case kRtVersion: {
        VersionNode root;
        if (!ReadVersionInfo(e.data, root, why)) return unread();
        return writer::VersionText(root, head, common, text, why);
      }
      case kRtToolbar: {
        ToolbarTemplate t;
        if (!ReadToolbar(e.data, t, why)) return unread();
        return writer::ToolbarText(t, head, common, text, why);
      }
      case kRtBitmap:
        text = head + common + files_.Add(e, "bmp", WriteBitmapFile(e.data)) + "\n";
        return true;
      default:
        text = head + common + files_.Add(e, kind.extension, e.data) + "\n";
        return true;
    }
  }

  // Compiles `text` alone and compares what it makes with `e`.
  bool Check(const ResEntry& e, const std::string& text, std::string& why) const {
    std::vector<ResEntry> made;
    if (!CompileAlone(e.language, text, made, why)) return false;
    for (const ResEntry& m : made) {
      if (!SameKey(m, e)) continue;
      why = Difference(e, m);
      if (!why.empty()) why = "its statement does not give it back (" + why + ")";
      return why.empty();
    }
    why = "its statement makes no resource of its type, name and language";
    return false;
  }

  bool CompileAlone(uint16_t language, const std::string& text, std::vector<ResEntry>& made, std::string& why) const {
    CompiledScript compiled;
    const std::string script = "LANGUAGE " + Hex(language & 0x3FF) + ", " + Hex(language >> 10) + "\n" + text;
    if (!CompileScript(kScriptName, script, Reader(), CompileOptions(), compiled)) {
      why = "its statement does not compile: " +
            (compiled.diagnostics.empty() ? std::string() : compiled.diagnostics.front().message);
      return false;
    }
    made = std::move(compiled.entries);
    return true;
  }

  // The icon (or cursor) groups whose ICON (or CURSOR) statements number
  // their images as the input does: the compiler numbers images from 1 in
  // the order of the statements, so groups are taken by their first image
  // and a group goes as a statement only where the count comes out right.
  void ImageGroups(uint16_t groupType, std::vector<bool>& done) {
    const uint16_t imageType = groupType == kRtGroupIcon ? kRtIcon : kRtCursor;
    struct Candidate {
      size_t index;
      ImageGroup group;
    };
    std::vector<Candidate> groups;
    for (size_t i = 0; i < in_.size(); ++i) {
      ImageGroup g;
      std::string error;
      if (!IsType(in_[i], groupType) || forced_.count(i) || !ReadImageGroup(in_[i].data, g, error) ||
          g.images.empty())
        continue;
      groups.push_back({i, g});
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Candidate& a, const Candidate& b) { return a.group.images[0].id < b.group.images[0].id; });
    uint32_t next = 1;
    for (const Candidate& c : groups) {
      const ResEntry& e = in_[c.index];
      std::vector<size_t> images;
      for (size_t k = 0; k < c.group.images.size(); ++k) {
        if (c.group.images[k].id != next + k) break;
        const size_t at = FindImage(imageType, c.group.images[k].id, e.language);
        if (at == in_.size() || claimed_.count(at) || forced_.count(at)) break;
        claimed_.insert(at);
        images.push_back(at);
      }
      if (images.size() != c.group.images.size()) {
        Forget(images);
        continue;
      }
      std::string text, why;
      const size_t mark = files_.Mark();
      if (!ImageStatement(e, c.group, images, text, why)) {
        groupWhy_[c.index] = why.empty() ? std::string("its statement does not give it back") : why;
        files_.Discard(mark);
        Forget(images);
        continue;
      }
      for (size_t at : images) claimedBy_.emplace_back(at, c.index);
      Language(e.language);
      body_ += text + "\n";
      statements_ += 1 + images.size();
      done[c.index] = true;
      next += static_cast<uint32_t>(images.size());
    }
  }

  void Forget(const std::vector<size_t>& images) {
    for (size_t at : images) claimed_.erase(at);
  }

  size_t FindImage(uint16_t type, uint16_t id, uint16_t language) const {
    const auto found = index_.find(KeyOf(ResId::Number(type), ResId::Number(id), language));
    if (found == index_.end()) return in_.size();
    const ResEntry& e = in_[found->second];
    // Images take their group's language and fixed memory flags, and no VERSION.
    if (e.memoryFlags != kImageFlags || e.version != 0 || e.characteristics != 0) return in_.size();
    return found->second;
  }

  bool ImageStatement(const ResEntry& e, const ImageGroup& group, const std::vector<size_t>& images,
                      std::string& text, std::string& why) {
    std::string memory;
    const Kind kind = KindOf(e);
    if (!writer::MemoryWords(kind.defaults, e.memoryFlags, memory)) return false;
    std::vector<const ResEntry*> data;
    std::vector<const std::vector<uint8_t>*> bytes;
    for (size_t at : images) {
      data.push_back(&in_[at]);
      bytes.push_back(&in_[at].data);
    }
    text = WordOrLiteral(e.name) + " " + kind.word + memory + Common(e) +
           files_.Add(e, kind.extension, WriteImageFile(group, bytes)) + "\n";
    std::vector<ResEntry> made;
    return CompileAlone(e.language, text, made, why) && SameImageStatement(e, group, data, made, why);
  }

  void Finish(WrittenScript& out) {
    out.text = text_;
    files_.MoveTo(out.files);
    out.statements = statements_;
    out.asData = reasons_.size();
    out.dataReasons = reasons_;
  }

  const std::vector<ResEntry>& in_;
  const ScriptOptions& options_;
  const std::unordered_map<std::string, size_t> index_;
  std::string text_, body_;
  SideFiles files_;
  std::set<size_t> forced_, claimed_;
  std::vector<std::pair<size_t, size_t>> claimedBy_;  // image, group
  std::map<size_t, std::string> groupWhy_;            // why a group's statement was not taken
  std::vector<std::string> reasons_;
  size_t statements_ = 0;
  int language_ = -1;
  bool fontsAsData_ = false, fontsStatements_ = false;
};

}  // namespace

bool WriteScript(const std::vector<ResEntry>& entries, const ScriptOptions& options, WrittenScript& out,
                 std::string& error) {
  ScriptWriter writer(entries, options);
  return writer.Write(out, error);
}

}  // namespace rc
}  // namespace package
