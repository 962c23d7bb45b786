// The binder on real executables: resources bound into a copy of the
// template application read back through the system's resource loader byte
// for byte, in every language, with named and numbered types and names; a
// .res made by another tool binds as well; failures leave the file alone.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
