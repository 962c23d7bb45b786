// Fuzzes the configuration load, script selection and validation, and the save,
// against the recording double. The input decides every INI value, which tools
// and scripts exist, and what the open dialog answers. After each step the
// state must hold together: every text field terminated within its capacity,
// the delay and the parameters within their bounds, the compile button agreeing
// with an independent reading of the path, and the pieces describing the script
// whenever it was accepted.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "build/run.h"
#include "config/configuration.h"
#include "platform/double/platform_double.h"
#include "project/script.h"
#include "resources/resource_ids.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr const char* kIni = "MivoCompile.ini";
const char* const kKeys[] = {"DebugMode", "MivoKestrix", "Sarvex",  "BRC32",
                             "LastFile",  "RunMode",     "RunDelay", "CommandLine"};

template <size_t N>
bool Terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

void CheckFields() {
  FUZZ_CHECK(Terminated(state.rcFilePath));
  FUZZ_CHECK(Terminated(state.rcFileTitle));
  FUZZ_CHECK(Terminated(state.projectDir));
  FUZZ_CHECK(Terminated(state.rcFileName));
  FUZZ_CHECK(Terminated(state.baseName));
  FUZZ_CHECK(Terminated(state.fileType));
  FUZZ_CHECK(Terminated(state.runParameters));
  FUZZ_CHECK(Terminated(state.templatePath));
  FUZZ_CHECK(Terminated(state.checkerPath));
  FUZZ_CHECK(Terminated(state.brcPath));
  FUZZ_CHECK(Terminated(state.iniFileName));
  FUZZ_CHECK(Terminated(state.workBuffer));
  FUZZ_CHECK(state.runDelaySeconds >= 0 && state.runDelaySeconds <= kRunDelayCapSeconds);
  FUZZ_CHECK(std::strlen(state.runParameters) <= kRunParametersReadCapacity - 1);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Whether the file name's part before its first '.' or ':' is a reserved device name.
bool NamesDevice(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
  stem = Upper(stem.substr(0, stem.find_first_of(".:")));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$")
    return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// Whether the path should be accepted, read straight from the rules rather
// than from the validation code.
bool ShouldAccept(const std::string& path) {
  if (NamesDevice(path) || path.find('%') != std::string::npos) return false;
  if (!fake::HasFile(path) || path.find(' ') != std::string::npos) return false;
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash == 0) return false;
  std::string name = path.substr(slash + 1);
  if (name.size() > kNameCapacity - 1) return false;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  if (slash + 1 + dot + kLongestProjectSuffix > kPathCapacity - 1) return false;
  return Upper(name.substr(dot + 1)) == "RC";
}

fake::Control& PanelControl(int id) { return fake::Find(state.mainPanel)->controls[id]; }

// After AdoptResourceScript: the buttons, the pieces and the armed template copy.
void CheckAdoption() {
  CheckFields();
  FUZZ_CHECK(state.templateCopyPending);
  std::string path = state.rcFilePath;
  bool accepted = PanelControl(IDC_COMPILE).enabled;
  FUZZ_CHECK(accepted == ShouldAccept(path));
  FUZZ_CHECK(PanelControl(IDC_RC_PATH).text == path);

  std::string exe = std::string(state.projectDir) + state.baseName + ".exe";
  bool exeShown = exe.size() < kPathCapacity && fake::HasFile(exe);
  FUZZ_CHECK(PanelControl(IDC_RUN_EXE).enabled == exeShown);

  if (!accepted) return;
  // projectDir + baseName + "." + the type as written gives the path back.
  std::string dir = state.projectDir, base = state.baseName;
  FUZZ_CHECK(!dir.empty() && dir.back() == '\\');
  FUZZ_CHECK(path.compare(0, dir.size() + base.size() + 1, dir + base + ".") == 0);
  std::string typeAsWritten = path.substr(dir.size() + base.size() + 1);
  FUZZ_CHECK(Upper(typeAsWritten) == state.fileType);
  FUZZ_CHECK(std::string(state.fileType) == "RC");
  FUZZ_CHECK(std::string(state.rcFileName) == base + "." + typeAsWritten);
  FUZZ_CHECK(dir.size() + base.size() + kLongestProjectSuffix < kPathCapacity);
}

// A path for LastFile or the open dialog: raw bytes, or one built from a
// directory, a name and a type, steered towards the bounds on names and on
// projectDir + baseName + the longest suffix.
std::string MakePath(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 3) == 0) return input.ConsumeRandomLengthString(kPathCapacity + 64);
  static const char* const kPrefixes[] = {"C:\\", "\\", "", "C:/", "D:\\a.b\\", "C:\\my dir\\"};
  static const char* const kTypes[] = {".rc", ".RC", ".rc2", "", ".", ".Rc", ".rc.txt"};
  std::string base = input.ConsumeRandomLengthString(12);
  std::string type = input.PickValueInArray(kTypes);
  if (input.ConsumeBool()) {
    size_t nameLength = input.ConsumeIntegralInRange<size_t>(kNameCapacity - 3, kNameCapacity + 2);
    if (base.size() + type.size() < nameLength) base.append(nameLength - base.size() - type.size(), 'n');
  }
  std::string dir = input.PickValueInArray(kPrefixes);
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      dir += input.ConsumeRandomLengthString(16);
      break;
    case 1: {
      size_t edge = kPathCapacity - 1 - kLongestProjectSuffix - base.size();  // longest directory
      size_t length = edge + input.ConsumeIntegralInRange<size_t>(0, 4) - 2;
      if (length > dir.size() + 1) dir.append(length - dir.size() - 1, 'd');
      dir += "\\";
      break;
    }
    default:
      dir.append(input.ConsumeIntegralInRange<size_t>(0, kPathCapacity), 'd');
      break;
  }
  if (input.ConsumeBool()) dir += "\\";
  return dir + base + type;
}

