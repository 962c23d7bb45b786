// What a built program previews besides its menu and dialogs: strings,
// version records, accelerators and raw data as text, images drawn, and
// broken resources as a status line while the program keeps running.

#include "package_kestrix_support.h"

namespace {

using namespace kestrix_test;
using package::ResEntry;
using package::ResId;

TEST_F(KestrixPreview, TextViewsShowStringsVersionKeysAndBytes) {
  const struct {
    Source source;
    const wchar_t* row;
    const wchar_t* title;
    std::vector<std::wstring> lines;
  } kCases[] = {
      {Source::kOurs, L"type #6 STRING, name #1,", L"STRING #1", {L"1: Stock Keeper", L"3: %d item(s) in stock"}},
      {Source::kOurs, L"type #6 STRING, name #2,", L"STRING #2", {L"16: Delete the selected item?"}},
      {Source::kWindres, L"type #6 STRING, name #1, language 0409", L"STRING #1", {L"2: Second\\tstring"}},
      {Source::kWindres, L"type #16 VERSION", L"VERSION #1",
       {L"FILEVERSION 2.1.0.7", L"PRODUCTVERSION 2.1.0.0", L"StringFileInfo\\040904B0\\CompanyName = VORN",
        L"VarFileInfo\\Translation = 0409 04B0"}},
      {Source::kOurs, L"type #9 ACCELERATOR", L"ACCELERATOR #1",
       {L"Ctrl+N: command 1001", L"Ins: command 100", L"Enter: command 1102"}},
      {Source::kWindres, L"type #9 ACCELERATOR", L"ACCELERATOR IDR_KEYS",
       {L"Ctrl+O: command 101", L"F1: command 104", L"Alt+\"a\": command 102"}},
      {Source::kWindres, L"type #10 RCDATA, name #400", L"RCDATA #400", {L"00000000  6F 64 64 01 00 34 12 70 11 01 00"}},
      {Source::kWindres, L"type CONFIG", L"CONFIG SETTINGS", {L"  key=value."}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.title);
    Start(BoundCopy(SampleEntries(c.source)), "");
    ASSERT_TRUE(Activate(c.row));
    HWND view = WaitForTopLevel(KESTRIX_TEXT_VIEW_CLASS, c.title);
    ASSERT_NE(view, nullptr) << Status().c_str();
    std::wstring text;
    ASSERT_TRUE(ControlText(view, IDC_KESTRIX_VIEW_TEXT, text));
    for (const std::wstring& line : c.lines) EXPECT_NE(text.find(line), std::wstring::npos) << text.c_str();
    EXPECT_EQ(GetWindowLongW(GetDlgItem(view, IDC_KESTRIX_VIEW_TEXT), GWL_STYLE) & ES_READONLY, ES_READONLY);
  }
}

// A device-independent bitmap: header, then `pixelBytes` bytes of pixels (and mask).
std::string Dib(int32_t width, int32_t height, uint16_t bpp, size_t pixelBytes) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bpp;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  return bytes + std::string(pixelBytes, '\x7f');
}

std::string Words(std::initializer_list<uint16_t> words) {
  std::string bytes;
  for (uint16_t w : words) bytes += std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
  return bytes;
}

TEST_F(KestrixPreview, ImagesAreDrawnInTheirOwnWindow) {
  using package_test::Entry;
  const std::string icon = Dib(2, 4, 32, 2 * 2 * 4 + 2 * 4);  // colour rows, then the mask's
  const std::vector<ResEntry> entries = {
      Entry(ResId::Number(2), ResId::Number(1), Dib(2, 2, 24, 2 * 8)),
      Entry(ResId::Number(3), ResId::Number(1), icon),
      // A group of one: its entry's last field is the image's id.
      Entry(ResId::Number(14), ResId::Number(5),
            Words({0, 1, 1, 0x0202, 0, 1, 32, static_cast<uint16_t>(icon.size()), 0, 1})),
      Entry(ResId::Number(1), ResId::Number(2), Words({1, 1}) + icon),
  };
  const struct {
    const wchar_t* row;
    const wchar_t* title;
    const wchar_t* status;
  } kCases[] = {
      {L"type #2 BITMAP", L"BITMAP #1", L"BITMAP #1: 2 x 2, 24 bits per pixel"},
      {L"type #3 ICON", L"ICON #1", L"ICON #1: 2 x 2, 32 bits per pixel"},
      {L"type #14 GROUP_ICON", L"GROUP_ICON #5", L"GROUP_ICON #5: 2 x 2, 32 bits per pixel"},
      {L"type #1 CURSOR", L"CURSOR #2", L"CURSOR #2: 2 x 2, 32 bits per pixel"},
  };
  Start(BoundCopy(entries), "");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.title);
    ASSERT_TRUE(Activate(c.row));
    EXPECT_TRUE(StatusBecomes(c.status)) << Status().c_str();
    EXPECT_NE(WaitForTopLevel(KESTRIX_IMAGE_VIEW_CLASS, c.title), nullptr);
  }
}

