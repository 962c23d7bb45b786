#pragma once
// Binding compiled resources into an executable through the system's
// resource-update service (BeginUpdateResource / UpdateResource /
// EndUpdateResource), keeping the resources the executable already has.
// A resource of the same type, name and language is replaced.

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

}  // namespace package
