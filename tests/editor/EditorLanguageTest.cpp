#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editor/DisplayLanguage.h"
#include "editor/UpdateCheck.h"
#include "editor/VersionBox.h"

#include <cstdlib>

namespace
{
juce::String utf8 (const char* text) { return juce::String (juce::CharPointer_UTF8 (text)); }

juce::String defaultTypefaceName()
{
    return juce::LookAndFeel::getDefaultLookAndFeel().getTypefaceForFont (juce::Font())->getName();
}
} // namespace

TEST (DisplayLanguage, ComesFromTheLocaleVariablesInTheirOrder)
{
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables ("ja_JP.UTF-8", nullptr, nullptr), "ja-JP");
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables ("ja_JP.UTF-8", "de_DE.UTF-8", "zh_CN.UTF-8"), "ja-JP");
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables (nullptr, "de_DE.UTF-8", "zh_CN.UTF-8"), "de-DE");
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables ("", "", "zh_TW.Big5"), "zh-TW");
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables (nullptr, nullptr, nullptr), "en");
    EXPECT_EQ (DisplayLanguage::fromLocaleVariables ("C", nullptr, "ja_JP.UTF-8"), "en");

    EXPECT_EQ (DisplayLanguage::fromLocaleName ("POSIX"), "en");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("C.UTF-8"), "en");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("de_DE@euro"), "de-DE");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("fr"), "fr");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("en_us.utf8"), "en-US");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("../../x"), "en");
    EXPECT_EQ (DisplayLanguage::fromLocaleName ("ja_JAPAN"), "ja");
}

TEST (DisplayLanguage, GetReadsTheProcessEnvironment)
{
    // Nothing else may read the environment while it changes.
    ASSERT_TRUE (pumpMessagesUntil ([]
                                    { return UpdateCheck::numRunning() == 0; },
                                    5000));

    const juce::String saved (std::getenv ("LC_ALL") != nullptr ? std::getenv ("LC_ALL") : "");
    ::setenv ("LC_ALL", "zh_CN.UTF-8", 1);
    EXPECT_EQ (DisplayLanguage::get(), "zh-CN");
    ::setenv ("LC_ALL", saved.toRawUTF8(), 1);
}

TEST (EditorLanguage, ChoosesTheTypefaceOfTheAlertWindows)
{
    struct Case
    {
        const char* language;
        const char* typeface; // empty: left as it was
    };

    const Case cases[] {
        { "ja-JP", "Meiryo UI" },
        { "zh-CN", "Microsoft YaHei UI" },
        { "zh-TW", "Microsoft YaHei UI" },
        { "en-US", "" },
        { "de-DE", "" },
        { "en", "" }, // what the system answers when it cannot tell
        { "xx-YY", "" },
    };

    // Neither Windows font exists here, and a missing font reports no name,
    // so the window's effect is seen as "changed away from an installed font".
    const juce::String installed ("DejaVu Sans");
    auto& lookAndFeel = juce::LookAndFeel::getDefaultLookAndFeel();
    lookAndFeel.setDefaultSansSerifTypefaceName (installed);
    ASSERT_EQ (defaultTypefaceName(), installed) << "needs fonts-dejavu-core";

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.language);
        EXPECT_EQ (TolvoAudioProcessorEditor::typefaceForLanguage (c.language), c.typeface);

        lookAndFeel.setDefaultSansSerifTypefaceName (installed);
        TolvoAudioProcessor processor;
        TestEditor editor (processor, refusingServer(), c.language);

        EXPECT_EQ (defaultTypefaceName() == installed, juce::String (c.typeface).isEmpty());
    }

    lookAndFeel.setDefaultSansSerifTypefaceName ({});
}

