#pragma once
// The build behind the compile button: copy the template to <dir><base>.exe
// when needed, run the syntax checker and wait for its log, compile the script
// to <dir><base>.res and bind it into the .exe with the resource compiler,
// waiting for each file, then remove the intermediates. Each failure is told
// in a message box; most of them end the utility. The three tool steps are
// one table, walked in order.

constexpr unsigned kTidySleepMs = 500;
constexpr const char* kCheckLineFormat = "%s -f \"%s%s.rc\"";
constexpr const char* kCompileLineFormat = "%s -r \"%s%s.rc\" -fo \"%s%s.res\"";
constexpr const char* kBindLineFormat = "%s \"%s%s.res\" -w32 \"%s%s.exe\"";

void CompileCommand();
bool BuildExecutable(const char* dir, const char* base);
