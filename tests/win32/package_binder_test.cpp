// The binder on real executables: resources bound into a copy of the
// template application read back through the system's resource loader byte
// for byte, in every language, with named and numbered types and names; a
// .res made by another tool binds as well; failures leave the file alone.
// Through brc32: damaged targets and .res files, made here from the built
// template, are refused and leave nothing under the program's name.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "package/faults/fault_switches.h"
#include "package/res/res_binder.h"
#include "package/res/res_file.h"
#include "package_test_support.h"

namespace {

using package::ResEntry;
using package::ResId;
using package_test::Entry;
using package_test::ScratchDir;

std::string CopyOfTemplate(const ScratchDir& dir, const char* name) {
  const std::string exe = dir / name;
  EXPECT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), exe.c_str(), FALSE))
      << package_test::PackageProgram("KestRix.exe");
  return exe;
}

const wchar_t* Identifier(const ResId& id, std::wstring& storage) {
  if (id.numeric) return MAKEINTRESOURCEW(id.number);
  storage.assign(id.text.begin(), id.text.end());
  return storage.c_str();
}

// Loads the executable as data and finds one resource, as a reader of the
// built program would.
struct LoadedImage {
  explicit LoadedImage(const std::string& exe) : module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~LoadedImage() {
    if (module) FreeLibrary(module);
  }
  LoadedImage(const LoadedImage&) = delete;
  LoadedImage& operator=(const LoadedImage&) = delete;

  bool Read(const ResId& type, const ResId& name, uint16_t language, std::string& data) const {
    std::wstring t, n;
    HRSRC found = FindResourceExW(module, Identifier(type, t), Identifier(name, n), language);
    if (!found) return false;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes && size > 0) return false;
    data.assign(bytes ? bytes : "", size);
    return true;
  }

  HMODULE module;
};

::testing::AssertionResult ReadsBack(const LoadedImage& image, const ResEntry& e) {
  if (!image.module) return ::testing::AssertionFailure() << "the executable does not load as data";
  std::string data;
  const std::string what = package::DescribeResId(e.type) + " " + package::DescribeResId(e.name);
  if (!image.Read(e.type, e.name, e.language, data))
    return ::testing::AssertionFailure() << what << " not found in language " << e.language;
  if (data != std::string(e.data.begin(), e.data.end()))
    return ::testing::AssertionFailure() << what << " holds " << data.size() << " different bytes";
  return ::testing::AssertionSuccess();
}

TEST(PackageBinder, BoundResourcesReadBackByteForByte) {
  ScratchDir dir;
  const std::string exe = CopyOfTemplate(dir, "bound.exe");
  const std::vector<ResEntry> entries = {
      Entry(ResId::Number(package::kRtRcData), ResId::Number(1), "odd", 0x0409),
      Entry(ResId::Number(package::kRtRcData), ResId::Number(1), "other language", 0x0407),
      Entry(ResId::Text("CONFIG"), ResId::Text("SETTINGS"), "key=value", 0x0409),
      Entry(ResId::Number(300), ResId::Text("X"), std::string("\0\x01\x02\xFF\x7F", 5), 0x0000),
      Entry(ResId::Text("BLOB"), ResId::Number(42), std::string(4099, 'z'), 0x0409),
  };
  package::BindReport report;
  std::string error;
  ASSERT_TRUE(package::BindResources(entries, exe, report, error)) << error;
  EXPECT_EQ(report.bound, entries.size());

  LoadedImage image(exe);
  for (const ResEntry& e : entries) EXPECT_TRUE(ReadsBack(image, e));
  // The template's own version record stays.
  std::string version;
  EXPECT_TRUE(image.Read(ResId::Number(package::kRtVersion), ResId::Number(1), 0x0409, version));
  EXPECT_GT(version.size(), 0u);
}

