// Reading another program's live menu bar. Where menu handles cross processes
// (Windows) the menu is read here; under Wine they do not, so e2e_probe.dll is
// loaded into the program and a thread there fills a MenuProbeRecord.

#include "tests/e2e/driver/driver.h"
#include "tests/e2e/driver/menu_probe.h"

#include <psapi.h>

#include <cwchar>
#include <memory>

namespace e2e {
namespace {

using probe::MenuProbeRecord;

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string ProbePath() {
  if (const char* path = std::getenv("MIVO_E2E_PROBE_DLL")) return path;
  return DirectoryOf(ThisExecutablePath()) + probe::kProbeDll;
}

HMODULE RemoteModule(HANDLE process, const std::wstring& baseName) {
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &needed)) return nullptr;
  size_t count = std::min<size_t>(needed / sizeof(HMODULE), 1024);
  for (size_t index = 0; index < count; ++index) {
    wchar_t name[MAX_PATH];
    if (GetModuleBaseNameW(process, modules[index], name, MAX_PATH) && _wcsicmp(name, baseName.c_str()) == 0) {
      return modules[index];
    }
  }
  return nullptr;
}

// Runs start(parameter) on a new thread of process; true if it ended within the bound.
bool RunRemoteThread(HANDLE process, LPTHREAD_START_ROUTINE start, void* parameter, std::string* why) {
  UniqueHandle thread(CreateRemoteThread(process, nullptr, 0, start, parameter, 0, nullptr));
  if (!thread) {
    *why = "CreateRemoteThread failed: " + LastErrorText();
    return false;
  }
  if (WaitForSingleObject(thread.get(), static_cast<DWORD>(kAnswerTimeout.count())) != WAIT_OBJECT_0) {
    *why = "the probe thread did not end in time";
    return false;
  }
  return true;
}

// Fills record inside the process that owns the window; false with a reason.
bool ProbeRemotely(DWORD pid, MenuProbeRecord& record, std::string* why) {
  std::string dllPath = ToWindowsPath(ProbePath());
  if (!FileExists(dllPath)) {
    *why = "the menu probe " + dllPath + " is missing";
    return false;
  }
  std::wstring widePath = ToWide(dllPath);
  std::wstring baseName = ToWide(probe::kProbeDll);
  HMODULE local = LoadLibraryW(widePath.c_str());  // kept loaded: its layout gives the entry's offset
  auto entry = local ? reinterpret_cast<uintptr_t>(GetProcAddress(local, probe::kMenuEntry)) : 0;
  if (!entry) {
    *why = "cannot load " + dllPath + ": " + LastErrorText();
    return false;
  }

  UniqueHandle process(OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                       PROCESS_VM_READ | PROCESS_VM_WRITE,
                                   FALSE, pid));
  if (!process) {
    *why = "OpenProcess failed: " + LastErrorText();
    return false;
  }
  void* remote = VirtualAllocEx(process.get(), nullptr, sizeof record, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) {
    *why = "VirtualAllocEx failed: " + LastErrorText();
    return false;
  }
  std::unique_ptr<void, std::function<void(void*)>> remoteGuard(
      remote, [&](void* address) { VirtualFreeEx(process.get(), address, 0, MEM_RELEASE); });

  HMODULE module = RemoteModule(process.get(), baseName);
  if (!module) {
    // System DLLs sit at the same address in every process, so this process's
    // LoadLibraryW is the other's too.
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    size_t bytes = (widePath.size() + 1) * sizeof(wchar_t);
    if (bytes > sizeof record ||
        !WriteProcessMemory(process.get(), remote, widePath.c_str(), bytes, nullptr) ||
        !RunRemoteThread(process.get(), loadLibrary, remote, why)) {
      if (why->empty()) *why = "cannot pass the probe's path: " + LastErrorText();
      return false;
    }
    module = RemoteModule(process.get(), baseName);
    if (!module) {
      *why = "the program did not load " + dllPath;
      return false;
    }
  }
  auto remoteEntry = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<uintptr_t>(module) +
                                                              (entry - reinterpret_cast<uintptr_t>(local)));
  if (!WriteProcessMemory(process.get(), remote, &record, sizeof record, nullptr)) {
    *why = "WriteProcessMemory failed: " + LastErrorText();
    return false;
  }
  if (!RunRemoteThread(process.get(), remoteEntry, remote, why)) return false;
  if (!ReadProcessMemory(process.get(), remote, &record, sizeof record, nullptr)) {
    *why = "ReadProcessMemory failed: " + LastErrorText();
    return false;
  }
  return true;
}

// Rebuilds the tree from the pre-order list, starting at items[*next] of depth.
std::vector<MenuItem> BuildLevel(const MenuProbeRecord& record, int* next, int depth) {
  std::vector<MenuItem> level;
  while (*next < record.count && record.items[*next].depth >= depth) {
    const probe::MenuProbeItem& raw = record.items[*next];
    if (raw.depth > depth) {  // a deeper item without a parent here: skip it
      ++*next;
      continue;
    }
    MenuItem item;
    item.text = ToUtf8(std::wstring(raw.text, wcsnlen(raw.text, probe::kMaxMenuText)));
    item.popup = raw.isPopup != 0;
    item.id = item.popup ? 0 : raw.id;
    item.checked = (raw.state & MFS_CHECKED) != 0;
    item.grayed = (raw.state & MFS_DISABLED) != 0;
    item.separator = (raw.type & MFT_SEPARATOR) != 0;
    item.rightJustified = (raw.type & MFT_RIGHTJUSTIFY) != 0;
    item.rect = RECT{raw.left, raw.top, raw.right, raw.bottom};
    ++*next;
    if (item.popup) item.items = BuildLevel(record, next, depth + 1);
    level.push_back(std::move(item));
  }
  return level;
}

}  // namespace

::testing::AssertionResult ReadMenuBar(HWND window, std::vector<MenuItem>* bar) {
  bar->clear();
  if (!IsWindow(window)) return ::testing::AssertionFailure() << "no such window";
  HMENU menu = GetMenu(window);
  if (!menu) return ::testing::AssertionFailure() << "the window has no menu bar";

  auto record = std::make_unique<MenuProbeRecord>();
  record->window = reinterpret_cast<uintptr_t>(window);
  if (GetMenuItemCount(menu) >= 0) {
    probe::ReadMenuRecord(*record);
  } else {
    std::string why;
    if (!ProbeRemotely(ProcessOf(window), *record, &why)) {
      return ::testing::AssertionFailure() << "cannot read the menu of another process: " << why;
    }
  }
  if (record->status == 0) return ::testing::AssertionFailure() << "the window has no menu bar";
  if (record->status < 0) return ::testing::AssertionFailure() << "the menu has more than " << probe::kMaxMenuItems << " items";
  int next = 0;
  *bar = BuildLevel(*record, &next, 0);
  return ::testing::AssertionSuccess();
}

const MenuItem* FindMenuItem(const std::vector<MenuItem>& bar, const std::vector<std::string>& path) {
  const std::vector<MenuItem>* level = &bar;
  const MenuItem* found = nullptr;
  for (const std::string& text : path) {
    found = nullptr;
    for (const MenuItem& item : *level) {
      if (item.text == text) {
        found = &item;
        break;
      }
    }
    if (!found) return nullptr;
    level = &found->items;
  }
  return found;
}

}  // namespace e2e
