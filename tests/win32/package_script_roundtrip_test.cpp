// The written script is the contract: resources from every compatibility
// script, the awkward names and texts of data/script_writer_names.rc, the
// programs built here (the sample bound into the template among them) and
// every program and library of the Wine installation go resources ->
// script (and its files) -> compiled again,
// and come back as the same set of type, name and language with the same
// bytes, memory flags, version and characteristics. The comparison here is
// the test's own, not the writer's.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/rc/rc_files.h"
#include "package/rc/writer/rc_writer.h"
#include "package/res/pe_image.h"
#include "package/res/res_binder.h"
#include "tests/win32/package_compat_scripts.h"
#include "tests/win32/package_test_support.h"

namespace {

using Key = std::tuple<bool, uint16_t, std::u16string, bool, uint16_t, std::u16string, uint16_t>;
using Value = std::tuple<std::vector<uint8_t>, uint16_t, uint32_t, uint32_t>;

std::map<Key, Value> ByKey(const std::vector<package::ResEntry>& entries) {
  std::map<Key, Value> m;
  for (const package::ResEntry& e : entries)
    m[Key(e.type.numeric, e.type.number, e.type.text, e.name.numeric, e.name.number, e.name.text, e.language)] =
        Value(e.data, e.memoryFlags, e.version, e.characteristics);
  return m;
}

struct Counts {
  size_t files = 0, resources = 0, statements = 0, data = 0;
};

// Writes `entries` as a script and compiles it back; the script's own files
// are all it may read.
void RoundTrip(const std::string& what, const std::vector<package::ResEntry>& entries, bool inlineData, Counts& total) {
  package::rc::ScriptOptions options;
  options.folder = "side";
  options.inlineData = inlineData;
  package::rc::WrittenScript script;
  std::string error;
  if (!package::rc::WriteScript(entries, options, script, error)) {
    ADD_FAILURE() << what << ": " << error;
    return;
  }
  std::map<std::string, std::vector<uint8_t>> files;
  for (const package::rc::SideFile& f : script.files) {
    files[f.path] = f.bytes;
    EXPECT_NE(script.text.find(" " + f.path + "\n"), std::string::npos) << what << ": " << f.path << " is named nowhere";
  }
  EXPECT_TRUE(!inlineData || files.empty()) << what;
  const package::FileReader reader = [&files](const std::string& path, std::string& text) {
    const auto f = files.find(path);
    if (f == files.end()) return false;
    text.assign(f->second.begin(), f->second.end());
    return true;
  };
  package::CompiledScript compiled;
  if (!package::CompileScript("written.rc", script.text, reader, compiled)) {
    ADD_FAILURE() << what << ": the written script does not compile: " << package::FormatDiagnostic(compiled.diagnostics[0]);
    return;
  }
  EXPECT_EQ(compiled.entries.size(), entries.size()) << what;
  EXPECT_TRUE(ByKey(compiled.entries) == ByKey(entries)) << what << ": the resources differ";
  EXPECT_EQ(script.statements + script.asData, entries.size()) << what;
  printf("%-28s %5zu resources: %5zu statements, %4zu data\n", what.substr(what.find_last_of("\\/") + 1).c_str(),
         entries.size(), script.statements, script.asData);
  ++total.files;
  total.resources += entries.size();
  total.statements += script.statements;
  total.data += script.asData;
}

std::vector<std::string> FilesIn(const std::string& dir, const char* pattern) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(dir + "\\" + f.cFileName);
  } while (FindNextFileA(h, &f));
  FindClose(h);
  return found;
}