TEST(PackageBinder, BindingAgainReplacesAResourceOfTheSameTypeNameAndLanguage) {
  ScratchDir dir;
  const std::string exe = CopyOfTemplate(dir, "twice.exe");
  package::BindReport report;
  std::string error;
  ASSERT_TRUE(package::BindResources({Entry(ResId::Number(10), ResId::Number(5), "old", 0x0409)}, exe, report, error))
      << error;
  const ResEntry fresh = Entry(ResId::Number(10), ResId::Number(5), "new data", 0x0409);
  ASSERT_TRUE(package::BindResources({fresh}, exe, report, error)) << error;

  LoadedImage image(exe);
  EXPECT_TRUE(ReadsBack(image, fresh));
  int languages = 0;
  EnumResourceLanguagesW(
      image.module, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(5),
      [](HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR count) -> BOOL {
        ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, 1);
}

TEST(PackageBinder, AResourceWithoutDataDoesNotStopTheOthers) {
  ScratchDir dir;
  const std::string exe = CopyOfTemplate(dir, "empty.exe");
  const ResEntry empty = Entry(ResId::Number(10), ResId::Number(6), "", 0x0409);
  const ResEntry full = Entry(ResId::Number(10), ResId::Number(7), "data", 0x0409);
  package::BindReport report;
  std::string error;
  ASSERT_TRUE(package::BindResources({empty, full}, exe, report, error)) << error;

  LoadedImage image(exe);
  EXPECT_TRUE(ReadsBack(image, full));
  // Windows binds an empty resource; Wine refuses it, and then it is counted
  // as skipped, never deleted or left half done.
  std::string data;
  const bool present = image.Read(empty.type, empty.name, empty.language, data);
  EXPECT_EQ(report.skippedEmpty, present ? 0u : 1u);
  EXPECT_EQ(report.bound, present ? 2u : 1u);
  EXPECT_TRUE(data.empty());
}

// package_sample.res was made from package_sample.rc by the GNU toolchain's
// resource compiler; see the script's header.
TEST(PackageBinder, AResFileMadeByAnotherToolBinds) {
  ScratchDir dir;
  const std::string exe = CopyOfTemplate(dir, "sample.exe");
  const std::string res = package_test::SourceFile("tests/win32/data/package_sample.res");
  package::BindReport report;
  std::string error;
  ASSERT_TRUE(package::BindResFile(res, exe, report, error)) << error;

  std::vector<ResEntry> entries;
  ASSERT_TRUE(package::ReadResFile(res, entries, error)) << error;
  EXPECT_EQ(report.bound, entries.size());
  ASSERT_EQ(entries.size(), 10u);
  LoadedImage image(exe);
  for (const ResEntry& e : entries) EXPECT_TRUE(ReadsBack(image, e));
  // The bound menu is one the system can build.
  HMENU menu = LoadMenuW(image.module, L"IDR_MAINMENU");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  DestroyMenu(menu);
}

TEST(PackageBinder, AMissingExecutableIsReportedByName) {
  ScratchDir dir;
  package::BindReport report;
  std::string error;
  EXPECT_FALSE(package::BindResources({Entry(ResId::Number(10), ResId::Number(1), "x", 0x0409)}, dir / "none.exe",
                                      report, error));
  EXPECT_NE(error.find("none.exe"), std::string::npos) << error;
}

TEST(PackageBinder, ADamagedResFileLeavesTheExecutableUnchanged) {
  ScratchDir dir;
  const std::string exe = CopyOfTemplate(dir, "keep.exe");
  std::string before, after;
  ASSERT_TRUE(package_test::ReadBytes(exe, before));
  ASSERT_TRUE(package_test::WriteBytes(dir / "bad.res", std::string("this is no resource file at all")));

  package::BindReport report;
  report.bound = 99;
  std::string error;
  EXPECT_FALSE(package::BindResFile(dir / "bad.res", exe, report, error));
  EXPECT_EQ(report.bound, 0u);
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(package_test::ReadBytes(exe, after));
  EXPECT_TRUE(before == after);
}

// ---- Damaged targets and .res files through brc32

uint32_t Dword(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

void PutDword(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// File offsets in a PE32+ image: its optional header, and its resource
// directory through the section that holds it.
size_t OptionalHeader(const std::string& exe) { return Dword(exe, 0x3C) + 24; }

size_t ResourceDirectory(const std::string& exe) {
  const size_t optional = OptionalHeader(exe);
  const uint32_t rva = Dword(exe, optional + 112 + 2 * 8);
  const size_t table = optional + (static_cast<uint8_t>(exe[Dword(exe, 0x3C) + 20]) |
                                   static_cast<uint8_t>(exe[Dword(exe, 0x3C) + 21]) << 8);
  for (size_t at = table;; at += 40) {
    const uint32_t start = Dword(exe, at + 12), size = Dword(exe, at + 16);
    if (rva >= start && rva < start + size) return Dword(exe, at + 20) + (rva - start);
  }
}

TEST(PackageBinder, DamagedTargetsAndResFilesAreRefusedAndLeaveNoProgram) {
  using Spoil = std::function<void(std::string& exe, std::string& res)>;
  const struct {
    const char* what;
    Spoil spoil;
    const char* faultSwitch;
    DWORD exitCode;
    const char* message;
    bool temporaryLeft;
  } cases[] = {
      {"the first 1,024 bytes", [](std::string& exe, std::string&) { exe.resize(1024); }, nullptr, 1,
       "runs past the end of the file", false},
      {"the first half", [](std::string& exe, std::string&) { exe.resize(exe.size() / 2); }, nullptr, 1,
       "runs past the end of the file", false},
      {"an optional header of 0xFFF0 bytes",
       [](std::string& exe, std::string&) { exe[Dword(exe, 0x3C) + 20] = '\xF0', exe[Dword(exe, 0x3C) + 21] = '\xFF'; },
       nullptr, 1, "the section table", false},
      {"text, not a program", [](std::string& exe, std::string&) { exe = "KestRix template\r\n"; }, nullptr, 1,
       "no DOS header", false},
      {"a resource root claiming 0xFFFF entries",
       [](std::string& exe, std::string&) { exe[ResourceDirectory(exe) + 14] = exe[ResourceDirectory(exe) + 15] = '\xFF'; },
       nullptr, 1, "claims", false},
      {"a resource entry pointing back at the root",
       [](std::string& exe, std::string&) { PutDword(exe, ResourceDirectory(exe) + 20, 0x80000000u); }, nullptr, 1,
       "points back", false},
      {"a resource entry pointing out of range",
       [](std::string& exe, std::string&) { PutDword(exe, ResourceDirectory(exe) + 20, 0x80FFFFF0u); }, nullptr, 1,
       "runs past its section", false},
      {"a .res entry header of 33 bytes", [](std::string&, std::string& res) { PutDword(res, 32 + 4, 33); }, nullptr,
       1, "is not a multiple of 4", false},
      {"a .res cut short", [](std::string&, std::string& res) { res.resize(res.size() - 4); }, nullptr, 1,
       "past the end of the file", false},
      {"a crash inside the resource update", [](std::string&, std::string&) {}, package::kBrc32EndMidBind, 5,
       package::kBrc32EndMidBind, true},
  };
  std::string templateBytes;
  ASSERT_TRUE(package_test::ReadBytes(package_test::PackageProgram("KestRix.exe"), templateBytes));
  const std::vector<uint8_t> resBytes = package::EncodeResFile({Entry(ResId::Number(10), ResId::Number(1), "abc")});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    std::string exe = templateBytes, res(resBytes.begin(), resBytes.end());
    c.spoil(exe, res);
    ASSERT_TRUE(package_test::WriteBytes(dir / "menu.exe", exe));
    ASSERT_TRUE(package_test::WriteBytes(dir / "menu.res", res));
    package_test::ScopedEnvironment fault(c.faultSwitch ? c.faultSwitch : "MIVO_NO_SWITCH", "1");
    const package_test::CommandResult r = package_test::RunThroughInterpreter(
        package_test::PackageProgram("brc32.exe") + " \"" + (dir / "menu.res") + "\" -w32 \"" + (dir / "menu.exe") + "\"",
        dir);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    EXPECT_TRUE(package_test::Contains(r.output, c.message)) << r.output;
    EXPECT_FALSE(package_test::Exists(dir / "menu.exe")) << "a program is left under the target's name";
    EXPECT_EQ(package_test::Exists(package::BindTemporaryPath(dir / "menu.exe")), c.temporaryLeft);
  }
}

}  // namespace
