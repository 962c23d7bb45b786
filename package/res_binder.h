#pragma once
// Binding compiled resources into an executable through the system's
// resource-update service (BeginUpdateResource / UpdateResource /
// EndUpdateResource), keeping the resources the executable already has.
// A resource of the same type, name and language is replaced.

#include <string>
#include <vector>

#include "package/res_file.h"

namespace package {

// Binds `entries` into `exePath`. On failure nothing is committed, the
// executable is left as it was, and `error` says why.
bool BindResources(const std::vector<ResEntry>& entries, const std::string& exePath, std::string& error);

// Reads the .res file and binds all of its entries; `bound` gets their count.
bool BindResFile(const std::string& resPath, const std::string& exePath, size_t& bound, std::string& error);

}  // namespace package