TEST (VersionBoxTexts, FollowTheLanguage)
{
    struct Case
    {
        const char* language;
        juce::String title, message, open, later, aboutTitle;
        juce::StringArray roles;
    };

    const juce::String japaneseTitle = utf8 ("\xe6\x96\xb0\xe3\x81\x97\xe3\x81\x84\xe3\x83\x90\xe3\x83\xbc\xe3\x82\xb8\xe3\x83\xa7\xe3\x83\xb3\xe3\x81\xae")
                                       + "Tolvo" + utf8 ("\xe3\x81\x8c\xe3\x83\xaa\xe3\x83\xaa\xe3\x83\xbc\xe3\x82\xb9\xe3\x81\x95\xe3\x82\x8c\xe3\x81\xa6\xe3\x81\x84\xe3\x81\xbe\xe3\x81\x99");
    const Case japanese { "ja-JP", japaneseTitle, utf8 ("Web\xe3\x82\xb5\xe3\x82\xa4\xe3\x83\x88\xe3\x81\x8b\xe3\x82\x89\xe6\x96\xb0\xe3\x81\x97\xe3\x81\x84\xe3\x83\x90\xe3\x83\xbc\xe3\x82\xb8\xe3\x83\xa7\xe3\x83\xb3\xe3\x82\x92\xe5\x85\xa5\xe6\x89\x8b\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x81\x8b\xef\xbc\x9f "), utf8 ("\xe3\x81\xaf\xe3\x81\x84"), utf8 ("\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88"), "Tolvo" + utf8 ("\xe3\x81\xab\xe3\x81\xa4\xe3\x81\x84\xe3\x81\xa6"), { utf8 ("\xe3\x82\xb5\xe3\x82\xa6\xe3\x83\xb3\xe3\x83\x89\xe3\x83\x87\xe3\x82\xb6\xe3\x82\xa4\xe3\x83\xb3 : "), utf8 ("UI\xe3\x83\x87\xe3\x82\xb6\xe3\x82\xa4\xe3\x83\xb3 : "), utf8 ("\xe9\x96\x8b\xe7\x99\xba : "), utf8 ("\xe8\xb2\xa9\xe5\xa3\xb2 : ") } };

    const Case chinese { "zh-CN", utf8 ("\xe6\x96\xb0") + "Tolvo" + utf8 ("\xe5\x8f\x91\xe5\xb8\x83"), utf8 ("\xe4\xbd\xa0\xe6\x83\xb3\xe8\x8e\xb7\xe5\xbe\x97\xe6\x96\xb0\xe7\x89\x88\xe6\x9c\xac\xe5\x90\x97\xef\xbc\x9f"), utf8 ("\xe6\x98\xaf\xe7\x9a\x84"), utf8 ("\xe6\xb2\xa1\xe6\x9c\x89"), utf8 ("\xe5\x85\xb3\xe4\xba\x8e") + "Tolvo", { utf8 ("\xe5\xa3\xb0\xe9\x9f\xb3\xe8\xae\xbe\xe8\xae\xa1 : "), utf8 ("UI\xe8\xae\xbe\xe8\xae\xa1 : "), utf8 ("\xe5\x8f\x91\xe5\xb1\x95 : "), utf8 ("\xe9\x94\x80\xe5\x94\xae : ") } };

    const Case english { "en-US", "New Tolvo is released", "Do you want to get the new version ? ", "Yes, open the webpage", "No, check later", "About Tolvo", { "Sound design : ", "UI Design : ", "Development : ", "Distribute : " } };

    auto as = [] (Case c, const char* language)
    { c.language = language; return c; };

    for (auto& c : { japanese, chinese, as (chinese, "zh-TW"), english, as (english, "de-DE"), as (english, "en") })
    {
        SCOPED_TRACE (c.language);
        const auto question = VersionBox::updateQuestionFor (c.language);
        EXPECT_EQ (question.title, c.title);
        EXPECT_EQ (question.message, c.message);
        EXPECT_EQ (question.openButton, c.open);
        EXPECT_EQ (question.laterButton, c.later);
        EXPECT_EQ (VersionBox::aboutTitleFor (c.language), c.aboutTitle);

        juce::String credits;
        for (auto& role : c.roles)
            credits << role << "KORVALD\n";

        const auto message = VersionBox::aboutMessageFor (c.language);
        EXPECT_TRUE (message.startsWith ("Version:1.0.2\n\n" + credits + "\n")) << message;

        // One closing line, without a line break.
        const auto notice = message.fromLastOccurrenceOf ("\n", false, false);
        EXPECT_TRUE (notice.contains ("KORVALD"));
        EXPECT_EQ (message, "Version:1.0.2\n\n" + credits + "\n" + notice);
    }
}

