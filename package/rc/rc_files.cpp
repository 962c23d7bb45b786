// How scripts reach their files: reading, paths, the Windows headers the
// compiler knows without reading them, and the encodings files come in.

#include "package/rc/rc_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace package {

namespace {

// Headers of the Windows SDK and of the class libraries that scripts include
// for their constants; the compiler knows those constants already. Files
// that hold statements or macros are not among them: common.ver and the
// ntverp.h it reads are carried whole (kEmbedded), and any other (afxres.rc)
// that cannot be found fails the script, naming it, rather than losing
// resources.
const char* const kSystemHeaders[] = {
    "windows.h", "winres.h",  "winresrc.h", "afxres.h", "commctrl.h", "winuser.h", "winuser.rh",
    "richedit.h", "winver.h", "dlgs.h",     "prsht.h",  "winnt.h",    "verrsrc.h",
    "winnt.rh",   "windef.h", "commctrl.rh", "sdkddkver.h", "winsdkver.h", "winbase.h", "wingdi.h",
    "bwcc.h",     "tchar.h"};

struct Embedded {
  const char* name;
  const char* text;
};

const Embedded kEmbedded[] = {
#include "rc_embedded_files.inc"
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool ok = ferror(f) == 0;
  fclose(f);
  return ok;
}

void AddIncludeFolders(const std::string& list, std::vector<std::string>& dirs) {
  size_t from = 0;
  while (from <= list.size()) {
    const size_t end = std::min(list.find(';', from), list.size());
    if (end > from) dirs.push_back(list.substr(from, end - from));
    from = end + 1;
  }
}

void AddIncludeVariable(std::vector<std::string>& dirs) {
  if (const char* include = getenv("INCLUDE")) AddIncludeFolders(include, dirs);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsSystemHeader(const std::string& name) {
  const size_t slash = name.find_last_of("\\/");
  const std::string base = Lower(slash == std::string::npos ? name : name.substr(slash + 1));
  for (const char* h : kSystemHeaders) {
    if (base == h) return true;
  }
  return false;
}

const char* EmbeddedFile(const std::string& name) {
  const size_t slash = name.find_last_of("\\/");
  const std::string base = Lower(slash == std::string::npos ? name : name.substr(slash + 1));
  for (const Embedded& e : kEmbedded) {
    if (base == e.name) return e.text;
  }
  return nullptr;
}

bool IsHeaderName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string ext = Lower(name.substr(dot));
  return ext == ".h" || ext == ".hpp" || ext == ".hh" || ext == ".c";
}

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

int NormaliseEncoding(std::string& text) {
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
    text.erase(0, 3);
    return 65001;
  }
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
      static_cast<unsigned char>(text[1]) == 0xFE) {
    std::string utf8;
    for (size_t i = 2; i + 1 < text.size(); i += 2) {
      uint32_t u = static_cast<unsigned char>(text[i]) | (static_cast<unsigned char>(text[i + 1]) << 8);
      if (u >= 0xD800 && u < 0xDC00 && i + 3 < text.size()) {
        const uint32_t lo = static_cast<unsigned char>(text[i + 2]) | (static_cast<unsigned char>(text[i + 3]) << 8);
        if (lo >= 0xDC00 && lo < 0xE000) {
          u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
          i += 2;
        }
      }
      if (u < 0x80) {
        utf8.push_back(static_cast<char>(u));
      } else if (u < 0x800) {
        utf8.push_back(static_cast<char>(0xC0 | (u >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
      } else if (u < 0x10000) {
        utf8.push_back(static_cast<char>(0xE0 | (u >> 12)));
        utf8.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
      } else {
        utf8.push_back(static_cast<char>(0xF0 | (u >> 18)));
        utf8.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
      }
    }
    text.swap(utf8);
    return 65001;
  }
  return 0;
}

}  // namespace package
