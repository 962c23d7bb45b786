#include "platform/double/platform_double.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace fake {
namespace {

World* current = nullptr;

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

struct TemplateControl {
  int id;
  const char* text;
  bool enabled;
  bool isEdit;
};

// The controls each template starts with, as the resource script defines them.
std::vector<TemplateControl> TemplateControls(int templateId) {
  switch (templateId) {
    case 103:
      return {{1007, "Select RC File", true, false},       {1000, "Mivo Compile", false, false},
              {1001, "Compile and Run", true, false},      {1008, "", true, true},
              {1002, "Run exe...", false, false},          {1010, "", true, true},
              {-1, "Command Line Parameters", true, false}};
    case 104: return {{1009, "", true, false}};
    case 102:
      return {{1002, "Static", true, false},
              {1004, "Static", true, false},
              {1003, "Static", true, false},
              {1005, "Static", true, false},
              {1, "OK", true, false}};
    default: return {};
  }
}

Control* FindControl(platform::Window dialog, int id) {
  Window* window = Find(dialog);
  if (window == nullptr || window->destroyed) return nullptr;
  return &window->controls[id];
}

platform::Window NewWindow(int templateId, platform::Window parent, platform::Procedure procedure) {
  auto window = std::make_unique<Window>();
  window->templateId = templateId;
  window->parent = parent;
  window->procedure = procedure;
  window->visible = true;
  for (const TemplateControl& c : TemplateControls(templateId)) {
    Control& control = window->controls[c.id];
    control.text = c.text;
    control.enabled = c.enabled;
    control.isEdit = c.isEdit;
  }
  world().windows.push_back(std::move(window));
  return world().windows.back().get();
}

}  // namespace

World& world() {
  if (current == nullptr) current = new World();
  return *current;
}

void Reset() {
  delete current;
  current = new World();
}

Window* Find(platform::Window handle) {
  for (auto& window : world().windows)
    if (window.get() == handle) return window.get();
  return nullptr;
}

Window* FindByTemplate(int templateId) {
  auto& windows = world().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if ((*it)->templateId == templateId) return it->get();
  return nullptr;
}

Window* MainWindow() { return FindByTemplate(0); }

void AddFile(const std::string& path, const std::string& content) {
  world().files[Folded(path)] = File{content};
}

File* FindFile(const std::string& path) {
  auto it = world().files.find(Folded(path));
  return it == world().files.end() ? nullptr : &it->second;
}

bool HasFile(const std::string& path) { return FindFile(path) != nullptr; }

void RemoveFile(const std::string& path) { world().files.erase(Folded(path)); }

std::vector<std::string> ProfileLines(const std::string& file) {
  std::vector<std::string> lines;
  for (auto& [key, value] : world().profiles[Folded(file)]) lines.push_back(key + "=" + value);
  return lines;
}

void SetProfile(const std::string& file, const std::string& key, const std::string& value) {
  auto& keys = world().profiles[Folded(file)];
  for (auto& entry : keys) {
    if (Folded(entry.first) == Folded(key)) {
      entry.second = value;
      return;
    }
  }
  keys.emplace_back(key, value);
}

bool ProfileValue(const std::string& file, const std::string& key, std::string* value) {
  for (auto& entry : world().profiles[Folded(file)]) {
    if (Folded(entry.first) == Folded(key)) {
      *value = entry.second;
      return true;
    }
  }
  return false;
}

intptr_t SendCommand(platform::Window dialog, int id, int notification) {
  Window* window = Find(dialog);
  if (window == nullptr || window->procedure == nullptr) return 0;
  uintptr_t wParam = (static_cast<uintptr_t>(notification) << 16) | static_cast<uint16_t>(id);
  return window->procedure(dialog, platform::Message::Command, wParam, 0);
}

void DeliverPosted() {
  // A handler may post again; those messages wait for the next delivery.
  std::vector<platform::Window> queued;
  queued.swap(world().posted);
  for (platform::Window handle : queued) {
    Window* window = Find(handle);
    // Windows drops the messages of a window that is gone.
    if (window == nullptr || window->destroyed || window->procedure == nullptr) continue;
    window->procedure(handle, platform::Message::Private, 0, 0);
  }
}

}  // namespace fake

