#pragma once
// Which language of a resource a preview shows: the one the system's loader
// would give this user. Plain code over language ids, without the system's
// headers, so that it builds and is tried on the host as well.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrix {

constexpr uint16_t kLanguageNeutral = 0x0000;       // LANG_NEUTRAL, SUBLANG_NEUTRAL
constexpr uint16_t kEnglishUnitedStates = 0x0409;  // LANG_ENGLISH, SUBLANG_ENGLISH_US
constexpr uint16_t kPrimaryEnglish = 0x09;

// The positions of `languages` (the languages of one resource, in the
// module's order) in the order the loader tries them: language-neutral, the
// user's UI language, English (United States), any other English, then the
// rest in the module's order. Every position appears once.
std::vector<size_t> LanguagePreference(const std::vector<uint16_t>& languages, uint16_t userLanguage);

}  // namespace kestrix
