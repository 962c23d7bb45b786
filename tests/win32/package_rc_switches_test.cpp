// brc32's switches as batch files use them, through the command interpreter
// as the utility runs the compiler: include folders from -i, -I and INCLUDE
// (and -x against it), defines, the default language, the refused -31, an
// unknown switch and an unconvertible code page, and the list of switches
// with no arguments.

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
      {"", nullptr, 2, "-31              refused", 0},
      {"-r \"%dir%s.rc\" -31", nullptr, 2, "only 32-bit resources are made", 0},
      {"-zz \"%dir%s.rc\"", nullptr, 2, "unknown switch '-zz'", 0},
      {"-c1234 -r \"%dir%s.rc\"", nullptr, 2, "code page 1234 cannot be converted", 0},
      {"-r -dLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", nullptr, 1, "cannot open include file 'lib.rh'", 0},
      {"-w32 -k -v -dLEVEL=3 -i\"%inc%\" -l407 -r \"%dir%s.rc\" -fo\"%dir%s.res\"", nullptr, 0, "Include folder", 0x0407},
      {"-I \"%inc%\" -D LEVEL=3 -c 65001 /r \"%dir%s.rc\" -fo \"%dir%s.res\"", nullptr, 0, "Wrote", 0x0409},
      {"-r /DLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", "%inc%", 0, "Wrote", 0x0409},
      {"-r -x -dLEVEL=3 \"%dir%s.rc\" -fo \"%dir%s.res\"", "%inc%", 1, "cannot open include file 'lib.rh'", 0},
  };
  ScratchDir dir, inc;
  // No trailing backslash: before a closing quote it would escape the quote.
  const std::string dirPath = dir.path(), incPath = inc.path().substr(0, inc.path().size() - 1);
  ASSERT_TRUE(package_test::WriteBytes(dir / "s.rc", "#include <lib.rh>\r\nIDR_X RCDATA { LEVEL }\r\n"));
  ASSERT_TRUE(package_test::WriteBytes(inc / "lib.rh", "#define IDR_X 7\r\n"));
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

}  // namespace
