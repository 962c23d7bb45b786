// The built MivoCompile.exe read back as Windows reads it: its version record
// through the version services, and every resource's kind, name and language
// through the loader.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "package_test_support.h"

namespace {

constexpr WORD kEnglishUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

std::string ProgramPath() { return package_test::WindowsPath(MIVO_BIN_DIR) + "\\MivoCompile.exe"; }

// A resource name as the tests write it: the number, or the text.
std::string NameOf(LPCSTR name) {
  return IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string(name);
}

// Resource type -> name -> its languages.
using ResourceTable = std::map<uintptr_t, std::map<std::string, std::vector<WORD>>>;

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR table) {
  (*reinterpret_cast<ResourceTable*>(table))[reinterpret_cast<uintptr_t>(type)][NameOf(name)].push_back(language);
  return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR table) {
  return EnumResourceLanguagesA(module, type, name, AddLanguage, table);
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR table) {
  return EnumResourceNamesA(module, type, AddName, table);
}

TEST(VersionRecord, FixedAndStringFieldsUnderTheUkEnglishUnicodeTranslation) {
  const std::string path = ProgramPath();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_NE(0u, size) << path << ": error " << GetLastError();
  std::vector<char> record(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(sizeof *fixed, length);
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS) << "1.0";
  EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS) << "0.1";
  EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
  EXPECT_EQ(MAKELONG(1, 0), fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(2 * sizeof(WORD), length) << "one translation";
  EXPECT_EQ(kEnglishUk, translation[0]);
  EXPECT_EQ(1200, translation[1]) << "Unicode";

  const std::map<std::string, std::string> expected = {
      {"FileVersion", "1, 0, 0, 1"},     {"ProductVersion", "1, 0, 0, 1"},
      {"FileDescription", "MivoCompile"}, {"InternalName", "MivoCompile"},
      {"OriginalFilename", "MivoCompile.exe"},
  };
  for (const auto& [field, value] : expected) {
    char* text = nullptr;
    std::string query = "\\StringFileInfo\\080904b0\\" + field;
    ASSERT_TRUE(VerQueryValueA(record.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << field;
    EXPECT_EQ(value, std::string(text)) << field;
  }
}

TEST(VersionRecord, EveryResourceIsUkEnglishAndTheIconIsOne32x32SixteenColourImage) {
  HMODULE program = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program) << ProgramPath() << ": error " << GetLastError();
  ResourceTable table;
  EnumResourceTypesA(program, AddType, reinterpret_cast<LONG_PTR>(&table));

  std::set<uintptr_t> types;
  for (const auto& [type, names] : table) {
    types.insert(type);
    for (const auto& [name, languages] : names) {
      EXPECT_EQ(std::vector<WORD>{kEnglishUk}, languages) << "type " << type << " name " << name;
    }
  }
  auto id = [](LPCSTR type) { return reinterpret_cast<uintptr_t>(type); };
  EXPECT_EQ((std::set<uintptr_t>{id(RT_ICON), id(RT_MENU), id(RT_DIALOG), id(RT_GROUP_ICON), id(RT_VERSION),
                                  id(RT_MANIFEST)}),
            types);
  auto names = [&](LPCSTR type) {
    std::set<std::string> found;
    for (const auto& entry : table[id(type)]) found.insert(entry.first);
    return found;
  };
  EXPECT_EQ((std::set<std::string>{"102", "103", "104"}), names(RT_DIALOG));
  EXPECT_EQ(std::set<std::string>{"MENU"}, names(RT_MENU)) << "resource names are kept upper-cased";
  EXPECT_EQ(std::set<std::string>{"105"}, names(RT_GROUP_ICON));
  EXPECT_EQ(std::set<std::string>{"1"}, names(RT_VERSION));
  EXPECT_EQ(std::set<std::string>{"1"}, names(RT_MANIFEST)) << "the manifest the system reads at start";

  // The icon directory: a header of three words, then one 14-byte entry per image.
  HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(105), RT_GROUP_ICON);
  ASSERT_NE(nullptr, group);
  const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(program, group)));
  ASSERT_EQ(6u + 14u, SizeofResource(program, group)) << "one image";
  WORD count, bitCount, imageId;
  std::memcpy(&count, directory + 4, sizeof count);
  std::memcpy(&bitCount, directory + 6 + 6, sizeof bitCount);
  std::memcpy(&imageId, directory + 6 + 12, sizeof imageId);
  EXPECT_EQ(1, count);
  EXPECT_EQ(32, directory[6]) << "width";
  EXPECT_EQ(32, directory[7]) << "height";
  EXPECT_EQ(16, directory[8]) << "colours";
  EXPECT_EQ(4, bitCount);
  EXPECT_EQ(std::set<std::string>{std::to_string(imageId)}, names(RT_ICON));

  HRSRC image = FindResourceA(program, MAKEINTRESOURCEA(imageId), RT_ICON);
  ASSERT_NE(nullptr, image);
  BITMAPINFOHEADER header;
  ASSERT_GE(SizeofResource(program, image), sizeof header);
  std::memcpy(&header, LockResource(LoadResource(program, image)), sizeof header);
  EXPECT_EQ(32, header.biWidth);
  EXPECT_EQ(64, header.biHeight) << "the colour image and its mask";
  EXPECT_EQ(4, header.biBitCount);
  FreeLibrary(program);
}

}  // namespace
