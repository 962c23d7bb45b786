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
// Plain standard C++ over the file's bytes: nothing here touches the system.

#include <cstdint>
#include <string>
#include <vector>

namespace package {

// Most resource directory entries a program may have (every level together).
constexpr uint32_t kMaxResourceEntries = 65536;

// True when `image` is a whole program; otherwise `problem` names what is
// wrong ("section .text runs past the end of the file ...").
bool CheckProgramImage(const std::vector<uint8_t>& image, std::string& problem);

}  // namespace package
