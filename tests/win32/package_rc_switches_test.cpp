// brc32's switches as batch files use them, through the command interpreter
// as the utility runs the compiler: include folders from -i, -I and INCLUDE
// (and -x against it), defines, the default language, the refused -31 and
// -16, the accepted -32 and -m, -src, a response file, an unknown switch
// and an unconvertible code page, the list of switches with no arguments,
// -h and -?; and the dependency rule of -fd against the files a compile
// reads.

#include <string>
#include <vector>

#include "package/res/res_file.h"
#include "tests/win32/package_test_support.h"

namespace {

using package_test::Contains;
using package_test::ScratchDir;

std::string Expand(std::string text, const std::string& dir, const std::string& inc) {
  for (const auto& [mark, value] : {std::make_pair(std::string("%dir%"), dir), std::make_pair(std::string("%inc%"), inc)}) {
    for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
  }
  return text;
}

TEST(PackageCompilerSwitches, EachSwitchDoesWhatItsListSays) {
  const struct {
    const char* args;
    const char* include;  // the INCLUDE variable, or null
    DWORD exitCode;
    const char* says;
    uint16_t language;    // of the compiled resource; 0 when no .res is expected
  } cases[] = {
      {"", nullptr, 2, "-31, -16         refused", 0},
      {"-r \"%dir%s.rc\" -31", nullptr, 2, "only 32-bit resources are made", 0},
      {"-zz \"%dir%s.rc\"", nullptr, 2, "unknown switch '-zz'", 0},
      {"-c1234 -r \"%dir%s.rc\"", nullptr, 2, "code page 1234 cannot be converted", 0},
      {"-r -dLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", nullptr, 1, "cannot open include file 'lib.rh'", 0},
      {"-w32 -k -v -dLEVEL=3 -i\"%inc%\" -l407 -r \"%dir%s.rc\" -fo\"%dir%s.res\"", nullptr, 0, "Include folder", 0x0407},
      {"-I \"%inc%\" -D LEVEL=3 -c 65001 /r \"%dir%s.rc\" -fo \"%dir%s.res\"", nullptr, 0, "Wrote", 0x0409},
      {"-r /DLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", "%inc%", 0, "Wrote", 0x0409},
      {"-r -x -dLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", "%inc%", 1, "cannot open include file 'lib.rh'", 0},
      {"-r \"%dir%s.rc\" -16", nullptr, 2, "-16 asks for 16-bit resources", 0},
      {"-32 -m -r -dLEVEL=3 -i\"%inc%\" \"%dir%s.rc\"", nullptr, 0, "s.res: 1 resource(s)", 0x0409},
      {"-src -r -dLEVEL=3 -i\"%inc%\" \"%dir%s.rc\"", nullptr, 0, "s.res: 2 resource(s)", 0x0409},
      {"-h", nullptr, 0, "@<file>", 0},
      {"/?", nullptr, 0, "-fd<file>", 0},
      {"@\"%dir%s.rsp\"", nullptr, 0, "s.res: 1 resource(s)", 0x0407},
      {"-r @\"%dir%none.rsp\"", nullptr, 2, "cannot read response file", 0},
  };
  ScratchDir dir, inc;
  // No trailing backslash: before a closing quote it would escape the quote.
  const std::string dirPath = dir.path(), incPath = inc.path().substr(0, inc.path().size() - 1);
  ASSERT_TRUE(package_test::WriteBytes(dir / "s.rc", "#include <lib.rh>\r\nIDR_X RCDATA { LEVEL }\r\n"));
  ASSERT_TRUE(package_test::WriteBytes(inc / "lib.rh", "#define IDR_X 7\r\n"));
  // Several switches a line, quoted arguments, a blank line.
  ASSERT_TRUE(package_test::WriteBytes(
      dir / "s.rsp", Expand("-r -dLEVEL=3\r\n\r\n  \"-i%inc%\"\t-l 407 -fo \"%dir%s.res\"\r\n\"%dir%s.rc\"", dirPath, incPath)));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    DeleteFileA((dir / "s.res").c_str());
    package_test::ScopedEnvironment include("INCLUDE", c.include ? Expand(c.include, dirPath, incPath).c_str() : nullptr);
    const std::string line = package_test::PackageProgram("brc32.exe") + " " + Expand(c.args, dirPath, incPath);
    const package_test::CommandResult r = package_test::RunThroughInterpreter(line, dir);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    EXPECT_TRUE(Contains(r.output, c.says)) << r.output;
    std::vector<package::ResEntry> entries;
    std::string error;
    EXPECT_EQ(package::ReadResFile(dir / "s.res", entries, error), c.language != 0) << error;
    if (c.language == 0) continue;
    ASSERT_FALSE(entries.empty());
    EXPECT_TRUE(entries[0].type == package::ResId::Number(10) && entries[0].name == package::ResId::Number(7));
    EXPECT_EQ(entries[0].language, c.language);
    EXPECT_EQ(std::string(entries[0].data.begin(), entries[0].data.end()), std::string("\x03\x00", 2));
  }
}

