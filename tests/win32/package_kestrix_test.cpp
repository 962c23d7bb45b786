// The template application seen from outside, as a person sees a built
// program: started the way the utility starts it, it answers the input-idle
// wait, shows its parameters and lists the resources bound into it; its
// menu bar and accelerators report their commands, and its dialogs open live.

#include "package_kestrix_support.h"

#include "package/kestrix/kestrix_language.h"

namespace {

using namespace kestrix_test;
using package::ResEntry;
using package::ResId;

TEST_F(PackageKestrix, ShowsItsParametersAndTheBoundResources) {
  ResEntry data;
  data.type = ResId::Number(package::kRtRcData);
  data.name = ResId::Number(101);
  data.language = 0x0409;
  data.data.assign(12, 'd');
  ResEntry config;
  config.type = ResId::Text("CONFIG");
  config.name = ResId::Text("SETTINGS");
  config.language = 0x0407;
  config.data.assign(3, 'c');
  Start(BoundCopy({data, config}), "alpha \"beta gamma\"  -x");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"alpha \"beta gamma\"  -x");

  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 4u);
  auto has = [&lines](const std::wstring& line) {
    for (const std::wstring& l : lines) {
      if (l == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(L"type #10 RCDATA, name #101, language 0409, 12 bytes"));
  EXPECT_TRUE(has(L"type CONFIG, name SETTINGS, language 0407, 3 bytes"));
  bool version = false;
  for (const std::wstring& l : lines) version = version || l.rfind(L"type #16 VERSION, name #1, language 0409, ", 0) == 0;
  EXPECT_TRUE(version);

  std::wstring summary;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_SUMMARY, summary));
  bool manifest = false;
  for (const std::wstring& l : lines) manifest = manifest || l.rfind(L"type #24 MANIFEST, name #1, language 0409, ", 0) == 0;
  EXPECT_TRUE(manifest) << "the template's own manifest";
  EXPECT_EQ(summary, L"4 resource(s) bound");
}

TEST_F(PackageKestrix, TheTemplateAloneHasOnlyItsVersionAndManifestAndNoParameters) {
  // The utility's run line always has a blank after ".exe".
  Start(BoundCopy({}), "");

  std::wstring parameters;
  ASSERT_TRUE(ControlText(window_, IDC_KESTRIX_PARAMETERS, parameters));
  EXPECT_EQ(parameters, L"");
  std::vector<std::wstring> lines;
  ASSERT_TRUE(ListLines(window_, lines));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(L"type #16 VERSION, name #1, language 0409, ", 0), 0u) << lines[0].c_str();
  EXPECT_EQ(lines[1].rfind(L"type #24 MANIFEST, name #1, language 0409, ", 0), 0u) << lines[1].c_str();
}

TEST_F(PackageKestrix, AScriptsOwnManifestTakesTheTemplatesPlaceInAnyLanguage) {
  // A program has one manifest of a name: the loader would pick between two by the user's language.
  for (uint16_t language : {0x0409, 0x0407, 0x0000}) {
    SCOPED_TRACE(language);
    ResEntry manifest;
    manifest.type = ResId::Number(24);
    manifest.name = ResId::Number(1);
    manifest.language = language;
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>";
    manifest.data.assign(text.begin(), text.end());
    Start(BoundCopy({manifest}), "");

    std::vector<std::wstring> lines;
    ASSERT_TRUE(ListLines(window_, lines));
    ASSERT_EQ(lines.size(), 2u) << "the script's manifest replaced the template's, not added to it";
    wchar_t expected[80];
    swprintf(expected, 80, L"type #24 MANIFEST, name #1, language %04X, %zu bytes", language, text.size());
    EXPECT_EQ(lines[1], expected);
  }
}

TEST_F(PackageKestrix, ARunningProgramCannotBeOpenedForUpdate) {
  const std::string exe = BoundCopy({});
  Start(exe, "");
  // What the utility's target check sees while a built program runs.
  EXPECT_TRUE(package_test::Opens(exe, "r"));
  EXPECT_FALSE(package_test::Opens(exe, "r+"));
}