uint32_t Dword(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
void PutDword(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// The file offset of a 64-bit program's resource directory.
size_t ResourceDirectory(const std::string& image) {
  const size_t pe = Dword(image, 0x3C), optional = pe + 24;
  const uint32_t rva = Dword(image, optional + 112 + 2 * 8);
  const size_t sections = optional + (static_cast<uint8_t>(image[pe + 20]) | static_cast<uint8_t>(image[pe + 21]) << 8);
  for (size_t s = sections; s + 40 <= image.size(); s += 40) {
    const uint32_t va = Dword(image, s + 12), raw = Dword(image, s + 16);
    if (rva >= va && rva < va + raw) return Dword(image, s + 20) + (rva - va);
  }
  return 0;
}

void Report(const char* what, const Counts& c) {
  printf("%s: %zu files, %zu resources: %zu through their statements, %zu as data\n", what, c.files, c.resources,
         c.statements, c.data);
}

}  // namespace

// Scripts: compiled here, then each resource both with side files and inline.
TEST(PackageScriptRoundTrip, EveryCompiledScriptComesBack) {
  std::vector<std::string> scripts = compat_scripts::All(true);
  scripts.push_back(package_test::SourceFile("package/sample/Sample.rc"));
  scripts.push_back(package_test::SourceFile("tests/win32/data/script_writer_names.rc"));
  Counts total;
  for (const std::string& path : scripts) {
    package::CompiledScript out;
    if (!compat_scripts::Compile(path, out)) {
      ADD_FAILURE() << path << " does not compile";
      continue;
    }
    for (bool inlineData : {false, true}) RoundTrip(path, out.entries, inlineData, total);
  }
  Report("scripts", total);
  EXPECT_GE(total.files, 2 * 20u);
}

// Programs: the ones built here and every program image of the Wine installation, 64- and 32-bit.
TEST(PackageScriptRoundTrip, EveryProgramComesBack) {
  std::vector<std::string> programs = {package_test::WindowsPath(MIVO_BIN_DIR) + "\\MivoCompile.exe",
                                       package_test::PackageProgram("KestRix.exe"),
                                       package_test::PackageProgram("Sarvex.exe"),
                                       package_test::PackageProgram("brc32.exe")};
  // And the built sample: its script bound into a copy of the template, as the utility builds it.
  package_test::ScratchDir dir;
  package::CompiledScript sample;
  ASSERT_TRUE(compat_scripts::Compile(package_test::SourceFile("package/sample/Sample.rc"), sample));
  programs.push_back(dir.path() + "Sample.exe");
  ASSERT_TRUE(CopyFileA(package_test::PackageProgram("KestRix.exe").c_str(), programs.back().c_str(), FALSE));
  package::BindReport report;
  std::string error;
  ASSERT_TRUE(package::BindResources(sample.entries, programs.back(), report, error)) << error;
  for (const char* dir : {"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows",
                          "Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\i386-windows"}) {
    // Every file there is a program image: .exe, .dll, .cpl, .ocx, .sys, .drv, .tlb and the rest.
    for (const std::string& p : FilesIn(dir, "*")) programs.push_back(p);
  }
  Counts total;
  size_t wine = 0;
  for (const std::string& path : programs) {
    std::string bytes;
    ASSERT_TRUE(package_test::ReadBytes(path, bytes)) << path;
    std::vector<package::ResEntry> entries;
    std::string problem;
    if (!package::ReadProgramResources(std::vector<uint8_t>(bytes.begin(), bytes.end()), entries, problem)) {
      ADD_FAILURE() << path << ": " << problem;
      continue;
    }
    if (entries.empty()) continue;
    wine += path.rfind("Z:\\usr", 0) == 0 ? 1 : 0;
    RoundTrip(path, entries, false, total);
  }
  Report("programs", total);
  // The named ones at least: notepad, regedit, winecfg, wordpad, taskmgr, comctl32, comdlg32, shell32, user32.
  EXPECT_GE(wine, 9u);
}

// A damaged program's resources are refused with the reason, never read past
// its bytes or around a cycle of directories.
TEST(PackageScriptRoundTrip, ADamagedProgramsResourcesAreRefused) {
  std::string image;
  ASSERT_TRUE(package_test::ReadBytes(package_test::PackageProgram("KestRix.exe"), image));
  const size_t root = ResourceDirectory(image);
  ASSERT_GT(root, 0u);
  // The first type's subdirectory, then its first name's, then its first language's data entry.
  const size_t type = root + 16, names = root + (Dword(image, type + 4) & 0x7FFFFFFF);
  const size_t languages = root + (Dword(image, names + 16 + 4) & 0x7FFFFFFF);
  const size_t data = root + Dword(image, languages + 16 + 4);
  const struct {
    const char* damage;
    size_t at;  // where a double word is set, or the length to cut the image to
    uint32_t value;
    bool cut;
    const char* problem;
  } kDamages[] = {
      {"cut in its resource directory", root + 20, 0, true, "past"},
      {"a type pointing back to the root", type + 4, 0x80000000u, false, "points back"},
      {"a name pointing back to its type's directory", names + 16 + 4,
       0x80000000u | static_cast<uint32_t>(names - root), false, "points back"},
      {"data larger than its section", data + 4, 0x7FFFFFF0u, false, "outside"},
  };
  std::vector<package::ResEntry> entries;
  std::string problem;
  ASSERT_TRUE(package::ReadProgramResources(std::vector<uint8_t>(image.begin(), image.end()), entries, problem)) << problem;
  for (const auto& d : kDamages) {
    std::string damaged = image;
    if (d.cut) damaged.resize(d.at);
    else PutDword(damaged, d.at, d.value);
    problem.clear();
    EXPECT_FALSE(package::ReadProgramResources(std::vector<uint8_t>(damaged.begin(), damaged.end()), entries, problem))
        << d.damage;
    EXPECT_TRUE(package_test::Contains(problem, d.problem)) << d.damage << ": " << problem;
  }
}
