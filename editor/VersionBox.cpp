#include "VersionBox.h"

#include "DisplayLanguage.h"

namespace
{
using Translation = DisplayLanguage::Translation;

juce::String utf8 (const char* text)
{
    return juce::String (juce::CharPointer_UTF8 (text));
}

const juce::String productName (JucePlugin_Name);
const juce::String maker (JucePlugin_Manufacturer);
} // namespace

VersionBox::UpdateQuestion VersionBox::updateQuestionFor (const juce::String& language)
{
    switch (DisplayLanguage::translationFor (language))
    {
        case Translation::japanese:
            return { utf8 ("\xe6\x96\xb0\xe3\x81\x97\xe3\x81\x84\xe3\x83\x90\xe3\x83\xbc\xe3\x82\xb8\xe3\x83\xa7\xe3\x83\xb3\xe3\x81\xae") + productName
                         + utf8 ("\xe3\x81\x8c\xe3\x83\xaa\xe3\x83\xaa\xe3\x83\xbc\xe3\x82\xb9\xe3\x81\x95\xe3\x82\x8c\xe3\x81\xa6\xe3\x81\x84\xe3\x81\xbe\xe3\x81\x99"),
                     utf8 ("Web\xe3\x82\xb5\xe3\x82\xa4\xe3\x83\x88\xe3\x81\x8b\xe3\x82\x89\xe6\x96\xb0\xe3\x81\x97\xe3\x81\x84\xe3\x83\x90\xe3\x83\xbc\xe3\x82\xb8\xe3\x83\xa7\xe3\x83\xb3\xe3\x82\x92\xe5\x85\xa5\xe6\x89\x8b\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x81\x8b\xef\xbc\x9f "),
                     utf8 ("\xe3\x81\xaf\xe3\x81\x84"),
                     utf8 ("\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88") };

        case Translation::chinese:
            return { utf8 ("\xe6\x96\xb0") + productName + utf8 ("\xe5\x8f\x91\xe5\xb8\x83"),
                     utf8 ("\xe4\xbd\xa0\xe6\x83\xb3\xe8\x8e\xb7\xe5\xbe\x97\xe6\x96\xb0\xe7\x89\x88\xe6\x9c\xac\xe5\x90\x97\xef\xbc\x9f"),
                     utf8 ("\xe6\x98\xaf\xe7\x9a\x84"),
                     utf8 ("\xe6\xb2\xa1\xe6\x9c\x89") };

        case Translation::english:
        default:
            return { "New " + productName + " is released",
                     "Do you want to get the new version ? ",
                     "Yes, open the webpage",
                     "No, check later" };
    }
}

juce::String VersionBox::aboutTitleFor (const juce::String& language)
{
    switch (DisplayLanguage::translationFor (language))
    {
        case Translation::japanese:
            return productName + utf8 ("\xe3\x81\xab\xe3\x81\xa4\xe3\x81\x84\xe3\x81\xa6");
        case Translation::chinese:
            return utf8 ("\xe5\x85\xb3\xe4\xba\x8e") + productName;
        case Translation::english:
        default:
            return "About " + productName;
    }
}

juce::String VersionBox::aboutMessageFor (const juce::String& language)
{
    juce::StringArray roles;

    switch (DisplayLanguage::translationFor (language))
    {
        case Translation::japanese:
            roles = { utf8 ("\xe3\x82\xb5\xe3\x82\xa6\xe3\x83\xb3\xe3\x83\x89\xe3\x83\x87\xe3\x82\xb6\xe3\x82\xa4\xe3\x83\xb3 : "),
                      utf8 ("UI\xe3\x83\x87\xe3\x82\xb6\xe3\x82\xa4\xe3\x83\xb3 : "),
                      utf8 ("\xe9\x96\x8b\xe7\x99\xba : "),
                      utf8 ("\xe8\xb2\xa9\xe5\xa3\xb2 : ") };
            break;

        case Translation::chinese:
            roles = { utf8 ("\xe5\xa3\xb0\xe9\x9f\xb3\xe8\xae\xbe\xe8\xae\xa1 : "),
                      utf8 ("UI\xe8\xae\xbe\xe8\xae\xa1 : "),
                      utf8 ("\xe5\x8f\x91\xe5\xb1\x95 : "),
                      utf8 ("\xe9\x94\x80\xe5\x94\xae : ") };
            break;

        case Translation::english:
        default:
            roles = { "Sound design : ", "UI Design : ", "Development : ", "Distribute : " };
            break;
    }

    juce::String message;
    message << "Version:" << JucePlugin_VersionString << "\n"
            << "\n";

    for (auto& role : roles)
        message << role << maker << "\n";

    message << "\n"
            << utf8 ("\xc2\xa9") << " 2026 " << maker << ". All rights reserved.";

    return message;
}

void VersionBox::show (bool updateAvailable, const juce::String& language,
                       std::function<void()> openHomePage)
{
    if (! updateAvailable)
    {
        showAbout (language);
        return;
    }

    const auto texts = updateQuestionFor (language);

    auto* question = new juce::AlertWindow (texts.title, texts.message, juce::MessageBoxIconType::WarningIcon);
    question->addButton (texts.openButton, openButtonResult);
    question->addButton (texts.laterButton, laterButtonResult);

    // Any way of closing the question other than its first button opens
    // nothing; the About box follows in every case.
    question->enterModalState (true,
                               juce::ModalCallbackFunction::create ([language, openHomePage = std::move (openHomePage)] (int result)
                                                                    {
                                   if (result == openButtonResult && openHomePage != nullptr)
                                       openHomePage();

                                   showAbout (language); }),
                               true);
}

void VersionBox::showAbout (const juce::String& language)
{
    auto* about = new juce::AlertWindow (aboutTitleFor (language), aboutMessageFor (language),
                                         juce::MessageBoxIconType::NoIcon);
    about->addButton ("  OK  ", okButtonResult);
    about->enterModalState (true, nullptr, true);
}
