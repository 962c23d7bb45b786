#pragma once
// The script writer: resources (from a .res file or a program) back into a
// script that this package's compiler turns into the same resources, byte
// for byte, and the files that script reads (icons, cursors, bitmaps, fonts,
// manifests, HTML, data).
//
// Each resource is written as the statement of its kind and that statement
// is compiled on its own and compared with the resource; where the bytes,
// memory flags, language or name differ, the resource is written as data of
// its own type instead, with a comment saying why. The whole script is then
// compiled and compared with the input as a set (type, name, language and
// bytes); a script that does not come back the same is not handed out.
//
// The script is plain ASCII: every text is a wide literal whose other
// characters are \x escapes, so it reads the same under any code page.

#include <cstddef>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {
namespace rc {

struct ScriptOptions {
  // The folder, relative to the script, that the side files go in ("app_files").
  std::string folder;
  // Binary data inline as quoted hexadecimal blocks instead of side files.
  bool inlineData = false;
};

struct SideFile {
  std::string path;  // relative to the script, with '/' between folder and name
  std::vector<uint8_t> bytes;
};

struct WrittenScript {
  std::string text;
  std::vector<SideFile> files;
  size_t statements = 0;  // resources written as the statement of their kind
  size_t asData = 0;      // resources written as data of their type
  std::vector<std::string> dataReasons;  // for each of those: which and why
};

// Writes the script for `entries`. False, with `error` naming the resource
// and the reason, when the written script would not compile back to them;
// `out` then holds that script, to look into, never to hand out.
bool WriteScript(const std::vector<ResEntry>& entries, const ScriptOptions& options, WrittenScript& out,
                 std::string& error);

// Whether `compiled` holds the same resources as `expected`: the same set of
// type, name and language, and for each the same bytes, memory flags,
// version and characteristics. Otherwise `difference` names the first that
// differs.
bool SameResources(const std::vector<ResEntry>& expected, const std::vector<ResEntry>& compiled,
                   std::string& difference);

}  // namespace rc
}  // namespace package
