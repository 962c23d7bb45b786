// The format layer's two reading modes, form by form: what the strict mode
// refuses because it would not lay out again byte for byte, what the lenient
// mode takes because the system reads it, and what both refuse. The bytes
// follow the documented layouts and the system's reading of them (MENUEX
// items after the header's offset, a dialog font of size 0x7FFF with nothing
// after it, creation data stepped over in whole words).

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "package/res/res_reader.h"

namespace {

using package::res::ReadMode;

std::string Words(std::initializer_list<uint16_t> words) {
  std::string out;
  for (uint16_t w : words) out += {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
  return out;
}

std::string Key(const char* ascii) {
  std::string out;
  for (const char* p = ascii; *p; ++p) out += Words({static_cast<uint16_t>(*p)});
  return out + Words({0});
}

// VS_VERSION_INFO with its 52 bytes of fixed information, `tail` inside its length.
std::string Version(const std::string& tail) {
  std::string fixed = Words({0x04BD, 0xFEEF, 0, 1});
  fixed.resize(52, '\0');
  const std::string body = Key("VS_VERSION_INFO") + Words({0}) + fixed + tail;
  return Words({static_cast<uint16_t>(6 + body.size()), 52, 0}) + body;
}

// A DIALOG of one static control whose creation data is `data` after its size word.
std::string OneControl(const std::string& data) {
  return Words({0, 0x8000, 0, 0, 1, 0, 0, 10, 10, 0, 0, 0}) +
         Words({0, 0x5000, 0, 0, 0, 0, 5, 5, 1, 0xFFFF, 0x82, 0}) + data;
}

TEST(PackageResReader, EachFormReadsInTheModesThatTakeIt) {
  const std::string menuItem = Words({0x80, 5, 'A', 0});
  const std::string exItem = Words({0, 0, 0, 0, 9, 0, 0x80, 'A', 0});
  const std::string setFont = Words({0x40, 0x8000, 0, 0, 0, 0, 0, 10, 10, 0, 0, 0});
  const std::string iconLine = Words({0x1010, 0, 1, 32, 0x68, 0, 1});
  const struct {
    const char* form;
    uint16_t type;
    std::string bytes;
    bool strict, lenient;
  } kCases[] = {
      {"MENU", package::kRtMenu, Words({0, 0}) + menuItem, true, true},
      {"MENU with a word after it", package::kRtMenu, Words({0, 0}) + menuItem + Words({0}), false, true},
      {"MENU whose header size is 2", package::kRtMenu, Words({0, 2, 0}) + menuItem, false, false},
      {"MENU whose last item lacks its text", package::kRtMenu, Words({0, 0, 0x80, 5}), false, false},
      {"MENUEX", package::kRtMenu, Words({1, 4, 7, 0}) + exItem, true, true},
      {"MENUEX whose items start 8 bytes on", package::kRtMenu, Words({1, 8, 7, 0, 0, 0}) + exItem, false, true},
      {"MENUEX item with flags it does not know", package::kRtMenu,
       Words({1, 4, 7, 0, 0, 0, 0, 0, 9, 0, 0x82, 'A', 0}), false, true},
      {"DIALOG with the message font's size alone", package::kRtDialog, setFont + Words({0x7FFF}), false, true},
      {"DIALOG with a font", package::kRtDialog, setFont + Words({8}) + Key("Arial"), true, true},
      {"DIALOG whose last control's three bytes of data end it", package::kRtDialog, OneControl(Words({3}) + "abc"),
       true, false},
      {"DIALOG whose control's data is padded", package::kRtDialog, OneControl(Words({3}) + "abc" + '\0'), false,
       true},
      {"DIALOG whose control follows zeros", package::kRtDialog,
       Words({0, 0x8000, 0, 0, 1, 0, 0, 10, 10, 0, 0, 'A', 0, 0}) + OneControl("").substr(24) + Words({0}), true, true},
      {"DIALOG whose control follows padding that is not 0", package::kRtDialog,
       Words({0, 0x8000, 0, 0, 1, 0, 0, 10, 10, 0, 0, 'A', 0, 7}) + OneControl("").substr(24) + Words({0}), false,
       true},
      {"DIALOG promising a control it lacks", package::kRtDialog, Words({0, 0x8000, 0, 0, 1, 0, 0, 10, 10, 0, 0, 0}),
       false, false},
      {"VERSIONINFO", package::kRtVersion, Version(""), true, true},
      {"VERSIONINFO with four stray bytes inside it", package::kRtVersion, Version(Words({0, 0})), false, true},
      {"VERSIONINFO without its signature", package::kRtVersion, Version("").replace(40, 2, Words({0})), false,
       false},
      {"ACCELERATORS", package::kRtAccelerator, Words({0x80, 'A', 1, 0}), true, true},
      {"ACCELERATORS whose padding is not 0", package::kRtAccelerator, Words({0x80, 'A', 1, 7}), false, true},
      {"ACCELERATORS without a last entry", package::kRtAccelerator, Words({0, 'A', 1, 0}), false, false},
      {"STRINGTABLE block", package::kRtString, std::string(32, '\0'), true, true},
      {"STRINGTABLE block of 15 strings", package::kRtString, std::string(30, '\0'), false, false},
      {"GROUP_ICON", package::kRtGroupIcon, Words({0, 1, 1}) + iconLine, true, true},
      {"GROUP_ICON listing two of its one image", package::kRtGroupIcon, Words({0, 1, 2}) + iconLine, false, true},
      {"TOOLBAR", package::kRtToolbar, Words({1, 16, 15, 2, 40, 0}), true, true},
      {"TOOLBAR with a byte after it", package::kRtToolbar, Words({1, 16, 15, 2, 40, 0}) + 'x', false, true},
      {"FONTDIR", package::kRtFontDir, Words({1, 5}) + std::string(113, '\3') + "DEV" + '\0' + "Face" + '\0', true,
       true},
      {"FONTDIR whose face name runs to its end", package::kRtFontDir,
       Words({1, 5}) + std::string(113, '\3') + '\0' + "Face", false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.form);
    package::ResEntry e;
    e.type = package::ResId::Number(c.type);
    e.data.assign(c.bytes.begin(), c.bytes.end());
    std::vector<uint8_t> laid, again;
    std::string error;
    EXPECT_EQ(c.strict, package::res::Relayout(e, laid, error, ReadMode::kStrict)) << error;
    if (c.strict) {
      EXPECT_EQ(e.data, laid);
    }
    error.clear();
    EXPECT_EQ(c.lenient, package::res::Relayout(e, laid, error, ReadMode::kLenient)) << error;
    if (!c.lenient) continue;
    // What the lenient mode reads, laid out, reads to itself.
    e.data = laid;
    EXPECT_TRUE(package::res::Relayout(e, again, error, ReadMode::kLenient) && again == laid) << error;
  }
}

}  // namespace