namespace
{
struct VersionBoxSequence : ::testing::Test
{
    void TearDown() override { closeAllModalWindows(); }

    // Takes the front window's button, then lets the chain go on.
    static void press (const juce::String& buttonText)
    {
        auto* window = frontAlertWindow();
        ASSERT_NE (window, nullptr);
        window->triggerButtonClick (buttonText);
        pumpMessagesFor (30);
    }

    int pagesOpened = 0;
    std::function<void()> openPage = [this]
    { ++pagesOpened; };
};
} // namespace

TEST_F (VersionBoxSequence, WithoutUpdateOnlyTheAboutBoxShows)
{
    VersionBox::show (false, "en-US", openPage);

    auto* about = frontAlertWindow();
    ASSERT_NE (about, nullptr);
    EXPECT_EQ (about->getName(), "About Tolvo");
    EXPECT_EQ (about->getAlertType(), juce::MessageBoxIconType::NoIcon);
    EXPECT_EQ (buttonTexts (*about), juce::StringArray ({ "  OK  " }));

    press ("  OK  ");
    EXPECT_EQ (juce::Component::getNumCurrentlyModalComponents(), 0);
    EXPECT_EQ (pagesOpened, 0);
}

TEST_F (VersionBoxSequence, QuestionComesFirstAndOnlyItsFirstButtonOpensThePage)
{
    // First button: the page, then the About box.
    VersionBox::show (true, "en-US", openPage);
    auto* question = frontAlertWindow();
    ASSERT_NE (question, nullptr);
    EXPECT_EQ (question->getName(), "New Tolvo is released");
    EXPECT_EQ (question->getAlertType(), juce::MessageBoxIconType::WarningIcon);
    EXPECT_EQ (buttonTexts (*question), juce::StringArray ({ "Yes, open the webpage", "No, check later" }));

    press ("Yes, open the webpage");
    EXPECT_EQ (pagesOpened, 1);
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), "About Tolvo");
    press ("  OK  ");

    // Second button: no page, the About box all the same.
    VersionBox::show (true, "ja-JP", openPage);
    press (utf8 ("\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88"));
    EXPECT_EQ (pagesOpened, 1);
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), VersionBox::aboutTitleFor ("ja-JP"));
    press ("  OK  ");

    // Closed some other way: no page, the About box all the same.
    VersionBox::show (true, "zh-CN", openPage);
    ASSERT_NE (frontAlertWindow(), nullptr);
    frontAlertWindow()->exitModalState (0);
    pumpMessagesFor (30);
    EXPECT_EQ (pagesOpened, 1);
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), VersionBox::aboutTitleFor ("zh-CN"));
    press ("  OK  ");

    EXPECT_EQ (juce::Component::getNumCurrentlyModalComponents(), 0);
}

TEST_F (VersionBoxSequence, WordmarkAndBadgeOpenItFromTheWindow)
{
    TolvoAudioProcessor processor;
    TestEditor editor (processor, refusingServer(), "en-US");

    editor.logoButton.triggerClick();
    pumpMessagesFor (30);
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), "About Tolvo");
    press ("  OK  ");

    editor.updateAvailable->store (true);
    editor.noticeButton.triggerClick();
    pumpMessagesFor (30);
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), "New Tolvo is released");
    press ("No, check later");
    ASSERT_NE (frontAlertWindow(), nullptr);
    EXPECT_EQ (frontAlertWindow()->getName(), "About Tolvo");
    press ("  OK  ");
}
