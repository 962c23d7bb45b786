// The script compiler shared by the checker and the compiler: its
// preprocessor, the binary form of the resources it compiles, and agreement
// with another tool's output for a sample script.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/res/res_file.h"
#include "package_rc_support.h"
#include "package_test_support.h"

namespace {

using namespace rc_test;

// ---- The preprocessor

TEST(PackagePreprocessing, AMissingProjectHeaderIsAnErrorButSystemHeadersAreBuiltIn) {
  EXPECT_TRUE(HasOnlyError(Compile("#include \"ids.h\"\n"), 1, "cannot open include file 'ids.h'"));
  EXPECT_TRUE(Compile("#include <windows.h>\n#include \"winres.h\"\n1 RCDATA { IDOK }\n").ok);
}

TEST(PackagePreprocessing, DefinesFromAnIncludedHeaderNameResources) {
  Files files;
  files.Add("C:\\proj\\ids.h", "#define IDD_X 300\nint not_read_in_a_header;\n#define IDC_Y (IDD_X + 1)\n");
  const Compiled c = Compile("#include \"ids.h\"\nIDD_X RCDATA { IDC_Y }\n", files);
  ASSERT_TRUE(c.ok);
  const ResEntry* e = c.Find(ResId::Number(package::kRtRcData), ResId::Number(300));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->data, Words({301}));
}

TEST(PackagePreprocessing, FaultsInAnIncludedScriptNameThatFile) {
  Files files;
  files.Add("C:\\proj\\more.rc2", "\n2 RCDATA\nBEGIN\n \"open\nEND\n");
  const Compiled c = Compile("#include \"more.rc2\"\n1 RCDATA { 1 }\n", files);
  EXPECT_TRUE(HasOnlyError(c, 4, "unterminated string", "C:\\proj\\more.rc2"));
}

TEST(PackagePreprocessing, ConditionalsChooseTheBranch) {
  const Compiled c = Compile(
      "#define LEVEL 2\n"
      "#if LEVEL > 1 && defined(LEVEL)\n"
      "1 RCDATA { 1 }\n"
      "#elif LEVEL == 1\n"
      "1 RCDATA { 2 }\n"
      "#else\n"
      "1 RCDATA { 3 }\n"
      "#endif\n"
      "#ifndef LEVEL\n"
      "2 RCDATA { 4 }\n"
      "#endif\n");
  ASSERT_TRUE(c.ok);
  ASSERT_NE(c.Find(ResId::Number(10), ResId::Number(1)), nullptr);
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(1))->data, Words({1}));
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(2)), nullptr);
}

// ---- What compiled resources hold

TEST(PackageCompiledResources, StringsGoIntoBlocksOfSixteen) {
  const Compiled c = Compile("STRINGTABLE\nBEGIN\n  1, \"ab\"\n  17 \"c\"\nEND\n");
  ASSERT_TRUE(c.ok);
  const ResEntry* first = c.Find(ResId::Number(package::kRtString), ResId::Number(1));
  const ResEntry* second = c.Find(ResId::Number(package::kRtString), ResId::Number(2));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->data, Words({0, 2, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(second->data, Words({0, 1, 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(first->language, package::kLangEnglishUs);
}

TEST(PackageCompiledResources, MenuItemsCarryTheirFlagsAndTheEndMarks) {
  const Compiled c = Compile(
      "M MENU\n"
      "BEGIN\n"
      "  POPUP \"F\"\n"
      "  BEGIN\n"
      "    MENUITEM \"O\", 5\n"
      "    MENUITEM SEPARATOR\n"
      "  END\n"
      "  MENUITEM \"X\", 6, GRAYED, CHECKED\n"
      "END\n");
  ASSERT_TRUE(c.ok);
  const ResEntry* e = c.Find(ResId::Number(package::kRtMenu), ResId::Text("M"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->data, Words({0, 0,                      // header
                            0x10, 'F', 0,              // pop-up
                            0x00, 5, 'O', 0,           // item
                            0x80, 0, 0,                // separator, last of the pop-up
                            0x89, 6, 'X', 0}));        // last item: end, checked, grayed
}

TEST(PackageCompiledResources, RawDataTakesWordsLongsAndBothStringKinds) {
  const Compiled c = Compile("1 RCDATA\nBEGIN\n  \"ab\", 1, 2L, -1, L\"c\", \"\\x41\\n\"\nEND\n");
  ASSERT_TRUE(c.ok);
  const std::vector<uint8_t> expected = {'a', 'b', 1, 0, 2, 0, 0, 0, 0xFF, 0xFF, 'c', 0, 'A', '\n'};
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(1))->data, expected);
}

TEST(PackageCompiledResources, NamesAndUserTypesAreUpperCased) {
  const Compiled c = Compile("myData myType { 1 }\n\"quoted\" RCDATA { 2 }\n");
  ASSERT_TRUE(c.ok);
  EXPECT_NE(c.Find(ResId::Text("MYTYPE"), ResId::Text("MYDATA")), nullptr);
  EXPECT_NE(c.Find(ResId::Number(10), ResId::Text("QUOTED")), nullptr);
}

TEST(PackageCompiledResources, LanguageStatementsApplyToWhatFollows) {
  const Compiled c = Compile(
      "1 RCDATA { 1 }\n"
      "LANGUAGE LANG_GERMAN, SUBLANG_GERMAN\n"
      "2 RCDATA { 2 }\n"
      "3 RCDATA LANGUAGE LANG_FRENCH, SUBLANG_FRENCH { 3 }\n");
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(1))->language, 0x0409);
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(2))->language, 0x0407);
  EXPECT_EQ(c.Find(ResId::Number(10), ResId::Number(3))->language, 0x040C);
}

