#pragma once
// The recording double of the platform seam, for host tests. It keeps a small
// world: windows made from the utility's templates with their controls, list
// boxes and menu checks; message boxes, beeps, sleeps, launched processes and
// interpreter commands in the order they happened; a file system of named
// files with read-only and locked flags; profile files with the services'
// trimming and capacity rules; a faked clock and local time. Hooks let a test
// act for the other side: a tool that writes a file, a user in the open dialog.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct Control {
  std::string text;
  bool enabled = true;
  bool checked = false;
  bool isEdit = false;
  std::vector<std::string> lines;  // list box contents
  int selection = -1;
  bool redraw = true;                // a list's painting switch
  std::vector<bool> redrawSwitches;  // every switch of it, in order
};

struct Window {
  int templateId = 0;  // 0 for the main window
  platform::Window parent = nullptr;
  platform::Procedure procedure = nullptr;
  std::string title;
  bool visible = false;
  bool destroyed = false;
  bool modal = false;
  intptr_t endResult = 0;
  bool ended = false;
  std::map<int, Control> controls;
  std::map<int, bool> menuChecks;
  int showCommand = -1;
  int width = 0, height = 0;  // the main window's size as created or last set
};

struct MessageBoxCall {
  platform::Window owner;
  std::string text;
  std::string caption;
};

struct ProcessCall {
  std::string commandLine;
  int showMode;
  unsigned flags;
  unsigned idleWaitMs;
  uint64_t atMs;  // faked clock when it was started
};

struct File {
  std::string content;
  bool readOnly = false;  // "r+" fails, copies onto it fail
  bool locked = false;    // a running program: "r" works, "r+", delete and overwrite fail
};

struct World {
  std::vector<std::unique_ptr<Window>> windows;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<std::string> events;  // an ordered record of notable calls
  std::vector<unsigned> beeps;
  std::vector<unsigned> sleeps;
  uint64_t clockMs = 0;
  std::map<std::string, File> files;  // keys compare case-blind, as Windows paths do
  std::map<std::string, std::vector<std::pair<std::string, std::string>>>
      profiles;  // file -> keys in order
  std::string currentDirectory = "C:\\work";
  platform::LocalTime localTime{2007, 11, 27, 10, 21, 46};
  std::vector<ProcessCall> processes;
  std::vector<std::string> commands;
  bool registrationFails = false;
  platform::Procedure mainProcedure = nullptr;  // the main window class's, as registered
  bool quitPosted = false;
  int quitCode = -1;
  int messageLoops = 0;
  // What every dialog's font gives as its dialog base units (96 DPI, "MS Sans Serif" 8 pt).
  platform::BaseUnits dialogBaseUnits{6, 13};
  std::vector<platform::Window> posted;  // private messages not yet handled, oldest first
  bool postFails = false;                // the queue refuses private messages

  // Hooks for the other side of the seam.
  std::function<bool(const ProcessCall&)> onCreateProcess;  // false: the program cannot be started
  std::function<void(const std::string&)> onRunCommand;
  std::function<void(uint64_t clockMs)> onSleep;                // after the clock moved on
  std::function<bool(platform::OpenFileRecord&)> onOpenDialog;  // the user; false cancels
  unsigned dialogError = 0;
  std::function<void(platform::Window dialog)> onModalDialog;  // the user in a modal box
  std::function<void(const MessageBoxCall&)> onMessageBox;
};

World& world();
void Reset();

Window* Find(platform::Window handle);
Window* FindByTemplate(int templateId);  // the newest window made from the template
Window* MainWindow();

void AddFile(const std::string& path, const std::string& content = "text");
bool HasFile(const std::string& path);
File* FindFile(const std::string& path);
void RemoveFile(const std::string& path);

// The keys of a profile file in the order they were written, "Section/Key=value".
std::vector<std::string> ProfileLines(const std::string& file);
void SetProfile(const std::string& file, const std::string& key, const std::string& value);
bool ProfileValue(const std::string& file, const std::string& key, std::string* value);

// Hands the queued private messages to their windows' procedures, as the thread
// does once it waits for messages (the main loop, a message box, a dialog).
void DeliverPosted();

// Sends a command to a dialog's procedure as the dialog manager would.
intptr_t SendCommand(platform::Window dialog, int id, int notification = 0);

}  // namespace fake