namespace platform {

using fake::world;

unsigned OpenFileRecordSize() { return sizeof(OpenFileRecord); }

unsigned GetProfileString(const char* section, const char* key, const char* defaultValue, char* out,
                          unsigned capacity, const char* file) {
  world().events.push_back(std::string("GetProfileString ") + key);
  std::string value = defaultValue;
  std::string found;
  if (fake::ProfileValue(file, std::string(section) + "/" + key, &found)) {
    // The services trim blanks round a value, then one pair of enclosing quotes.
    size_t first = found.find_first_not_of(" \t");
    size_t last = found.find_last_not_of(" \t");
    value = first == std::string::npos ? "" : found.substr(first, last - first + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
  }
  if (capacity == 0) return 0;
  size_t length = std::min<size_t>(value.size(), capacity - 1);
  std::memcpy(out, value.data(), length);
  out[length] = '\0';
  return static_cast<unsigned>(length);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* file) {
  world().events.push_back(std::string("WriteProfileString ") + key + "=" + value);
  fake::SetProfile(file, std::string(section) + "/" + key, value);
  return true;
}

bool OpenAndClose(const char* path, const char* mode) {
  fake::File* file = fake::FindFile(path);
  if (file == nullptr) return false;
  if (std::strchr(mode, '+') != nullptr || std::strchr(mode, 'w') != nullptr)
    return !file->readOnly && !file->locked;
  return true;
}

bool FileExists(const char* path) { return fake::HasFile(path); }

bool CopyFile(const char* from, const char* to, bool failIfExists) {
  world().events.push_back(std::string("CopyFile ") + from + " -> " + to);
  fake::File* source = fake::FindFile(from);
  if (source == nullptr) return false;
  if (fake::File* target = fake::FindFile(to)) {
    if (failIfExists || target->readOnly || target->locked) return false;
  }
  std::string content = source->content;
  fake::AddFile(to, content);
  return true;
}

bool DeleteFile(const char* path) {
  world().events.push_back(std::string("DeleteFile ") + path);
  fake::File* file = fake::FindFile(path);
  if (file == nullptr || file->locked || file->readOnly) return false;
  fake::RemoveFile(path);
  return true;
}

unsigned GetCurrentDirectory(unsigned capacity, char* out) {
  world().events.push_back("GetCurrentDirectory");
  const std::string& directory = world().currentDirectory;
  if (directory.size() + 1 > capacity) return static_cast<unsigned>(directory.size() + 1);
  std::memcpy(out, directory.c_str(), directory.size() + 1);
  return static_cast<unsigned>(directory.size());
}

bool CreateProcess(char* commandLine, int showMode, unsigned creationFlags, unsigned idleWaitMs) {
  fake::ProcessCall call{commandLine, showMode, creationFlags, idleWaitMs, world().clockMs};
  world().processes.push_back(call);
  world().events.push_back(std::string("CreateProcess ") + commandLine);
  return world().onCreateProcess ? world().onCreateProcess(call) : true;
}

int RunCommandInterpreter(const char* commandLine) {
  world().commands.push_back(commandLine);
  world().events.push_back(std::string("RunCommand ") + commandLine);
  if (world().onRunCommand) world().onRunCommand(commandLine);
  return 0;
}

void Sleep(unsigned milliseconds) {
  world().sleeps.push_back(milliseconds);
  world().clockMs += milliseconds;
  if (world().onSleep) world().onSleep(world().clockMs);
}

LocalTime GetLocalTime() { return world().localTime; }

bool RegisterMainClass(Instance, const char* className, Procedure procedure, int iconId,
                       const char* menuName) {
  world().events.push_back(std::string("RegisterMainClass ") + className + " icon " +
                           std::to_string(iconId) + " menu " + menuName);
  world().mainProcedure = procedure;
  return !world().registrationFails;
}

Window CreateMainWindow(Instance, const char* className, const char* title, unsigned style, int x,
                        int y, int width, int height) {
  world().events.push_back(std::string("CreateMainWindow ") + className + " style " +
                           std::to_string(style) + " at " + std::to_string(x) + "," +
                           std::to_string(y) + " " + std::to_string(width) + "x" +
                           std::to_string(height));
  if (world().registrationFails) return nullptr;
  auto window = std::make_unique<fake::Window>();
  window->title = title;
  window->procedure = world().mainProcedure;
  window->width = width;
  window->height = height;
  world().windows.push_back(std::move(window));
  return world().windows.back().get();
}

void SetWindowSize(Window window, int width, int height) {
  world().events.push_back("SetWindowSize " + std::to_string(width) + "x" + std::to_string(height));
  if (fake::Window* w = fake::Find(window)) {
    w->width = width;
    w->height = height;
  }
}

BaseUnits DialogBaseUnits(Window dialog) {
  return fake::Find(dialog) != nullptr ? world().dialogBaseUnits : BaseUnits{0, 0};
}

void ShowWindow(Window window, int showCommand) {
  world().events.push_back("ShowWindow " + std::to_string(showCommand));
  if (fake::Window* w = fake::Find(window)) {
    w->showCommand = showCommand;
    w->visible = true;
  }
}

void SetWindowText(Window window, const char* text) {
  world().events.push_back(std::string("SetWindowText ") + text);
  if (fake::Window* w = fake::Find(window)) w->title = text;
}

Window CreateModelessDialog(int templateId, Window parent, Procedure procedure) {
  world().events.push_back("CreateModelessDialog " + std::to_string(templateId));
  Window dialog = fake::NewWindow(templateId, parent, procedure);
  procedure(dialog, Message::Init, 0, 0);
  return dialog;
}

intptr_t RunModalDialog(int templateId, Window owner, Procedure procedure) {
  world().events.push_back("RunModalDialog " + std::to_string(templateId));
  Window dialog = fake::NewWindow(templateId, owner, procedure);
  fake::Find(dialog)->modal = true;
  procedure(dialog, Message::Init, 0, 0);
  fake::DeliverPosted();  // the dialog's own loop runs
  if (world().onModalDialog) world().onModalDialog(dialog);
  fake::Window* window = fake::Find(dialog);
  window->visible = false;
  window->destroyed = true;
  return window->endResult;
}

void EndDialog(Window dialog, intptr_t result) {
  if (fake::Window* w = fake::Find(dialog)) {
    w->ended = true;
    w->endResult = result;
    w->visible = false;
  }
}

void DestroyWindow(Window window) {
  world().events.push_back("DestroyWindow");
  if (fake::Window* w = fake::Find(window)) {
    w->destroyed = true;
    w->visible = false;
  }
}

void SendCloseRequest(Window window) {
  world().events.push_back("SendCloseRequest");
  fake::Window* w = fake::Find(window);
  if (w != nullptr && w->procedure != nullptr && !w->destroyed)
    w->procedure(window, Message::Close, 0, 0);
}

void PostQuit(int exitCode) {
  world().events.push_back("PostQuit " + std::to_string(exitCode));
  if (!world().quitPosted) world().quitCode = exitCode;
  world().quitPosted = true;
}

bool PostPrivateMessage(Window window) {
  if (world().postFails) return false;
  world().posted.push_back(window);
  return true;
}

int RunMessageLoop(Window) {
  world().events.push_back("RunMessageLoop");
  ++world().messageLoops;
  fake::DeliverPosted();
  return world().quitPosted ? world().quitCode : 0;
}

int MessageBox(Window owner, const char* text, const char* caption) {
  world().events.push_back(std::string("MessageBox ") + caption);
  fake::MessageBoxCall call{owner, text, caption};
  world().messageBoxes.push_back(call);
  fake::DeliverPosted();  // the box's own loop runs
  if (world().onMessageBox) world().onMessageBox(call);
  return 1;
}

void Beep(unsigned type) { world().beeps.push_back(type); }

Window GetControl(Window dialog, int id) {
  fake::Control* control = fake::FindControl(dialog, id);
  return control;  // the control's own address serves as its handle
}

void SetControlText(Window dialog, int id, const char* text) {
  fake::Control* control = fake::FindControl(dialog, id);
  if (control == nullptr) return;
  control->text = text;
  // An edit control tells its dialog of every change, WM_SETTEXT included.
  if (control->isEdit) fake::SendCommand(dialog, id, 0x0300);
}

unsigned GetControlText(Window dialog, int id, char* out, unsigned capacity) {
  fake::Control* control = fake::FindControl(dialog, id);
  if (capacity == 0) return 0;
  std::string text = control ? control->text : "";
  size_t length = std::min<size_t>(text.size(), capacity - 1);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
  return static_cast<unsigned>(length);
}

void EnableControl(Window dialog, int id, bool enabled) {
  world().events.push_back("EnableControl " + std::to_string(id) + (enabled ? " on" : " off"));
  if (fake::Control* control = fake::FindControl(dialog, id)) control->enabled = enabled;
}

void DiscardControlInput(Window, int id) {
  world().events.push_back("DiscardControlInput " + std::to_string(id));
}

void SetCheck(Window control, bool checked) {
  for (auto& window : world().windows)
    for (auto& [id, c] : window->controls)
      if (&c == control) c.checked = checked;
}

void CheckMenuItem(Window window, int id, bool checked) {
  if (fake::Window* w = fake::Find(window)) w->menuChecks[id] = checked;
}

int ListAdd(Window dialog, int id, const char* text) {
  fake::Control* control = fake::FindControl(dialog, id);
  if (control == nullptr) return -1;
  control->lines.push_back(text);
  return static_cast<int>(control->lines.size()) - 1;
}

int ListCount(Window dialog, int id) {
  fake::Control* control = fake::FindControl(dialog, id);
  return control ? static_cast<int>(control->lines.size()) : 0;
}

void ListDelete(Window dialog, int id, int index) {
  fake::Control* control = fake::FindControl(dialog, id);
  if (control == nullptr || index < 0 || index >= static_cast<int>(control->lines.size())) return;
  control->lines.erase(control->lines.begin() + index);
  if (control->selection >= index) --control->selection;
}

void ListSelect(Window dialog, int id, int index) {
  if (fake::Control* control = fake::FindControl(dialog, id)) control->selection = index;
}

void ListReset(Window dialog, int id) {
  if (fake::Control* control = fake::FindControl(dialog, id)) {
    control->lines.clear();
    control->selection = -1;
  }
}

void ListSetRedraw(Window dialog, int id, bool on) {
  if (fake::Control* control = fake::FindControl(dialog, id)) {
    control->redraw = on;
    control->redrawSwitches.push_back(on);
  }
}

bool GetOpenFileName(OpenFileRecord& record) {
  world().events.push_back("GetOpenFileName");
  fake::DeliverPosted();  // the dialog's own loop runs
  return world().onOpenDialog ? world().onOpenDialog(record) : false;
}

unsigned ExtendedDialogError() { return world().dialogError; }

}  // namespace platform
