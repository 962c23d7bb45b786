#include "app/about.h"

#include "app/build_moment.h"
#include "app/state.h"
#include "app/text.h"
#include "resources/resource_ids.h"

using platform::Message;

void ShowAboutBox() { platform::RunModalDialog(IDD_ABOUT, state.mainWindow, AboutBoxProc); }

intptr_t AboutBoxProc(platform::Window dialog, Message message, uintptr_t, intptr_t) {
  switch (message) {
    case Message::Init: {
      char text[kMessageCapacity];
      platform::SetControlText(dialog, IDC_ABOUT_NAME, "VORN Mivo Compile Utility");
      FormatText(text, sizeof text, "Version: %s", MIVO_VERSION_TEXT);
      platform::SetControlText(dialog, IDC_ABOUT_VERSION, text);
      FormatText(text, sizeof text, "Author: %s", MIVO_AUTHOR_CREDIT);
      platform::SetControlText(dialog, IDC_ABOUT_AUTHOR, text);
      FormatText(text, sizeof text, "Date : %s - %s", kBuildDate, kBuildTime);
      platform::SetControlText(dialog, IDC_ABOUT_DATE, text);
      return 1;
    }
    case Message::Command: platform::EndDialog(dialog, 1); return 1;
    default: return 0;
  }
}
