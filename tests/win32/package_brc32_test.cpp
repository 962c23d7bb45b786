// The compiler and binder as a real process on real files, started through
// the command interpreter as the utility starts them.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/faults/fault_switches.h"
#include "package/rc/rc_compile.h"
#include "package/res/pe_image.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package_test_support.h"
#include "package_tools_support.h"

namespace {

using namespace package_tools;
using package::ResEntry;
using package::ResId;
using package_test::Contains;
using package_test::ScopedEnvironment;

// ---- brc32

class PackageCompiler : public ::testing::Test {
 protected:
  void Write(const char* script) { ASSERT_TRUE(package_test::WriteBytes(project_.Path(".rc"), script)); }

  package_test::CommandResult Run(const std::string& line) {
    package_test::CommandResult r = package_test::RunThroughInterpreter(line, dir_);
    EXPECT_TRUE(r.finished) << line;
    return r;
  }

  std::string CopyTemplate() {
    const std::string exe = project_.Path(".exe");
    EXPECT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE));
    return exe;
  }

  ScratchDir dir_;
  Project project_{dir_, "menu"};
};

// The script's own text goes in only with -src.
TEST_F(PackageCompiler, CompilesAScriptIntoAResFileHoldingItsResourcesAndItsTextWhenAsked) {
  Write(kGoodScript);
  for (const char* extra : {"", " -src"}) {
    SCOPED_TRACE(extra);
    const bool text = *extra != '\0';
    const package_test::CommandResult r = Run(CompileLine(project_) + extra);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_TRUE(Contains(r.output, "BRC32 resource compiler")) << r.output;
    EXPECT_TRUE(Contains(r.output, "Wrote " + project_.Path(".res") + (text ? ": 2" : ": 1") + " resource(s)")) << r.output;

    std::vector<ResEntry> entries;
    std::string error;
    ASSERT_TRUE(package::ReadResFile(project_.Path(".res"), entries, error)) << error;
    ASSERT_EQ(entries.size(), text ? 2u : 1u);
    EXPECT_TRUE(entries[0].type == ResId::Number(package::kRtMenu));
    EXPECT_TRUE(entries[0].name == ResId::Text("IDR_MENU"));
    if (!text) continue;
    EXPECT_TRUE(entries[1].type == ResId::Text(package::kScriptResourceType));
    EXPECT_TRUE(entries[1].name == ResId::Text("MENU"));
    EXPECT_EQ(std::string(entries[1].data.begin(), entries[1].data.end()), kGoodScript);
  }
}

TEST_F(PackageCompiler, ASyntaxErrorIsPrintedWithFileAndLineAndLeavesNoResFile) {
  Write(kBadScript);
  ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(
      Contains(r.output, project_.Path(".rc") +
                             "(4,3): error: BEGIN expected for the menu items, found 'MENUITEM'\r\n"
                             "  MENUITEM \"&Open\", 101\r\n"
                             "  ^\r\n"))
      << r.output;
  EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(7,1): error: END without matching BEGIN"))
      << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".res"), "r"), -1);
}

TEST_F(PackageCompiler, AStatementErrorIsPrintedAtItsLine) {
  Write("1 DIALOG 0, 0, 10, 10\r\nSTYLE WS_POPUP\r\nBEGIN\r\n  LTEXT \"x\", 1, 2, 3, 4\r\nEND\r\n");
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(
      r.output, project_.Path(".rc") + "(5,1): error: ',' expected after the width, found 'END'"))
      << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
}

// A script that is a directory, or that does not exist, is an error at
// line 0 of that path, with no .res left behind.
TEST_F(PackageCompiler, AScriptThatCannotBeReadIsAnErrorAndLeavesNoResFile) {
  for (bool directory : {true, false}) {
    SCOPED_TRACE(directory ? "a directory" : "no file");
    if (directory) {
      ASSERT_TRUE(CreateDirectoryA(project_.Path(".rc").c_str(), nullptr));
    }
    ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
    const package_test::CommandResult r = Run(CompileLine(project_));
    EXPECT_EQ(r.exitCode, 1u) << r.output;
    EXPECT_TRUE(Contains(r.output, project_.Path(".rc") + "(0): error: ")) << r.output;
    EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
    if (directory) {
      ASSERT_TRUE(RemoveDirectoryA(project_.Path(".rc").c_str()));
    }
  }
}

TEST_F(PackageCompiler, WithNoResTheCompileStepWritesNothing) {
  ScopedEnvironment noRes(package::kBrc32NoRes, "1");
  Write(kGoodScript);
  ASSERT_TRUE(package_test::WriteBytes(project_.Path(".res"), "stale"));
  const package_test::CommandResult r = Run(CompileLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, package::kBrc32NoRes)) << r.output;
  EXPECT_FALSE(package_test::Exists(project_.Path(".res")));
}

TEST_F(PackageCompiler, BindsTheResFileIntoTheExecutable) {
  Write(kGoodScript);
  const std::string exe = CopyTemplate();
  ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
  const package_test::CommandResult r = Run(BindLine(project_));
  EXPECT_EQ(r.exitCode, 0u) << r.output;
  EXPECT_TRUE(Contains(r.output, "Bound 1 resource(s) into " + exe)) << r.output;
  EXPECT_EQ(package_test::PollAsUtility(exe, "r+"), 0);
  EXPECT_FALSE(package_test::Exists(package::BindTemporaryPath(exe)));

  HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(FindResourceExW(image, L"RCSCRIPT", L"MENU", 0), nullptr) << "the script's text, not asked for";
  HMENU menu = LoadMenuW(image, L"IDR_MENU");
  EXPECT_NE(menu, nullptr);
  if (menu) DestroyMenu(menu);
  FreeLibrary(image);
}

