#pragma once
// The core of the statement parser behind CompileScript: what every resource
// statement reads with (a cursor over the preprocessed tokens, numbers and
// expressions, styles, strings, resource names, memory and common options,
// file data) and the faults it reports. Each statement family is a class
// over this core in its own files: rc_data.h (RCDATA, user types, files,
// icons, bitmaps, toolbars, fonts), rc_menu.h, rc_dialog.h, rc_strings.h
// (string tables and accelerators) and rc_version.h. The statements build
// the trees of package/res/res_trees.h, which res_layout.h lays out; the driver
// (rc_statements.cpp) hands each statement to its family.

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "package/rc/preprocess/rc_preprocess.h"
#include "package/rc/rc_tokens.h"
#include "package/res/res_file.h"
#include "package/res/res_layout.h"

namespace package {
namespace rc {

// The statements build the format layer's trees by their own names.
using namespace res;  // NOLINT(google-build-using-namespace)

constexpr uint16_t kMemDefault = kMemMoveable | kMemPure;
constexpr uint16_t kMemDefaultDiscardable = kMemMoveable | kMemPure | kMemDiscardable;

inline std::u16string Upper(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return s;
}

inline std::u16string Widen(const std::string& ascii) { return DecodeCodePage(ascii, 1252); }

// What all families share while one script is read: the tokens and where
// the cursor is, the resources added so far and the faults.
struct ParseState {
  ParseState(const PreprocessedScript& src, const FileReader& fileReader,
             std::vector<ResEntry>& out, std::vector<Diagnostic>& faults, uint16_t defaultLanguage)
      : tokens(src.tokens),
        files(src.files),
        systemHeaders(src.systemHeaders),
        reader(fileReader),
        entries(out),
        diags(faults),
        scriptDir(DirectoryOf(src.files[0])),
        language(defaultLanguage),
        macroNames(src.macroNames) {}

  const std::vector<Token>& tokens;
  const std::vector<std::string>& files;
  // Resource names and types that are words stay names unless a Windows
  // header gives them a number, as in the other compilers.
  const bool systemHeaders;
  const FileReader& reader;
  std::vector<ResEntry>& entries;
  std::vector<Diagnostic>& diags;
  std::string scriptDir;
  size_t pos = 0;
  bool failed = false;
  uint16_t language;  // of resources without their own LANGUAGE
  // The type, name and language of every resource added, numbers before names.
  using IdKey = std::pair<uint32_t, std::u16string>;
  std::set<std::tuple<IdKey, IdKey, uint16_t>> added;
  const std::vector<std::string>& macroNames;  // by Token::macro
  // The BEGINs of the statement being read that are still open.
  std::vector<const Token*> open;
  // The column of each open block's first line of contents (0: none yet),
  // and the first line inside a block that stands no deeper than the block's
  // BEGIN although its contents are indented: where an END was lost, most
  // likely, when one turns out to be missing.
  std::vector<int> contentColumn;
  const Token* dedent = nullptr;
  const Token* dedentBegin = nullptr;
  // Where the last fault was found (a token index), and whether the next
  // statement starts right there (a block left open before it).
  size_t faultAt = 0;
  bool resumeAtFault = false;
  size_t hidden = 0;  // errors past kMaxErrors, counted but not reported
};

class Parser {
 public:
  explicit Parser(ParseState& state) : s_(state) {}

  // ---- Token access and faults

  const Token* Peek(size_t ahead = 0) const;
  bool FailAt(const Token* at, const std::string& message);
  bool Fail(const std::string& message) { return FailAt(Peek(), message); }
  void WarnAt(const Token* at, const std::string& message);
  static std::string Shown(const Token* t);

  bool AcceptWord(const char* w);
  bool AcceptPunct(const char* p);
  // A ',' that must follow `after` ("the control's id"), named in the fault.
  bool Comma(const char* after = nullptr);

  static bool IsBegin(const Token* t) { return t && (IsWord(*t, "BEGIN") || IsPunct(*t, "{")); }
  static bool IsEnd(const Token* t) { return t && (IsWord(*t, "END") || IsPunct(*t, "}")); }

  bool Begin(const char* what);
  // True while inside a block; false at its END (consumed) or on a fault.
  // A line that starts a resource statement inside a block is where an END
  // went missing: the fault names the BEGIN it would close.
  bool More();
  // True when tokens[i] starts a line that reads as a resource statement
  // (LANGUAGE, STRINGTABLE, or a name followed by a resource type keyword).
  static bool StartsStatement(const std::vector<Token>& tokens, size_t i);
  // "; did you mean 'X'?" for a word near one of `names` (keywords), of the
  // script's defines or of the built-in constants, else empty.
  std::string DidYouMean(const Token* t, std::initializer_list<const char*> names = {},
                         bool namesOnly = false) const;
  // The statement keywords, for DidYouMean.
  static const std::initializer_list<const char*> kKeywords;

  // ---- Values

  bool Number(int64_t& value);
  bool Number16(uint16_t& out, const char* what);
  bool Number32(uint32_t& out);
  bool Coordinate(int16_t& out);
  // A number written in a data list: a word, or a double word when any of its
  // numbers has an L suffix.
  bool DataNumber(int64_t& value, bool& isLong);

  // A style: names and numbers joined by '|', where "NOT x" clears x from
  // what the statement sets by default.
  bool Style(uint32_t& value);

  bool Text(std::u16string& out, const char* what);

  // A resource name: a number, or a word or string (upper-cased). A word
  // the included Windows headers define is its number.
  bool ResName(ResId& id);

  // ---- Statement parts shared by several resource types

  void MemoryOptions(uint16_t& flags);
  bool Language(uint16_t& language);
  // LANGUAGE, VERSION and CHARACTERISTICS before a resource's body. Sets
  // `taken` when one was read.
  bool CommonOption(ResEntry& e, bool& taken);
  bool CommonOptions(ResEntry& e);

  // Adds a resource unless one of its type, name and language is there.
  bool Add(ResEntry& e, const Token* at);

  // A file's bytes: from the file a name gives, or from a block of quoted
  // hexadecimal data that holds the whole file.
  bool FileData(std::vector<uint8_t>& data, const char* what);
  size_t UnquotedFileName(std::string& name) const;
  bool HexBlock(std::vector<uint8_t>& data);

  bool Failed() const { return s_.failed; }

 protected:
  // The one record of the script being read, which every family shares.
  ParseState& s_;

 private:
  // A hint for an expression's fault at token `at`: a name near an undefined one.
  std::string Suggestion(const std::string& error, size_t at) const;
  // The fault of an END missing, found at `at` (the next statement, or null
  // at the end of the script).
  bool MissingEnd(const Token* at);
  // Adds an error, or past kMaxErrors only counts it.
  void Report(const Diagnostic& d);
};

// Reads every statement of a preprocessed script into `entries`
// (rc_statements.cpp). After a fault it goes on at the next statement, so
// that one fault gives one error; true when there was none.
bool ParseStatements(const PreprocessedScript& script, const FileReader& reader,
                     std::vector<ResEntry>& entries, std::vector<Diagnostic>& diags, uint16_t language);

}  // namespace rc
}  // namespace package
