#include "app/shell_services.h"

#include <cstdarg>

#include "app/state.h"
#include "app/text.h"
#include "resources/resource_ids.h"

void AbortApplication() {
  state.abortRequested = true;
  platform::SendCloseRequest(state.mainPanel);
}

void SetCompileEnabled(bool enabled) {
  platform::EnableControl(state.mainPanel, IDC_COMPILE, enabled);
}

void ShowMessage(platform::Window owner, const char* caption, const char* format, ...) {
  char text[kMessageCapacity];
  va_list args;
  va_start(args, format);
  FormatTextV(text, sizeof text, format, args);
  va_end(args);
  platform::MessageBox(owner, text, caption);
}
