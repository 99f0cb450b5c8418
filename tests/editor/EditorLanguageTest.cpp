#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editor/DisplayLanguage.h"
#include "editor/UpdateCheck.h"
#include "editor/VersionBox.h"

#include <cstdlib>

namespace
{
juce::String utf8 (const char* bytes) { return juce::String (juce::CharPointer_UTF8 (bytes)); }
juce::String text (const char* plainUtf8) { return utf8 (plainUtf8); }

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

    // The texts as the translators' tables give them, typed in plain UTF-8
    // rather than copied from the code, so a slip on either side shows.
    const Case japanese { "ja-JP",
                          text (u8"新しいバージョンの") + "Tolvo" + text (u8"がリリースされています"),
                          text (u8"Webサイトから新しいバージョンを入手しますか？ "),
                          text (u8"はい"),
                          text (u8"いいえ"),
                          "Tolvo" + text (u8"について"),
                          { text (u8"サウンドデザイン : "), text (u8"UIデザイン : "), text (u8"開発 : "), text (u8"販売 : ") } };

    const Case chinese { "zh-CN",
                         text (u8"新") + "Tolvo" + text (u8"发布"),
                         text (u8"你想获得新版本吗？"),
                         text (u8"是的"),
                         text (u8"没有"),
                         text (u8"关于") + "Tolvo",
                         { text (u8"声音设计 : "), text (u8"UI设计 : "), text (u8"发展 : "), text (u8"销售 : ") } };

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
            credits << role << JucePlugin_Manufacturer << "\n";

        const auto message = VersionBox::aboutMessageFor (c.language);
        EXPECT_TRUE (message.startsWith (juce::String ("Version:") + JucePlugin_VersionString + "\n\n" + credits + "\n")) << message;

        // One closing line, without a line break.
        const auto notice = message.fromLastOccurrenceOf ("\n", false, false);
        EXPECT_TRUE (notice.contains (JucePlugin_Manufacturer));
        EXPECT_EQ (message, juce::String ("Version:") + JucePlugin_VersionString + "\n\n" + credits + "\n" + notice);
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
    press (text (u8"いいえ"));
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
