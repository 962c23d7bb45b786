#pragma once
// Whether a file is a whole program image that the binder may work on: the
// DOS and PE headers, the section table and every section's data lie within
// the file, and the resource directory the program already has walks within
// its section (three levels, forward only, a bounded number of entries).
//
// The system's resource-update service trusts all of this and crashes, or
// writes a program that cannot start, when it is not so; checking it first
// lets the binder refuse such a target with a message instead.
//
// The same walk reads a program's resources out of it, for the script writer.
//
// Plain standard C++ over the file's bytes: nothing here touches the system.

#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {

// Most resource directory entries a program may have (every level together).
constexpr uint32_t kMaxResourceEntries = 65536;

// True when `image` is a whole program; otherwise `problem` names what is
// wrong ("section .text runs past the end of the file ...").
bool CheckProgramImage(const std::vector<uint8_t>& image, std::string& problem);

// The resources of a 32- or 64-bit program or library: type, name,
// language and data of each, in the directory's order. A program keeps no
// memory flags, so each gets those the compilers give its type by default
// (discardable for menus, dialogs, string tables, accelerators, icons,
// cursors and their groups and fonts). False, with `problem`, for any
// image CheckProgramImage refuses or a name or id it cannot hold.
bool ReadProgramResources(const std::vector<uint8_t>& image, std::vector<ResEntry>& entries, std::string& problem);

}  // namespace package