TEST(PackageCompiledResources, AcceleratorKeysAndTheLastEntryMark) {
  const Compiled c = Compile(
      "K ACCELERATORS\n"
      "BEGIN\n"
      "  \"^C\", 1\n"
      "  \"o\", 2, VIRTKEY, CONTROL\n"
      "  VK_F5, 3, VIRTKEY, SHIFT, ALT\n"
      "END\n");
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.Find(ResId::Number(package::kRtAccelerator), ResId::Text("K"))->data,
            Words({0x00, 3, 1, 0, 0x09, 'O', 2, 0, 0x80 | 0x15, 0x74, 3, 0}));
}

TEST(PackageCompiledResources, NarrowTextIsReadInTheScriptsCodePage) {
  const Compiled latin = Compile("STRINGTABLE { 1 \"\xFC\" }\n");
  const Compiled utf8 = Compile("#pragma code_page(65001)\nSTRINGTABLE { 1 \"\xC3\xBC\" }\n");
  ASSERT_TRUE(latin.ok);
  ASSERT_TRUE(utf8.ok);
  const std::vector<uint8_t> expected = Words({0, 1, 0x00FC, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(latin.Find(ResId::Number(6), ResId::Number(1))->data, expected);
  EXPECT_EQ(utf8.Find(ResId::Number(6), ResId::Number(1))->data, expected);
}

TEST(PackageCompiledResources, AnIconFileBecomesOneIconPerImageAndTheirGroup) {
  // Two images: 16x16 of 5 bytes and 32x32 of 3 bytes, after a 6 + 2 * 16 byte directory.
  std::string ico("\0\0\1\0\2\0", 6);
  ico += std::string("\x10\x10\0\0\1\0\x20\0\5\0\0\0\x26\0\0\0", 16);
  ico += std::string("\x20\x20\0\0\1\0\x20\0\3\0\0\0\x2B\0\0\0", 16);
  ico += "AAAAABBB";
  Files files;
  files.Add("C:\\proj\\app.ico", ico);
  const Compiled c = Compile("APP ICON app.ico\n", files);
  ASSERT_TRUE(c.ok);
  const ResEntry* first = c.Find(ResId::Number(package::kRtIcon), ResId::Number(1));
  const ResEntry* second = c.Find(ResId::Number(package::kRtIcon), ResId::Number(2));
  const ResEntry* group = c.Find(ResId::Number(package::kRtGroupIcon), ResId::Text("APP"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(std::string(first->data.begin(), first->data.end()), "AAAAA");
  EXPECT_EQ(std::string(second->data.begin(), second->data.end()), "BBB");
  // The group: its header, then per image the directory entry with the
  // file offset replaced by the icon's number.
  const std::string expected = std::string("\0\0\1\0\2\0", 6) +
                               std::string("\x10\x10\0\0\1\0\x20\0\5\0\0\0\1\0", 14) +
                               std::string("\x20\x20\0\0\1\0\x20\0\3\0\0\0\2\0", 14);
  EXPECT_EQ(std::string(group->data.begin(), group->data.end()), expected);
}

TEST(PackageCompiledResources, ABitmapLosesItsFileHeader) {
  std::string bmp = "BM" + std::string(12, '\0');  // the 14-byte file header
  bmp += std::string("\x0C\0\0\0\1\0\1\0\1\0\x18\0", 12) + "RGB";
  Files files;
  files.Add("C:\\proj\\pic.bmp", bmp);
  const Compiled c = Compile("PIC BITMAP \"pic.bmp\"\n", files);
  ASSERT_TRUE(c.ok);
  const ResEntry* e = c.Find(ResId::Number(package::kRtBitmap), ResId::Text("PIC"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::string(e->data.begin(), e->data.end()), bmp.substr(14));
  EXPECT_TRUE(HasOnlyError(Compile("PIC BITMAP \"pic.ico\"\n", [] {
    Files f;
    f.Add("C:\\proj\\pic.ico", "not a bitmap at all, no");
    return f;
  }()), 1, "not a bitmap file"));
}

// Only when asked for: a built program would otherwise ship its source.
TEST(PackageCompiledResources, TheScriptTextIsStoredUnderItsBaseNameOnlyWhenAsked) {
  const std::string text = "// comment\r\n1 RCDATA { 1 }\r\n";
  for (bool asked : {false, true}) {
    SCOPED_TRACE(asked ? "asked" : "not asked");
    package::CompileOptions options;
    options.scriptText = asked;
    CompiledScript out;
    ASSERT_TRUE(package::CompileScript(kScript, text, Files().Reader(), options, out));
    EXPECT_EQ(out.entries.size(), asked ? 2u : 1u);
    EXPECT_EQ(out.lineCount, 2);
    if (!asked) continue;
    const ResEntry& e = out.entries.back();
    EXPECT_TRUE(e.type == ResId::Text(package::kScriptResourceType) && e.name == ResId::Text("T"));
    EXPECT_EQ(std::string(e.data.begin(), e.data.end()), text);
    EXPECT_EQ(e.language, package::kLangNeutral);
  }
}

// Cut anywhere, a script either still compiles or fails with an error at a
// line that exists; nothing hangs or reads past the text.
TEST(PackageCompiledResources, EveryTruncationOfTheSampleEndsCleanly) {
  const std::string rcPath = package_test::SourceFile("tests/win32/data/package_sample.rc");
  std::string text;
  ASSERT_TRUE(package::ReadTextFile(rcPath, text)) << rcPath;
  size_t failures = 0;
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    CompiledScript out;
    const std::string part = text.substr(0, cut);
    if (package::CompileScript(rcPath, part, package::ReadTextFile, out)) continue;
    ++failures;
    ASSERT_GT(package::CountErrors(out.diagnostics), 0u) << "cut at " << cut;
    for (const Diagnostic& d : out.diagnostics) {
      ASSERT_GE(d.line, 1) << "cut at " << cut << ": " << package::FormatDiagnostic(d);
      ASSERT_LE(d.line, out.lineCount) << "cut at " << cut << ": " << package::FormatDiagnostic(d);
    }
  }
  EXPECT_GT(failures, text.size() / 2);
}

// What old editors and the peers' readers allow: a Ctrl-Z end mark, a string
// continued with a backslash, a coordinate written as an unsigned number, a
// version string with its own terminator, and a word name no header
// defines kept as a name.
TEST(PackageCompiledResources, OldEditorHabitsCompileAsThePeersReadThem) {
  const Compiled c = Compile(
      "STRINGTABLE\nBEGIN\n 1, \"ab\\\ncd\"\nEND\n"
      "1 DIALOG 0, 65506, 10, 10\nBEGIN\nEND\n"
      "VS_VERSION_INFO VERSIONINFO\nBEGIN\n VALUE \"K\", \"v\\0\"\nEND\n\x1a garbage after the mark \x01");
  ASSERT_TRUE(c.ok) << (c.Errors().empty() ? "" : package::FormatDiagnostic(c.Errors()[0]));
  const ResEntry* strings = c.Find(ResId::Number(package::kRtString), ResId::Number(1));
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(strings->data.begin() + 2, strings->data.begin() + 14),
            Words({4, 'a', 'b', 'c', 'd', 0}));
  const ResEntry* dialog = c.Find(ResId::Number(package::kRtDialog), ResId::Number(1));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(dialog->data.begin() + 10, dialog->data.begin() + 14), Words({0, 0xFFE2}));
  const ResEntry* version = c.Find(ResId::Number(package::kRtVersion), ResId::Text("VS_VERSION_INFO"));
  ASSERT_NE(version, nullptr);
  const std::vector<uint8_t> value = Words({2, 1, 'K', 0, 0, 'v', 0});  // value length 2: one terminator
  EXPECT_NE(std::search(version->data.begin(), version->data.end(), value.begin(), value.end()), version->data.end());
}

// The sample script compiled by the GNU resource compiler, checked in as
// tests/win32/data/package_sample.res: every resource it holds must come out
// of our compiler with the same bytes.
TEST(PackageCompiledResources, AgreeWithAnotherCompilerOnTheSampleScript) {
  const std::string rcPath = package_test::SourceFile("tests/win32/data/package_sample.rc");
  std::string text;
  ASSERT_TRUE(package::ReadTextFile(rcPath, text)) << rcPath;
  CompiledScript ours;
  ASSERT_TRUE(package::CompileScript(rcPath, text, package::ReadTextFile, ours));

  std::vector<ResEntry> theirs;
  std::string error;
  ASSERT_TRUE(package::ReadResFile(package_test::SourceFile("tests/win32/data/package_sample.res"), theirs, error))
      << error;
  ASSERT_EQ(theirs.size(), 10u);
  for (const ResEntry& t : theirs) {
    SCOPED_TRACE(package::DescribeResId(t.type) + " " + package::DescribeResId(t.name));
    const ResEntry* match = nullptr;
    for (const ResEntry& o : ours.entries) {
      if (o.type == t.type && o.name == t.name && o.language == t.language) match = &o;
    }
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->data, t.data);
  }
  // No more than theirs: the script's own text is not asked for.
  EXPECT_EQ(ours.entries.size(), theirs.size());
}

}  // namespace