TEST_F(KestrixPreview, MenuBarAndAcceleratorsReportTheirCommands) {
  const struct {
    Source source;
    const wchar_t* title;
    UINT command;  // posted as a menu command
    UINT key;      // an accelerator without modifiers
    const wchar_t* commandStatus;
    const wchar_t* keyStatus;
  } kCases[] = {
      {Source::kOurs, L"Stock Keeper", 1001, VK_DELETE, L"Command 1001: &New\tCtrl+N", L"Command 1103: &Delete\tDel"},
      {Source::kWindres, L"First string", 103, VK_F1, L"Command 103: E&xit", L"Command 104: &About"},
      {Source::kMenuEx, L"Extended menu", 501, VK_F2, L"Command 501: &Open\tCtrl+O", L"Command 601: &Index"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.commandStatus);
    Start(BoundCopy(SampleEntries(c.source)), "");
    wchar_t title[128] = L"";
    GetWindowTextW(window_, title, 128);
    EXPECT_STREQ(title, c.title);
    EXPECT_EQ(Status(), L"Ready");
    PostMessageW(window_, WM_COMMAND, c.command, 0);
    EXPECT_TRUE(StatusBecomes(c.commandStatus)) << Status().c_str();
    PostMessageW(Control(IDC_KESTRIX_RESOURCES), WM_KEYDOWN, c.key, 0);
    EXPECT_TRUE(StatusBecomes(c.keyStatus)) << Status().c_str();
  }
}

// A dialog opens live from its row, its command or /dialog, with the
// template's caption and controls, and closes on OK, Cancel or Escape.
TEST_F(KestrixPreview, DialogsOpenLiveAndCloseOnOkCancelOrEscape) {
  const struct {
    Source source;
    const char* parameters;
    const wchar_t* row;  // activated when set
    UINT command;        // posted when set
    const wchar_t* caption;
    std::vector<int> ids;
    int close;  // IDOK, IDCANCEL, or 0 for Escape
  } kCases[] = {
      {Source::kOurs, "", L"type #5 DIALOG, name #100,", 0, L"Stock Item",
       {0xFFFF, 2001, 0xFFFF, 2002, 0xFFFF, 2003, 0xFFFF, 2004, 0xFFFF, 2005, IDOK, IDCANCEL}, 0},
      {Source::kOurs, "", nullptr, 101, L"About Stock Keeper", {0xFFFF, 0xFFFF, IDOK}, IDOK},
      {Source::kOurs, "-x /dialog 100 /unknown", nullptr, 0, L"Stock Item", {}, IDCANCEL},
      {Source::kWindres, "/DIALOG 300", nullptr, 0, L"Extended", {301, 302}, 0},
      {Source::kWindres, "", L"type #5 DIALOG, name #200,", 0, L"Sample dialog",
       {0xFFFF, 201, 202, 203, 204, 205, 206, 207, IDOK, IDCANCEL}, IDCANCEL},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.caption);
    Start(BoundCopy(SampleEntries(c.source)), c.parameters);
    if (c.row) {
      ASSERT_TRUE(Activate(c.row));
    }
    if (c.command) PostMessageW(window_, WM_COMMAND, c.command, 0);
    HWND dialog = WaitForTopLevel("#32770", c.caption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(window_)) << "the preview is modal";
    if (!c.ids.empty()) {
      std::vector<int> ids;
      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(child) & 0xFFFF);
      EXPECT_EQ(ids, c.ids);
    }
    if (c.close)
      PostMessageW(dialog, WM_COMMAND, c.close, 0);
    else
      PostMessageW(GetNextDlgTabItem(dialog, nullptr, FALSE), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(package_test::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
                                        kWindowTimeoutMs));
    EXPECT_TRUE(package_test::WaitUntil([&] { return IsWindowEnabled(window_) != FALSE; }, kWindowTimeoutMs));
  }
}

TEST_F(KestrixPreview, ADialogsOtherCommandsGoToTheStatusBar) {
  Start(BoundCopy(SampleEntries(Source::kOurs)), "/dialog 100");
  HWND dialog = WaitForTopLevel("#32770", L"Stock Item");
  ASSERT_NE(dialog, nullptr);
  PostMessageW(GetDlgItem(dialog, 2005), BM_CLICK, 0, 0);
  EXPECT_TRUE(StatusBecomes(L"DIALOG #100: command 2005, notification 0")) << Status().c_str();
}

// A dialog, menu and accelerator table held in several languages preview in
// the one the system's loader gives this user: neutral, the user's UI
// language, English (United States), any English, then the first; the status
// names it. The resource list still opens each language as it is. (The
// session's user is English (United States): Wine takes the user's languages
// from the Unix locale it starts with, which a program started from here
// inherits unchanged, so the user's own language is tried on the order itself.)
struct Language {
  uint16_t id;
  const char* word;  // the dialog's caption and the menu item's text
};

std::string MultilingualScript(const std::vector<Language>& languages) {
  std::string script;
  for (const Language& l : languages) {
    const std::string word = l.word;
    const std::string id = std::to_string(l.id);
    script += "LANGUAGE " + std::to_string(l.id & 0x3FF) + ", " + std::to_string(l.id >> 10) + "\n" +
              "1 MENU\nBEGIN\n  POPUP \"&File\"\n  BEGIN\n    MENUITEM \"&" + word +
              "\", 1001\n    MENUITEM \"&Item\", 100\n  END\nEND\n" + "1 ACCELERATORS\nBEGIN\n  VK_F2, " +
              std::to_string(20000 + l.id) + ", VIRTKEY\nEND\n" +
              "100 DIALOG 0, 0, 120, 40\nCAPTION \"" + word + "\"\nBEGIN\n  DEFPUSHBUTTON \"OK\", 1, 10, 10, 40, 14\nEND\n";
  }
  return script;
}

