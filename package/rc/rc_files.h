#pragma once
// How scripts reach their files: reading, paths, the Windows headers the
// compiler knows without reading them, and the encodings files come in.

#include <string>
#include <vector>

namespace package {

// Reads a whole file through fopen; false if it cannot be opened or read.
// The reader the tools give the compiler.
bool ReadTextFile(const std::string& path, std::string& text);

// Appends the folders of a ';'-separated list (an -i switch, the INCLUDE
// variable) to dirs, empty entries left out.
void AddIncludeFolders(const std::string& list, std::vector<std::string>& dirs);

// The folders of the INCLUDE variable, which both the checker and the compiler
// search after those of the command line.
void AddIncludeVariable(std::vector<std::string>& dirs);

// The directory part of a path, with its trailing separator ("" if none).
std::string DirectoryOf(const std::string& path);

// A drive-letter or rooted path.
bool IsAbsolute(const std::string& path);

// A header of the Windows SDK or of the class libraries, by its base name:
// its constants are built in, so it is not read.
bool IsSystemHeader(const std::string& name);

// The text of an SDK file the compiler carries (common.ver, ntverp.h), by
// its base name, or null. Read when no such file is found on the paths.
const char* EmbeddedFile(const std::string& name);

// A C header (.h, .hpp, .hh, .c): only its directives count.
bool IsHeaderName(const std::string& name);

// UTF-16 text becomes UTF-8 and a UTF-8 mark is dropped. Returns the code
// page the file's own bytes are in, or 0 when nothing marks it.
int NormaliseEncoding(std::string& text);

}  // namespace package
