// Splitting Kestrix's command line into its parameters and the two switches.

#include "package/kestrix/kestrix_command_line.h"

#include <cwchar>
#include <vector>

namespace kestrix {
namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The words of the parameters; a quoted word keeps its blanks, without the quotes.
std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && Blank(text[i])) ++i;
    if (i == text.size()) break;
    std::wstring word;
    bool quoted = false;
    for (; i < text.size() && (quoted || !Blank(text[i])); ++i) {
      if (text[i] == L'"')
        quoted = !quoted;
      else
        word.push_back(text[i]);
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace

Options ReadCommandLine(const wchar_t* p) {
  Options options;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && !Blank(*p)) ++p;
  }
  while (Blank(*p)) ++p;
  options.parameters = p;

  const std::vector<std::wstring> words = Words(options.parameters);
  for (size_t i = 0; i < words.size(); ++i) {
    std::wstring* target = nullptr;
    if (_wcsicmp(words[i].c_str(), L"/dialog") == 0) target = &options.dialog;
    if (_wcsicmp(words[i].c_str(), L"/menu") == 0) target = &options.menu;
    if (!target) continue;
    if (i + 1 < words.size() && !words[i + 1].empty()) {
      *target = words[++i];
    } else {
      options.problem = words[i] + L" needs a resource id";
    }
  }
  return options;
}

}  // namespace kestrix
