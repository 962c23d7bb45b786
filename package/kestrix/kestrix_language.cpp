// The loader's order of a resource's languages.

#include "package/kestrix/kestrix_language.h"

namespace kestrix {

std::vector<size_t> LanguagePreference(const std::vector<uint16_t>& languages, uint16_t userLanguage) {
  const auto isEnglish = [](uint16_t language) { return (language & 0x3FF) == kPrimaryEnglish; };
  const auto rank = [&](uint16_t language) {
    if (language == kLanguageNeutral) return 0;
    if (language == userLanguage) return 1;
    if (language == kEnglishUnitedStates) return 2;
    if (isEnglish(language)) return 3;
    return 4;
  };
  std::vector<size_t> order;
  order.reserve(languages.size());
  for (int wanted = 0; wanted <= 4; ++wanted) {
    for (size_t i = 0; i < languages.size(); ++i) {
      if (rank(languages[i]) == wanted) order.push_back(i);
    }
  }
  return order;
}

}  // namespace kestrix
