#pragma once
// Text sets with an Italian, English and Turkish column, picked by language code.

#include <string>

namespace kelvo6::core {

enum Language { kItalian = 1, kEnglish = 2, kTurkish = 3 };

struct Text3 {
  const char* it;
  const char* en;
  const char* tr;
};

// The text for the language code, or nullptr for a code outside 1..3 (where a
// window keeps its design-time captions).
inline const char* pick(const Text3& t, int language) {
  switch (language) {
    case kItalian: return t.it;
    case kEnglish: return t.en;
    case kTurkish: return t.tr;
    default: return nullptr;
  }
}

// As pick, but an unknown language falls back to the Italian text.
inline std::string pickOr(const Text3& t, int language) {
  const char* s = pick(t, language);
  return s ? s : t.it;
}

}  // namespace kelvo6::core
