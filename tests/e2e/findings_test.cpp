// A faulty script built through the utility, as a person would: the build
// fails at the compile step with the utility's box, the utility ends after
// OK, and the checker's findings window is left showing the fault's line.
// "Open Script" starts the editor on the script; "Close" ends the checker.

#include "tests/e2e/build_fixture.h"

#include "package/sarvex/sarvex_ids.h"

namespace e2e {
namespace {

constexpr char kResFailed[] = "RC File to RES File Conversion Failed \nConversion will be aborted";
// The editor's window under Wine.
constexpr char kEditorClass[] = "Notepad";

// kScript with the comma after the OK button's text left out, on line 13.
std::string ScriptWithDialogTypo() {
  std::string script = kScript;
  const std::string button = "DEFPUSHBUTTON \"OK\",";
  script.replace(script.find(button), button.size(), "DEFPUSHBUTTON \"OK\"");
  return script;
}

HWND FindAnyTopLevel(const char* className) {
  HWND found = FindWindowA(className, nullptr);
  return found && IsWindowVisible(found) ? found : nullptr;
}

// Ends the process of a window: asked first, then made to.
void EndProcessOf(HWND window) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window));
  PostClose(window);
  if (!process) return;
  if (WaitForSingleObject(process, ToDword(DefaultTimeout())) != WAIT_OBJECT_0) TerminateProcess(process, 0xDEAD);
  CloseHandle(process);
}

class FindingsTest : public BuildTest {};

TEST_F(FindingsTest, AFaultInADialogIsShownAtItsLineAfterTheFailedBuild) {
  Project project;
  project.script = ScriptWithDialogTypo();
  ASSERT_TRUE(StartWith(project));
  ASSERT_TRUE(CompileFailsWith(kBuildFailedCaption, kResFailed));
  EXPECT_TRUE(UtilityEnds());

  HWND findings = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (findings = FindAnyTopLevel(SARVEX_FINDINGS_CLASS)) != nullptr; }))
      << "no findings window after the failed build";
  EXPECT_FALSE(IsIconic(findings)) << "launched minimised, it must show restored";
  EXPECT_EQ("menu.rc - 1 error(s), 0 warning(s)", Text(findings));
  const std::vector<std::string> rows = ListLines(GetDlgItem(findings, IDC_FINDINGS_LIST));
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ(0u, rows[0].find(ProjectFile(".rc") + "(13,")) << rows[0];

  HANDLE checker = OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(findings));
  ASSERT_NE(nullptr, checker);
  ASSERT_TRUE(Click(GetDlgItem(findings, IDC_FINDINGS_OPEN)));
  HWND editor = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (editor = FindAnyTopLevel(kEditorClass)) != nullptr; })) << "no editor";
  if (editor) {
    EXPECT_NE(std::string::npos, Text(editor).find("menu.rc")) << Text(editor);
    EndProcessOf(editor);
  }

  ASSERT_TRUE(Click(GetDlgItem(findings, IDCANCEL)));
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(checker, ToDword(DefaultTimeout())))
      << "Close did not end the checker";
  CloseHandle(checker);
  EXPECT_EQ(nullptr, FindAnyTopLevel(SARVEX_FINDINGS_CLASS));
  EXPECT_EQ(nullptr, FindAnyTopLevel(kEditorClass));
}

}  // namespace
}  // namespace e2e