// A resource the system would refuse, or that is not there, gives a status
// line naming it and the reason; the program keeps running.
TEST_F(KestrixPreview, BrokenResourcesGiveAStatusLineAndTheProgramRuns) {
  using package_test::Entry;
  const std::string headerOnly = Words({0, 0x80C8, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0});  // three controls promised
  const struct {
    std::vector<ResEntry> entries;
    const char* parameters;
    const wchar_t* row;  // activated when set
    const wchar_t* status;
  } kCases[] = {
      {{Entry(ResId::Number(5), ResId::Number(7), "\x01\x02\x03")}, "", L"type #5 DIALOG, name #7,",
       L"DIALOG #7: the dialog template is malformed (its header runs past its end)"},
      {{Entry(ResId::Number(5), ResId::Number(10), headerOnly)}, "/dialog 10", nullptr,
       L"DIALOG #10: the dialog template is malformed (control 1 runs past its end)"},
      {CompiledEntries("8 DIALOG 0, 0, 100, 50\nBEGIN\n  CONTROL \"x\", 1, \"NoSuchClass\", 0, 0, 0, 10, 10\nEND\n"),
       "/dialog 8", nullptr, L"DIALOG #8: shown with placeholders for NoSuchClass"},
      {CompiledEntries("9 DIALOG 0, 0, 100, 50\nMENU 77\nBEGIN\nEND\n"), "", L"type #5 DIALOG, name #9,",
       L"DIALOG #9: its menu #77 is missing"},
      {{Entry(ResId::Number(4), ResId::Number(1), Words({0, 0, MF_POPUP, 'F'}))}, "", nullptr,
       L"MENU #1: the menu template is malformed (an item runs past its end)"},
      {{}, "-q /menu 5 /dialog", nullptr, L"MENU #5: no such menu; /dialog needs a resource id"},
      {{}, "/dialog 999", nullptr, L"DIALOG #999: no such dialog"},
      {{Entry(ResId::Number(9), ResId::Number(1), "\x01\x00\x4E")}, "", nullptr,
       L"ACCELERATOR #1: the accelerator table is empty"},
      {{Entry(ResId::Number(6), ResId::Number(1), Words({5, 'A'}))}, "", L"type #6 STRING",
       L"STRING #1: the string block is malformed"},
      {{Entry(ResId::Number(16), ResId::Number(2), Words({16}))}, "", L"type #16 VERSION, name #2",
       L"VERSION #2: the version record is malformed"},
      {{Entry(ResId::Number(2), ResId::Number(3), Dib(64, 64, 8, 10))}, "", L"type #2 BITMAP",
       L"BITMAP #3: the image's pixels run past its end"},
      {{Entry(ResId::Number(2), ResId::Number(4), Dib(2, INT32_MIN, 24, 16))}, "", L"type #2 BITMAP",
       L"BITMAP #4: the image has an impossible size"},
      // A menu without a table of its own is not blamed for another table's fault.
      {{Entry(ResId::Number(4), ResId::Number(2), Words({0, 0, MF_END, 7, 'G', 0})),
        Entry(ResId::Number(9), ResId::Number(1), "\x01\x00\x4E")},
       "", L"type #4 MENU", L"MENU #2 is the menu bar"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.status);
    Start(BoundCopy(c.entries), c.parameters);
    if (c.row) {
      ASSERT_TRUE(Activate(c.row));
    }
    EXPECT_TRUE(StatusBecomes(c.status)) << Status().c_str();
    EXPECT_TRUE(StillRuns());
  }
}

}  // namespace
