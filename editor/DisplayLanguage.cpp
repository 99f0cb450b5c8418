#include "DisplayLanguage.h"

#include <cstdlib>

namespace
{
bool isAsciiLetters (const juce::String& s, int minLength, int maxLength)
{
    if (s.length() < minLength || s.length() > maxLength)
        return false;

    for (auto c : s)
        if (! ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;

    return true;
}
} // namespace

DisplayLanguage::Translation DisplayLanguage::translationFor (const juce::String& language)
{
    if (language.startsWith ("ja"))
        return Translation::japanese;
    if (language.startsWith ("zh"))
        return Translation::chinese;
    return Translation::english;
}

juce::String DisplayLanguage::get()
{
#if JUCE_LINUX || JUCE_BSD
    return fromLocaleVariables (std::getenv ("LC_ALL"), std::getenv ("LC_MESSAGES"), std::getenv ("LANG"));
#else
    auto language = juce::SystemStats::getDisplayLanguage();
    return language.isEmpty() ? juce::String ("en") : language;
#endif
}

juce::String DisplayLanguage::fromLocaleVariables (const char* lcAll, const char* lcMessages, const char* lang)
{
    for (auto* value : { lcAll, lcMessages, lang })
        if (value != nullptr && *value != 0)
            return fromLocaleName (juce::String::fromUTF8 (value));

    return "en";
}

juce::String DisplayLanguage::fromLocaleName (const juce::String& localeName)
{
    // language[_territory][.codeset][@modifier]
    auto name = localeName.upToFirstOccurrenceOf (".", false, false)
                    .upToFirstOccurrenceOf ("@", false, false);

    auto language = name.upToFirstOccurrenceOf ("_", false, false);
    auto territory = name.fromFirstOccurrenceOf ("_", false, false);

    if (! isAsciiLetters (language, 2, 3))
        return "en";

    language = language.toLowerCase();

    if (isAsciiLetters (territory, 2, 2))
        return language + "-" + territory.toUpperCase();

    return language;
}
