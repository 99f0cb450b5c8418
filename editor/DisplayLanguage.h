#pragma once

#include <juce_core/juce_core.h>

// The user's UI language as "ll-CC" (e.g. "ja-JP"), or "en" when it cannot be
// told. On Linux the framework has no answer, so it is read from the POSIX
// locale variables instead.
class DisplayLanguage
{
public:
    static juce::String get();

    // Which of our translations a language takes: "ja..." Japanese,
    // "zh..." Chinese, anything else English.
    enum class Translation
    {
        japanese,
        chinese,
        english
    };

    // The translation for a language as get() gives it.
    static Translation translationFor (const juce::String& language);

    // LC_ALL, then LC_MESSAGES, then LANG, as the C library orders them;
    // null or empty values count as unset.
    static juce::String fromLocaleVariables (const char* lcAll, const char* lcMessages, const char* lang);

    // "ja_JP.UTF-8" -> "ja-JP", "de" -> "de"; "C", "POSIX" and anything that
    // does not look like a locale name -> "en".
    static juce::String fromLocaleName (const juce::String& localeName);
};