TEST_F(KestrixPreview, ADialogMenuAndKeysInSeveralLanguagesShowTheUsersOne) {
  const Language kGerman{0x0407, "Deutsch"}, kEnglish{0x0409, "English"}, kBritish{0x0809, "British"},
      kNeutral{0x0000, "Neutral"}, kFrench{0x040C, "Francais"};
  const struct {
    std::vector<Language> languages;
    Language shown;
    const wchar_t* name;  // of the language shown
  } kCases[] = {
      {{kGerman, kEnglish}, kEnglish, L"English (United States)"},
      {{kGerman, kBritish, kNeutral}, kNeutral, L"neutral"},
      {{kGerman, kBritish}, kBritish, L"English (United Kingdom)"},
      {{kGerman, kFrench}, kGerman, L"German (Germany)"},
  };
  for (const auto& c : kCases) {
    const std::wstring word(c.shown.word, c.shown.word + strlen(c.shown.word));
    wchar_t shown[160];
    swprintf(shown, 160, L" in language %04X (%ls; %zu languages)", c.shown.id, c.name, c.languages.size());
    SCOPED_TRACE(shown);
    const std::string exe = BoundCopy(CompiledEntries(MultilingualScript(c.languages)));

    Start(exe, "");
    EXPECT_TRUE(StatusBecomes(L"MENU #1" + (shown + (L"; ACCELERATOR #1" + std::wstring(shown))))) << Status().c_str();
    PostMessageW(window_, WM_COMMAND, 1001, 0);
    EXPECT_TRUE(StatusBecomes(L"Command 1001: &" + word)) << Status().c_str();
    PostMessageW(Control(IDC_KESTRIX_RESOURCES), WM_KEYDOWN, VK_F2, 0);
    EXPECT_TRUE(StatusBecomes(L"Command " + std::to_wstring(20000 + c.shown.id))) << Status().c_str();
    // The dialog from its command, then each language's from its row.
    PostMessageW(window_, WM_COMMAND, 100, 0);
    std::vector<std::pair<Language, std::wstring>> opened = {{c.shown, L""}};
    for (const Language& l : c.languages) {
      wchar_t row[64];
      swprintf(row, 64, L"type #5 DIALOG, name #100, language %04X,", l.id);
      opened.push_back({l, row});
    }
    for (const auto& o : opened) {
      if (!o.second.empty()) {
        ASSERT_TRUE(Activate(o.second));
      }
      const std::wstring caption(o.first.word, o.first.word + strlen(o.first.word));
      HWND dialog = WaitForTopLevel("#32770", caption.c_str());
      ASSERT_NE(dialog, nullptr) << Status().c_str();
      wchar_t status[64];
      swprintf(status, 64, L"DIALOG #100 in language %04X (", o.first.id);
      EXPECT_TRUE(package_test::WaitUntil([&] { return Status().rfind(status, 0) == 0; }, kWindowTimeoutMs))
          << Status().c_str();
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      ASSERT_TRUE(package_test::WaitUntil([&] { return IsWindowEnabled(window_) != FALSE; }, kWindowTimeoutMs));
    }

    Start(exe, "/dialog 100");
    ASSERT_NE(WaitForTopLevel("#32770", word.c_str()), nullptr) << Status().c_str();
    EXPECT_TRUE(StatusBecomes(L"DIALOG #100" + std::wstring(shown))) << Status().c_str();
  }
}

// The order itself, for a user whose language is not English.
TEST(PackageKestrixLanguage, TheLoadersOrderPutsTheUsersLanguageAfterNeutralAndBeforeEnglish) {
  const struct {
    std::vector<uint16_t> languages;
    uint16_t user;
    std::vector<size_t> order;
  } kCases[] = {
      {{0x040C, 0x0809, 0x0407, 0x0409, 0x0000}, 0x0407, {4, 2, 3, 1, 0}},
      {{0x0809, 0x0C07, 0x0410}, 0x0407, {0, 1, 2}},  // German (Austria) is not the user's German (Germany)
      {{0x0410, 0x040C}, 0x0407, {0, 1}},
      {{}, 0x0407, {}},
  };
  for (const auto& c : kCases) EXPECT_EQ(kestrix::LanguagePreference(c.languages, c.user), c.order);
}

// Strings, version records, accelerators and raw data open as read-only text.
}  // namespace
