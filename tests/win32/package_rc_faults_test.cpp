// The script compiler's faults: each reported with its file, line and
// column, the compile going on at the next statement; scripts whose work
// would double at every level ending promptly; and mutants of the
// compatibility scripts, one token changed, failing at the change.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "package/rc/rc_files.h"
#include "package_compat_scripts.h"
#include "package_rc_support.h"
#include "package_test_support.h"

namespace {

using namespace rc_test;

// ---- Faults found before any statement is compiled

TEST(PackageScriptFaults, UnterminatedStringIsReportedAtItsLine) {
  const Compiled c = Compile(
      "1 RCDATA\n"
      "BEGIN\n"
      "  \"fine\",\n"
      "  \"broken,\n"
      "END\n");
  EXPECT_TRUE(HasOnlyError(c, 4, "unterminated string literal"));
  EXPECT_TRUE(c.result.entries.empty());
}

// The pop-up's items are indented and its END is lost: the END that
// follows, left of the pop-up's BEGIN, is the menu's.
TEST(PackageScriptFaults, AMissingEndIsReportedAtTheLineLeftOfItsBlockNamingTheBeginItLeavesOpen) {
  const Compiled c = Compile(
      "1 MENU\n"
      "BEGIN\n"
      "  POPUP \"x\"\n"
      "  BEGIN\n"
      "    MENUITEM \"a\", 1\n"
      "END\n");
  EXPECT_TRUE(HasOnlyError(c, 6, "END expected to close the BEGIN of line 4 before this line"));
  EXPECT_TRUE(
      HasOnlyError(Compile("1 MENU\nBEGIN\n  MENUITEM \"a\", 1\n"), 3,
                   "END expected to close the BEGIN of line 2, found the end of the script"));
}

TEST(PackageScriptFaults, AnExtraEndIsReportedAtItsOwnLine) {
  const Compiled c = Compile(
      "1 RCDATA\n"
      "BEGIN\n"
      "  1\n"
      "END\n"
      "END\n");
  EXPECT_TRUE(HasOnlyError(c, 5, "END without matching BEGIN"));
}

TEST(PackageScriptFaults, BracesPairWithEachOtherAndWithBeginEnd) {
  EXPECT_TRUE(Compile("1 RCDATA { 1 }\n2 RCDATA BEGIN 2 }\n3 RCDATA { 3 END\n").ok);
  EXPECT_TRUE(HasOnlyError(Compile("1 RCDATA { 1 }\n}\n"), 2, "'}' without matching '{'"));
  EXPECT_TRUE(
      HasOnlyError(Compile("\n1 RCDATA {\n 1\n"), 3, "'}' expected to close the '{' of line 2"));
}

TEST(PackageScriptFaults, EveryLexicalAndBlockFaultIsReportedInOnePass) {
  const Compiled c = Compile(
      "1 RCDATA\n"
      "BEGIN\n"
      "  \"open\n"
      "END\n"
      "/* never closed\n");
  ASSERT_FALSE(c.ok);
  std::vector<int> lines;
  for (const Diagnostic& d : c.Errors()) lines.push_back(d.line);
  EXPECT_EQ(lines, (std::vector<int>{3, 5}));
}

TEST(PackageScriptFaults, TextInAnExcludedConditionalIsNotChecked) {
  const Compiled c = Compile(
      "#if 0\n"
      "  \"broken\n"
      "  END\n"
      "#endif\n"
      "1 RCDATA { 1 }\n");
  EXPECT_TRUE(c.ok);
}

TEST(PackageScriptFaults, ConditionalsWithoutEndifAreReported) {
  EXPECT_TRUE(HasOnlyError(Compile("\n#ifdef X\n1 RCDATA { 1 }\n"), 2, "#if without #endif"));
  EXPECT_TRUE(HasOnlyError(Compile("#endif\n"), 1, "#endif without #if"));
}

// ---- Faults in statements: each reported, the compile going on at the next statement

TEST(PackageStatementFaults, UnsupportedResourceTypesAreRefusedByName) {
  EXPECT_TRUE(HasOnlyError(Compile("\n\n1 FONTDIR\nBEGIN\nEND\n"), 3, "FONTDIR resources are not supported"));
  EXPECT_TRUE(HasOnlyError(Compile("1 ANICURSOR \"a.ani\"\n"), 1, "ANICURSOR resources are not supported"));
}

// A font file too short for the header the font directory repeats, or of
// another version.
TEST(PackageStatementFaults, FilesThatAreNoFontsAreRefused) {
  Files files;
  files.Add("C:\\proj\\short.fnt", std::string("\x00\x02", 2) + std::string(100, 'x'));
  files.Add("C:\\proj\\v1.fnt", std::string("\x00\x01", 2) + std::string(200, 'x'));
  EXPECT_TRUE(HasOnlyError(Compile("\n1 FONT \"short.fnt\"\n", files), 2, "not a font file"));
  EXPECT_TRUE(HasOnlyError(Compile("1 FONT \"v1.fnt\"\n", files), 1, "not a font file"));
}

TEST(PackageStatementFaults, AnUndefinedStyleNameIsReportedAtItsLine) {
  const Compiled c = Compile(
      "1 DIALOG 0, 0, 10, 10\n"
      "STYLE WS_POPUP |\n"
      "  WS_BOGUS\n"
      "BEGIN\n"
      "END\n");
  EXPECT_TRUE(HasOnlyError(c, 3, "undefined symbol 'WS_BOGUS'"));
}

TEST(PackageStatementFaults, AMissingCommaInAControlIsReportedAtItsLine) {
  const Compiled c = Compile(
      "1 DIALOG 0, 0, 10, 10\n"
      "BEGIN\n"
      "  LTEXT \"a\", 1, 2, 3, 4, 5\n"
      "  PUSHBUTTON \"b\" 2, 2, 3, 4, 5\n"
      "END\n");
  EXPECT_TRUE(HasOnlyError(c, 4, "',' expected"));
}

TEST(PackageStatementFaults, UnknownStatementsInsideBlocksAreRefused) {
  EXPECT_TRUE(HasOnlyError(Compile("1 MENU\nBEGIN\n  ITEM \"a\", 1\nEND\n"), 3,
                           "MENUITEM, POPUP or END expected"));
  EXPECT_TRUE(HasOnlyError(Compile("1 DIALOG 0,0,1,1\nBEGIN\n  BUTTON \"a\", 1\nEND\n"), 3,
                           "control statement or END expected"));
}

TEST(PackageStatementFaults, ADuplicateResourceIsRefused) {
  EXPECT_TRUE(HasOnlyError(Compile("5 RCDATA { 1 }\n5 RCDATA { 2 }\n"), 2, "duplicate resource"));
  EXPECT_TRUE(Compile("5 RCDATA { 1 }\nLANGUAGE 7, 1\n5 RCDATA { 2 }\n").ok);
}

TEST(PackageStatementFaults, ADuplicateStringIdIsRefused) {
  EXPECT_TRUE(HasOnlyError(Compile("STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n"), 4, "duplicate string id 1"));
}

TEST(PackageStatementFaults, AWordValueOutOfRangeNeedsTheLongSuffix) {
  EXPECT_TRUE(HasOnlyError(Compile("1 RCDATA\nBEGIN\n 70000\nEND\n"), 3, "16 bits"));
  EXPECT_TRUE(Compile("1 RCDATA\nBEGIN\n 70000L\nEND\n").ok);
}

TEST(PackageStatementFaults, EmptyMenusAndPopupsAreRefused) {
  EXPECT_TRUE(HasOnlyError(Compile("1 MENU\nBEGIN\nEND\n"), 1, "MENU has no items"));
  EXPECT_TRUE(HasOnlyError(Compile("1 MENU\nBEGIN\n POPUP \"p\"\n BEGIN\n END\nEND\n"), 3, "POPUP has no items"));
  EXPECT_TRUE(HasOnlyError(Compile("\n1 MENUEX\nBEGIN\nEND\n"), 2, "MENUEX has no items"));
  EXPECT_TRUE(HasOnlyError(Compile("1 MENUEX\nBEGIN\n POPUP \"p\"\n BEGIN\n END\nEND\n"), 3, "POPUP has no items"));
}

TEST(PackageStatementFaults, AMissingFileIsReported) {
  EXPECT_TRUE(HasOnlyError(Compile("\n1 BITMAP \"nothere.bmp\"\n"), 2, "cannot open file 'nothere.bmp'"));
}

// Scripts that are wrong in the ways real ones are: each fails, its first
// error at the right line, never with a crash, a hang or a quietly shortened
// resource.
TEST(PackageStatementFaults, BadScriptsFailAtTheRightLine) {
  const std::string longText(70000, 'x');
  const std::string garbage = [] {
    std::string g("1 RCDATA { 1 }\n");
    for (int i = 0; i < 256; ++i) g.push_back(static_cast<char>((i * 131) & 0xFF));
    return g;
  }();
  const struct {
    const char* what;
    std::string script;
    int line;
    const char* message;
  } cases[] = {
      {"an include of itself", "\n#include \"t.rc\"\n", 2, "nested too deeply"},
      {"a statement file that is not there", "#include \"project.ver\"\n", 1, "cannot open include file 'project.ver'"},
      {"a system statement file that is not there", "#include <afxres.rc>\n", 1, "cannot open include file 'afxres.rc'"},
      {"binary garbage", garbage, 2, "unexpected character"},
      {"a string longer than its length word", "STRINGTABLE\nBEGIN\n 1, \"" + longText + "\"\nEND\n", 3,
       "longer than 65535"},
      {"a version record beyond 16-bit sizes",
       "1 VERSIONINFO\nBEGIN\n VALUE \"a\", \"" + longText + "\"\nEND\n", 1, "larger than 65535"},
      {"a toolbar entry that is not a button", "1 TOOLBAR 16, 15\nBEGIN\n BUTTON 1\n ITEM 2\nEND\n", 4,
       "BUTTON or SEPARATOR expected"},
      {"a coordinate beyond 16 bits", "1 DIALOG 0, 65536, 10, 10\nBEGIN\nEND\n", 1, "coordinate out of range"},
      {"a line number beyond an int", "\n# 3000000000\n", 2, "the line number must be from 1 to 1000000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Files files;
    files.Add(kScript, c.script);
    const Compiled compiled = Compile(c.script, files);
    ASSERT_FALSE(compiled.ok);
    ASSERT_FALSE(compiled.Errors().empty());
    const Diagnostic first = compiled.Errors()[0];
    EXPECT_EQ(first.line, c.line) << package::FormatDiagnostic(first);
    EXPECT_NE(first.message.find(c.message), std::string::npos) << package::FormatDiagnostic(first);
  }
}

// Scripts whose work doubles at every level (files that each include the
// next twice, macros defined through others twice over) and scripts wrong on
// every line. Each ends with one error saying so: at the include that goes
// over the budget, at the use of the macro, in place of the 101st error (counting those not shown,
// when the statements go on).
TEST(PackageStatementFaults, RunawayIncludesAndMacrosEndWithOneErrorEach) {
  std::string bomb = "#define M0 x x\n";
  for (int i = 1; i <= 24; ++i) bomb += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" + std::to_string(i - 1) + "\n";
  bomb += "1 RCDATA { M24 }\n";
  std::string garbage, ends;
  for (int i = 0; i < 150; ++i) garbage += "\x01\n", ends += "END\n";
  const struct {
    std::string script;
    int line;
    const char* message;
  } cases[] = {{"#include \"f0.rc\"\n#include \"f0.rc\"\n", 2, "more than 1024 files included"},
               {bomb, 26, "macros expand to more than 1048576 tokens"},
               {garbage, 101, "more than 100 errors; the compile stops here"},
               {ends, 101, "50 more error(s) not shown"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Files files;
    files.Add(kScript, c.script);
    // f0.rc to f9.rc include the next twice: 2,046 files below the script.
    for (int i = 0; i < 10; ++i) {
      const std::string next = "#include \"f" + std::to_string(i + 1) + ".rc\"\n";
      files.Add("C:\\proj\\f" + std::to_string(i) + ".rc", next + next);
    }
    files.Add("C:\\proj\\f10.rc", "// the last\n");
    const Compiled compiled = Compile(c.script, files);
    ASSERT_FALSE(compiled.ok);
    int found = 0;
    for (const Diagnostic& d : compiled.Errors()) {
      if (d.message.find(c.message) == std::string::npos) continue;
      ++found;
      EXPECT_EQ(d.line, c.line) << package::FormatDiagnostic(d);
    }
    EXPECT_EQ(found, 1);
    EXPECT_LE(compiled.Errors().size(), 101u);
  }
}

// ---- Mutants of the compatibility scripts

// A token of a statement line, roughly as the lexer sees it: a word or
// number (with the dots of file names), a string, or one other character.
struct Piece {
  size_t at, size;
};

std::vector<Piece> Pieces(const std::string& line) {
  std::vector<Piece> pieces;
  for (size_t i = 0; i < line.size();) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (line.compare(i, 2, "//") == 0 || line.compare(i, 2, "/*") == 0) break;
    size_t end = i + 1;
    if (c == '"') {
      while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
      end = std::min(end + 1, line.size());
    } else if (isalnum(c) || c == '_') {
      while (end < line.size() && (isalnum(static_cast<unsigned char>(line[end])) ||
                                   line[end] == '_' || line[end] == '.'))
        ++end;
    }
    pieces.push_back(Piece{i, end - i});
    i = end;
  }
  return pieces;
}

// Seeded mutants of the compatibility scripts: one token on one statement
// line deleted, doubled, replaced by a token of another line, swapped with
// the next one or misspelt (a letter dropped). A mutant either compiles or
// fails with its first error in the script within one line of the change.
// Prints the shares at the exact line, within one line and at the exact
// column. MIVO_MUTANTS=<n> runs another number of them.
TEST(PackageScriptMutants, EachFailsWithinALineOfItsChangeOrCompiles) {
  struct Script {
    std::string path, text;
    package::CompileOptions options;
    std::vector<std::string> lines;
  };
  std::vector<Script> scripts;
  for (const std::string& path : compat_scripts::All(false)) {
    Script s;
    s.path = path;
    ASSERT_TRUE(package::ReadTextFile(path, s.text)) << path;
    if (s.text.find('\0') != std::string::npos) continue;  // UTF-16: its lines are no byte lines
    s.options = compat_scripts::OptionsOf(path, s.text);
    package::CompiledScript out;
    if (!package::CompileScript(path, s.text, compat_scripts::ReadBesideOrImages, s.options, out)) continue;
    std::istringstream in(s.text);
    for (std::string line; std::getline(in, line);) s.lines.push_back(line);
    scripts.push_back(std::move(s));
  }
  ASSERT_GE(scripts.size(), 20u);

  const char* wanted = getenv("MIVO_MUTANTS");
  const int mutants = wanted ? atoi(wanted) : 2000;
  std::mt19937 random(22);
  int compiled = 0, failed = 0, exactLine = 0, nearLine = 0, exactColumn = 0;
  std::vector<std::string> beyond;
  for (int m = 0; m < mutants; ++m) {
    const Script& s = scripts[random() % scripts.size()];
    // A statement line: no directive, comment or blank line.
    size_t line = 0;
    std::vector<Piece> pieces;
    for (int tries = 0; tries < 100 && pieces.empty(); ++tries) {
      line = random() % s.lines.size();
      const std::string& text = s.lines[line];
      const size_t first = text.find_first_not_of(" \t");
      if (first == std::string::npos || text[first] == '#') continue;
      // A macro's body: its faults are reported where the macro is used.
      if (line > 0 && !s.lines[line - 1].empty() &&
          s.lines[line - 1].find_last_not_of("\r") != std::string::npos &&
          s.lines[line - 1][s.lines[line - 1].find_last_not_of("\r")] == '\\')
        continue;
      pieces = Pieces(text);
    }
    if (pieces.empty()) continue;
    const size_t k = random() % pieces.size();
    const Piece p = pieces[k];
    std::string text = s.lines[line];
    const std::string token = text.substr(p.at, p.size);
    size_t column = p.at + 1;
    const char* kinds[] = {"deleted", "doubled", "replaced", "swapped", "misspelt"};
    const int kind = static_cast<int>(random() % 5);
    if (kind == 0) {
      text.erase(p.at, p.size);
    } else if (kind == 1) {
      text.insert(p.at + p.size, " " + token);
      column = p.at + p.size + 2;
    } else if (kind == 2) {
      const std::string& from = s.lines[random() % s.lines.size()];
      const std::vector<Piece> other = Pieces(from);
      if (other.empty()) continue;
      const Piece o = other[random() % other.size()];
      text.replace(p.at, p.size, from.substr(o.at, o.size));
    } else if (kind == 3) {
      if (k + 1 >= pieces.size()) continue;
      const Piece q = pieces[k + 1];
      text.replace(q.at, q.size, token);
      text.replace(p.at, p.size, s.lines[line].substr(q.at, q.size));
    } else {
      if (p.size < 2 || !isalpha(static_cast<unsigned char>(token[0]))) continue;
      text.erase(p.at + 1 + random() % (p.size - 1), 1);
    }
    std::string mutant;
    for (size_t i = 0; i < s.lines.size(); ++i) mutant += (i == line ? text : s.lines[i]) + "\n";
    package::CompiledScript out;
    if (package::CompileScript(s.path, mutant, compat_scripts::ReadBesideOrImages, s.options, out)) {
      ++compiled;
      continue;
    }
    ++failed;
    const package::Diagnostic* first = nullptr;
    for (const package::Diagnostic& d : out.diagnostics) {
      if (d.error && !first) first = &d;
    }
    ASSERT_NE(first, nullptr);
    const int changed = static_cast<int>(line) + 1;
    const bool here = first->file == s.path;
    if (here && first->line == changed) ++exactLine;
    if (here && abs(first->line - changed) <= 1)
      ++nearLine;
    else if (beyond.size() < 12)
      beyond.push_back(s.path.substr(s.path.find_last_of('\\') + 1) + ":" +
                       std::to_string(changed) + " '" + token + "' " + kinds[kind] + ": " +
                       package::FormatDiagnostic(*first));
    if (here && first->line == changed && first->column == static_cast<int>(column)) ++exactColumn;
  }
  printf(
      "%d mutants: %d compile, %d fail; of those failing, %.1f%% at the exact line, %.1f%% within "
      "one line, "
      "%.1f%% at the exact column\n",
      compiled + failed, compiled, failed, 100.0 * exactLine / failed, 100.0 * nearLine / failed,
      100.0 * exactColumn / failed);
  for (const std::string& f : beyond) printf("  beyond one line: %s\n", f.c_str());
  // Not every one yet: an END lost where the next line is still the
  // block's kind of content, a swap that makes a keyword a value.
  EXPECT_GT(failed, mutants / 3);
  EXPECT_GE(nearLine * 100, failed * 95) << "within one line";
  EXPECT_GE(exactLine * 100, failed * 75) << "at the exact line";
}

}  // namespace
