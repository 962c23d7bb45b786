// e2e_probe.dll: the driver loads it into the program under test and starts a
// thread at MenuProbeEntry to read that program's menu bar from inside.

#include "tests/e2e/driver/menu_probe.h"

#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI MenuProbeEntry(void* parameter) {
  e2e::probe::ReadMenuRecord(*static_cast<e2e::probe::MenuProbeRecord*>(parameter));
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
