#pragma once
// Binding compiled resources into an executable through the system's
// resource-update service (BeginUpdateResource / UpdateResource /
// EndUpdateResource), keeping the resources the executable already has.
// A resource of the same type, name and language is replaced.
//
// BindIntoProgram is the binder's command: its caller judges the bind by the
// program file alone, so that name only ever holds a program the bind
// finished. The target is checked, moved aside to a temporary name in its
// directory, bound there and moved back only when everything succeeded; a
// failure removes it, and a crash leaves at most the temporary file.

#include <functional>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {

struct BindReport {
  size_t bound = 0;
  // Resources without data that the system would not add (Wine refuses
  // them); they carry nothing, so the bind goes on without them.
  size_t skippedEmpty = 0;
};

// Binds `entries` into `exePath`. On failure nothing is committed, the
// executable is left as it was, and `error` says why.
bool BindResources(const std::vector<ResEntry>& entries, const std::string& exePath, BindReport& report,
                   std::string& error);

// Reads the .res file and binds all of its entries.
bool BindResFile(const std::string& resPath, const std::string& exePath, BindReport& report, std::string& error);

// The temporary name BindIntoProgram binds under: "<exe>.bind.tmp".
std::string BindTemporaryPath(const std::string& exePath);

// Reads the .res file, checks that `exePath` is a whole program (see
// pe_image.h) and binds into it by way of the temporary name. On failure the
// program and the temporary file are gone and `error` says why. `midBind`,
// when given, runs inside the resource update, before it is written: the
// fault switch that ends the process there uses it.
bool BindIntoProgram(const std::string& resPath, const std::string& exePath, BindReport& report,
                     std::string& error, const std::function<void()>& midBind = nullptr);

}  // namespace package
