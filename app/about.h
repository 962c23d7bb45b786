#pragma once
// The About box (template 102): program name, version, author credit, and the
// date and time the program was built. Every command closes it, so Enter and
// Escape act like OK.

#include <cstdint>

#include "platform/platform.h"

void ShowAboutBox();
intptr_t AboutBoxProc(platform::Window dialog, platform::Message message, uintptr_t wParam,
                      intptr_t lParam);