// The rule names the .res, then every file the compile read once each, in
// the order read: the script, its includes (from its own folder and from
// -i), and the files of icons, cursors, bitmaps, fonts and data. A failed
// compile leaves no rule, not even an earlier one.
TEST(PackageCompilerSwitches, TheDependencyRuleNamesEveryFileTheCompileRead) {
  ScratchDir dir, inc;
  const std::string incPath = inc.path().substr(0, inc.path().size() - 1);
  const char* const images[] = {"tiny.ico", "tiny.cur", "tiny.bmp"};
  for (const char* image : images) {
    const std::string from = package_test::SourceFile((std::string("tests/compat/scripts/borland/") + image).c_str());
    ASSERT_TRUE(CopyFileA(from.c_str(), (dir / image).c_str(), FALSE)) << from;
  }
  ASSERT_TRUE(package_test::WriteBytes(dir / "f.fnt", std::string("\x00\x03", 2) + std::string(118, '\0')));
  ASSERT_TRUE(package_test::WriteBytes(dir / "blob.bin", "data"));
  ASSERT_TRUE(package_test::WriteBytes(dir / "ids.rh", "#define IDR_Y 8\r\n"));
  ASSERT_TRUE(package_test::WriteBytes(inc / "lib.rh", "#define IDR_X 7\r\n"));
  ASSERT_TRUE(package_test::WriteBytes(
      dir / "s.rc",
      "#include \"ids.rh\"\r\n#include <lib.rh>\r\n#include <windows.h>\r\n1 ICON \"tiny.ico\"\r\n"
      "2 CURSOR tiny.cur\r\n3 BITMAP \"tiny.bmp\"\r\n4 FONT \"f.fnt\"\r\nIDR_X RCDATA \"blob.bin\"\r\n"
      "IDR_Y BLOB \"blob.bin\"\r\n"));
  const std::string line = package_test::PackageProgram("brc32.exe") + " -r -i\"" + incPath + "\" \"" +
                           (dir / "s.rc") + "\" -fd \"" + (dir / "s.d") + "\"";
  package_test::CommandResult r = package_test::RunThroughInterpreter(line, dir);
  ASSERT_EQ(r.exitCode, 0u) << r.output;
  std::string rule;
  ASSERT_TRUE(package_test::ReadBytes(dir / "s.d", rule));
  std::string expected = dir / "s.res:";
  for (const std::string& file : {dir / "s.rc", dir / "ids.rh", incPath + "\\lib.rh", dir / "tiny.ico",
                                  dir / "tiny.cur", dir / "tiny.bmp", dir / "f.fnt", dir / "blob.bin"})
    expected += " \\\n  " + file;
  EXPECT_EQ(rule, expected + "\n");

  ASSERT_TRUE(package_test::WriteBytes(dir / "ids.rh", "#error the ids are broken\r\n"));
  r = package_test::RunThroughInterpreter(line, dir);
  EXPECT_EQ(r.exitCode, 1u) << r.output;
  EXPECT_FALSE(package_test::Exists(dir / "s.d"));
}

}  // namespace