// A setting's text: raw bytes, one of the values the loader tells apart, a
// decimal number with blanks and a tail, or a long run for CommandLine.
std::string MakeValue(FuzzedDataProvider& input) {
  static const char* const kChosen[] = {"1", " 1 ", "\"1\"", "0", "01", "", "!!!", "None", "true"};
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return input.ConsumeRandomLengthString(1100);
    case 1:
      return input.PickValueInArray(kChosen);
    case 2: {
      int64_t number = input.ConsumeBool() ? input.ConsumeIntegralInRange<int64_t>(-700, 700)
                                           : input.ConsumeIntegral<int64_t>();
      std::string blanks(input.ConsumeIntegralInRange(0, 2), ' ');
      return blanks + std::to_string(number) + input.ConsumeRandomLengthString(4);
    }
    default:
      return std::string(input.ConsumeIntegralInRange<size_t>(0, 600), 'p');
  }
}

bool IniText(const char* key, std::string* value) {
  return fake::ProfileValue(kIni, std::string(kConfigSection) + "/" + key, value);
}

// The path the utility will find for a key once the profile services have read it.
std::string Resolved(const char* key, const char* fallback) {
  char value[kPathCapacity];
  platform::GetProfileString(kConfigSection, key, fallback, value, sizeof value, kIni);
  return value;
}

void StartWindows() {
  state.mainWindow = platform::CreateMainWindow(nullptr, kClassName, "", kMainWindowStyle, 0, 0,
                                                kMainWindowWidth, kMainWindowHeight);
  CreateMainPanel();
  PrepareStartup();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::Reset();
  ResetUtilityState();
  FuzzedDataProvider input(data, size);

  // The INI file: each key absent or holding arbitrary text; LastFile (4) a
  // path, the tool keys (1 to 3) a path or any text.
  for (int key = 0; key < 8; ++key) {
    if (!input.ConsumeBool()) continue;
    bool isPath = key == 4 || (key >= 1 && key <= 3 && input.ConsumeBool());
    fake::SetProfile(kIni, std::string(kConfigSection) + "/" + kKeys[key],
                     isPath ? MakePath(input) : MakeValue(input));
  }
  const char* const defaults[] = {kDefaultTemplatePath, kDefaultCheckerPath, kDefaultBrcPath};
  for (int i = 0; i < 3; ++i)
    if (input.ConsumeBool()) fake::AddFile(Resolved(kKeys[1 + i], defaults[i]));
  std::string lastFile = Resolved("LastFile", "!!!");
  if (input.ConsumeBool()) fake::AddFile(lastFile);

  StartWindows();
  LoadConfiguration();
  CheckFields();
  int missingTools = !fake::HasFile(state.templatePath) + !fake::HasFile(state.checkerPath) +
                     !fake::HasFile(state.brcPath);
  FUZZ_CHECK(fake::world().messageBoxes.size() == size_t(missingTools + (missingTools > 0)));
  FUZZ_CHECK(fake::world().quitPosted == (missingTools > 0));
  // A device name is adopted without being opened, so that its refusal is traced.
  if (lastFile != "!!!" && lastFile != "None" && (fake::HasFile(lastFile) || NamesDevice(lastFile)))
    CheckAdoption();
  else FUZZ_CHECK(!state.templateCopyPending && !PanelControl(IDC_COMPILE).enabled);
  std::string toolsAfterLoad[3];
  for (int i = 0; i < 3; ++i) FUZZ_CHECK(IniText(kKeys[1 + i], &toolsAfterLoad[i]));

  // A few visits to the open dialog, each answered or failed.
  for (int round = input.ConsumeIntegralInRange(0, 3); round > 0; --round) {
    std::string answer = MakePath(input);
    bool succeeds = input.ConsumeBool();
    fake::world().dialogError = input.ConsumeIntegral<uint16_t>();
    if (input.ConsumeBool()) fake::AddFile(answer);
    if (input.ConsumeBool()) {
      size_t slash = answer.rfind('\\');
      size_t dot = answer.rfind('.');
      if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        fake::AddFile(answer.substr(0, dot) + ".exe");
    }
    fake::world().onOpenDialog = [&answer, succeeds](platform::OpenFileRecord& record) {
      CopyText(record.file, record.maxFile, answer.c_str());
      return succeeds;
    };
    std::string before = state.rcFilePath;
    state.templateCopyPending = false;
    SelectResourceScript();
    if (succeeds) {
      CheckAdoption();
    } else {
      CheckFields();
      FUZZ_CHECK(before == state.rcFilePath);
      FUZZ_CHECK(!state.templateCopyPending);
    }
  }

  SaveConfiguration();
  CheckFields();
  FUZZ_CHECK(std::strlen(state.rcFilePath) >= 4);
  std::string saved;
  FUZZ_CHECK(IniText("LastFile", &saved));
  FUZZ_CHECK(saved == state.rcFilePath);
  FUZZ_CHECK(IniText("CommandLine", &saved));
  FUZZ_CHECK(saved == state.runParameters);
  for (int i = 0; i < 3; ++i) {
    FUZZ_CHECK(IniText(kKeys[1 + i], &saved));
    FUZZ_CHECK(saved == toolsAfterLoad[i]);
  }
  FUZZ_CHECK(fake::world().quitPosted);
  return 0;
}