TEST_F(PackageCompiler, WithNoBindTheBindStepLeavesNoWritableExecutable) {
  ScopedEnvironment noBind(package::kBrc32NoBind, "1");
  Write(kGoodScript);
  CopyTemplate();
  ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
  const package_test::CommandResult r = Run(BindLine(project_));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_TRUE(Contains(r.output, package::kBrc32NoBind)) << r.output;
  EXPECT_EQ(package_test::PollAsUtility(project_.Path(".exe"), "r+"), -1);
}

// A bind that fails removes its target: the utility judges the bind by that file.
TEST_F(PackageCompiler, AFailedBindReportsAndDeletesTheExecutable) {
  enum class Spoil { RemoveRes, EmptyRes, TextTemplate };
  const struct {
    const char* what;
    Spoil spoil;
  } cases[] = {{"no .res", Spoil::RemoveRes}, {"a .res of 0 bytes", Spoil::EmptyRes},
               {"a template that is not a program", Spoil::TextTemplate}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string exe = CopyTemplate();
    Write(kGoodScript);
    ASSERT_EQ(Run(CompileLine(project_)).exitCode, 0u);
    const std::string res = project_.Path(".res");
    if (c.spoil == Spoil::RemoveRes) {
      ASSERT_TRUE(DeleteFileA(res.c_str()));
    }
    if (c.spoil == Spoil::EmptyRes) {
      ASSERT_TRUE(package_test::WriteBytes(res, ""));
    }
    if (c.spoil == Spoil::TextTemplate) {
      ASSERT_TRUE(package_test::WriteBytes(exe, "not a program\r\n"));
    }
    const package_test::CommandResult r = Run(BindLine(project_));
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(Contains(r.output, "error: ")) << r.output;
    EXPECT_TRUE(Contains(r.output, "Bind failed: " + exe + " deleted")) << r.output;
    EXPECT_EQ(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// -s and -sh write a script of a program's or a .res file's resources that
// brc32 compiles back to the same ones; -sh needs no side files.
TEST_F(PackageCompiler, WritesAScriptThatCompilesBackToTheSameResources) {
  const std::string brc32 = package_test::PackageProgram("brc32.exe");
  const std::string program = CopyTemplate(), res = dir_ / "template.res";
  std::string bytes, error;
  std::vector<ResEntry> expected;
  ASSERT_TRUE(package_test::ReadBytes(program, bytes));
  ASSERT_TRUE(package::ReadProgramResources(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected, error)) << error;
  ASSERT_TRUE(package::WriteResFile(res, expected, error)) << error;
  for (const std::string& input : {program, res}) {
    for (const char* sw : {"-s", "-sh"}) {
      SCOPED_TRACE(input + " " + sw);
      const std::string script = dir_.path() + (sw + 1) + "_written.rc", again = dir_ / "again.res";
      const std::string folder = dir_.path() + (sw + 1) + "_written_files";
      package_test::CommandResult r = Run(brc32 + " " + sw + " \"" + input + "\" -fo \"" + script + "\"");
      ASSERT_EQ(r.exitCode, 0u) << r.output;
      EXPECT_TRUE(Contains(r.output, "Wrote " + script + ": " + std::to_string(expected.size()) + " resource(s)")) << r.output;
      EXPECT_EQ(package_test::Exists(folder), sw[2] == '\0') << folder;
      r = Run(brc32 + " -r \"" + script + "\" -fo \"" + again + "\"");
      ASSERT_EQ(r.exitCode, 0u) << r.output;
      std::vector<ResEntry> compiled;
      ASSERT_TRUE(package::ReadResFile(again, compiled, error)) << error;
      ASSERT_EQ(compiled.size(), expected.size());
      EXPECT_TRUE(package::EncodeResFile(compiled) == package::EncodeResFile(expected));
    }
  }
  // Neither a program nor a .res, and a name no statement reads back (scripts
  // name resources in capitals): no script, and the reason.
  std::vector<ResEntry> small = {package_test::Entry(ResId::Number(package::kRtRcData), ResId::Text("small"), "x")};
  ASSERT_TRUE(package::WriteResFile(dir_ / "small.res", small, error)) << error;
  ASSERT_TRUE(package_test::WriteBytes(dir_ / "none.exe", "not a program"));
  const struct {
    const char* input;
    const char* reason;
  } kRefused[] = {{"none.exe", "error: "}, {"small.res", "named in small letters"}};
  for (const auto& c : kRefused) {
    const std::string script = dir_ / "refused.rc";
    const package_test::CommandResult r = Run(brc32 + " -s \"" + (dir_ / c.input) + "\" -fo \"" + script + "\"");
    EXPECT_EQ(r.exitCode, 1u) << r.output;
    EXPECT_TRUE(Contains(r.output, c.reason) && Contains(r.output, "Script not written")) << r.output;
    EXPECT_FALSE(package_test::Exists(script)) << c.input;
  }
  // Without -fo the script beside the .res, most likely its source, is not written over.
  ASSERT_TRUE(package_test::WriteBytes(dir_ / "template.rc", kGoodScript));
  const package_test::CommandResult r = Run(brc32 + " -s \"" + res + "\"");
  EXPECT_EQ(r.exitCode, 1u) << r.output;
  EXPECT_TRUE(Contains(r.output, "only when -fo names it")) << r.output;
  std::string kept;
  EXPECT_TRUE(package_test::ReadBytes(dir_ / "template.rc", kept) && kept == kGoodScript);
}

TEST_F(PackageCompiler, AnUnreadableCommandLineGetsTheUsage) {
  const package_test::CommandResult r = Run(package_test::PackageProgram("brc32.exe") + " -q");
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_TRUE(Contains(r.output, "usage:")) << r.output;
}

}  // namespace
