#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "TolvoImages.h"

#include <cmath>
#include <vector>

namespace
{
juce::Image picture (const void* data, int size) { return juce::ImageCache::getFromMemory (data, size); }
juce::Image backgroundOn() { return picture (TolvoImages::backgroundOn_png, TolvoImages::backgroundOn_pngSize); }
juce::Image backgroundOff() { return picture (TolvoImages::backgroundOff_png, TolvoImages::backgroundOff_pngSize); }
juce::Image digitStrip() { return picture (TolvoImages::digitStrip_png, TolvoImages::digitStrip_pngSize); }
juce::Image decimalPoint() { return picture (TolvoImages::decimalPoint_png, TolvoImages::decimalPoint_pngSize); }
juce::Image enableSwitch() { return picture (TolvoImages::enableSwitch_png, TolvoImages::enableSwitch_pngSize); }

// The display window of the panel: every glyph lands inside it.
const juce::Rectangle<int> displayArea { 178, 98, 455 - 178, 208 - 98 };

struct Glyph
{
    char c;
    int x, y;
};

// The panel with the given glyphs laid on it straight from the pictures'
// source rectangles.
juce::Image composite (const juce::Image& panel, const std::vector<Glyph>& glyphs)
{
    juce::Image out (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
    juce::Graphics g (out);
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
    g.drawImageAt (panel, 0, 0);

    const auto strip = digitStrip();

    for (auto& glyph : glyphs)
    {
        if (glyph.c == '.')
        {
            g.drawImageAt (decimalPoint(), glyph.x, glyph.y);
            continue;
        }

        const auto k = glyph.c == '-' ? 10 : glyph.c - '0';
        g.drawImage (strip, glyph.x, glyph.y, 51, 83, 0, k * 83, 51, 83);
    }

    return out;
}

// Number of pixels in the area that differ by more than one step in any channel.
int countDifferences (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData db (b, juce::Image::BitmapData::readOnly);
    int differences = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto pa = da.getPixelColour (x, y).getARGB();
            const auto pb = db.getPixelColour (x, y).getARGB();

            for (int shift = 0; shift < 32; shift += 8)
            {
                const auto ca = (int) ((pa >> shift) & 0xff);
                const auto cb = (int) ((pb >> shift) & 0xff);

                if (std::abs (ca - cb) > 1)
                {
                    ++differences;
                    break;
                }
            }
        }
    }

    return differences;
}

void setLevel (TolvoAudioProcessor& p, float db)
{
    p.levelParam->setValueNotifyingHost (p.levelParam->convertTo0to1 (db));
}

void setEnable (TolvoAudioProcessor& p, bool on)
{
    p.enableParam->setValueNotifyingHost (on ? 1.0f : 0.0f);
}

void click (juce::Button& button)
{
    button.triggerClick();
    dispatchPendingMessages();
}

// Counts what reaches the host: value changes and gesture ends.
struct HostRecorder : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++gestureBegins; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++gestureEnds; }

    int changes = 0, gestureBegins = 0, gestureEnds = 0;
};

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor = std::make_unique<TestEditor> (processor);
        processor.addListener (&host);
    }

    void TearDown() override
    {
        processor.removeListener (&host);
        editor.reset();
        closeAllModalWindows();
    }

    juce::Image renderAt (float db)
    {
        setLevel (processor, db);
        editor->timerCallback();
        return editor->render();
    }

    TolvoAudioProcessor processor;
    HostRecorder host;
    std::unique_ptr<TestEditor> editor;
};
} // namespace

TEST_F (EditorWindow, ControlsSitWhereThePanelExpectsThem)
{
    ASSERT_NE (editor->enableButton, nullptr);
    EXPECT_EQ (editor->getWidth(), 632);
    EXPECT_EQ (editor->getHeight(), 340);

    // Later children lie above earlier ones: the badge above the wordmark.
    const std::vector<juce::Component*> order { &editor->logoButton, &editor->noticeButton, &editor->plusButton,
                                                &editor->minusButton, editor->enableButton.get() };
    ASSERT_EQ (editor->getNumChildComponents(), (int) order.size());

    for (int i = 0; i < (int) order.size(); ++i)
        EXPECT_EQ (editor->getChildComponent (i), order[(size_t) i]) << i;

    EXPECT_EQ (editor->enableButton->getBounds(), juce::Rectangle<int> (26, 18, 58, 58));
    EXPECT_EQ (editor->plusButton.getBounds(), juce::Rectangle<int> (245, 240, 58, 58));
    EXPECT_EQ (editor->minusButton.getBounds(), juce::Rectangle<int> (319, 239, 58, 58));
    EXPECT_EQ (editor->logoButton.getBounds(), juce::Rectangle<int> (492, 18, 123, 41));
    EXPECT_EQ (editor->noticeButton.getBounds(), juce::Rectangle<int> (602, 6, 24, 24));
    EXPECT_FALSE (editor->noticeButton.isVisible());
    EXPECT_EQ (editor->enableButton->getName(), "Enable");

    for (auto* control : order)
        EXPECT_EQ (control->getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
}

TEST_F (EditorWindow, ReadoutGlyphsLandOnTheirPositions)
{
    struct Case
    {
        float level;
        std::vector<Glyph> glyphs;
    };

    const std::vector<Case> cases {
        { -6.0f, { { '-', 201, 112 }, { '6', 268, 112 }, { '.', 319, 182 }, { '0', 339, 112 } } },
        { 0.0f, { { '0', 268, 112 }, { '.', 319, 182 }, { '0', 339, 112 } } },
        { -0.1f, { { '-', 201, 112 }, { '0', 268, 112 }, { '.', 319, 182 }, { '1', 339, 112 } } },
    };

    const auto bare = composite (backgroundOn(), {});

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.level);
        const auto rendered = renderAt (c.level);
        const auto expected = composite (backgroundOn(), c.glyphs);

        EXPECT_EQ (countDifferences (rendered, expected, displayArea), 0);

        // Each glyph really shows: its region is not the bare panel.
        for (auto& glyph : c.glyphs)
        {
            const auto area = glyph.c == '.' ? juce::Rectangle<int> (glyph.x, glyph.y, 20, 20)
                                             : juce::Rectangle<int> (glyph.x, glyph.y, 51, 83);
            EXPECT_GT (countDifferences (rendered, bare, area), 0) << glyph.c << " at " << glyph.x;
        }
    }
}

TEST_F (EditorWindow, EnableOffShowsTheUnlitPanelWithoutDigits)
{
    setEnable (processor, false);
    const auto rendered = renderAt (-6.0f);

    EXPECT_EQ (countDifferences (rendered, composite (backgroundOff(), {}), displayArea), 0);
    EXPECT_GT (countDifferences (rendered, composite (backgroundOn(), {}), displayArea), 0);
}

TEST_F (EditorWindow, PlusAndMinusStepClampAndSendNoGesture)
{
    struct Case
    {
        float from;
        bool plus;
        float to;
    };

    const std::vector<Case> cases {
        { -0.05f, true, 0.0f }, // clamped at the top
        { 0.0f, true, 0.0f }, // the limit holds
        { -5.95f, false, -6.0f }, // clamped at the bottom
        { -6.0f, false, -6.0f },
        { -3.0f, true, -2.9f },
        { -3.0f, false, -3.1f },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.from << (c.plus ? " plus" : " minus"));
        setLevel (processor, c.from);
        click (c.plus ? editor->plusButton : editor->minusButton);
        EXPECT_NEAR (processor.levelParam->get(), c.to, 1.0e-4f);
    }

    EXPECT_EQ (host.gestureBegins, 0);
    EXPECT_EQ (host.gestureEnds, 0);

    // A step that changes the value reaches the host.
    setLevel (processor, -3.0f);
    const auto before = host.changes;
    click (editor->plusButton);
    EXPECT_GT (host.changes, before);
}

TEST_F (EditorWindow, WhileOffOnlyTheSwitchWorks)
{
    setLevel (processor, -3.0f);
    setEnable (processor, false);
    editor->timerCallback();
    const auto before = host.changes;

    click (editor->plusButton);
    click (editor->minusButton);
    EXPECT_FLOAT_EQ (processor.levelParam->get(), -3.0f);
    EXPECT_EQ (host.changes, before);

    // The switch turns Enable back on, inside one gesture.
    click (*editor->enableButton);
    EXPECT_TRUE (processor.enableParam->get());
    EXPECT_EQ (host.gestureBegins, 1);
    EXPECT_EQ (host.gestureEnds, 1);

    click (*editor->enableButton);
    EXPECT_FALSE (processor.enableParam->get());
    EXPECT_EQ (host.gestureBegins, 2);
    EXPECT_EQ (host.gestureEnds, 2);
}

TEST_F (EditorWindow, HostChangesShowAtTheNextTickAndAreNotSentBack)
{
    editor->showOnDesktop();
    EXPECT_EQ (editor->getTimerInterval(), 50);

    // By hand: the very next tick shows the change.
    editor->stopTimer();
    setEnable (processor, false);
    setLevel (processor, -3.3f);
    const auto changesFromHost = host.changes;
    EXPECT_TRUE (editor->enableButton->getToggleState());

    editor->timerCallback();
    EXPECT_FALSE (editor->enableButton->getToggleState());
    EXPECT_NEAR (editor->displayedLevel, -3.3, 1.0e-4);

    // With the real timer; the bound leaves room for a loaded machine.
    editor->startTimer (50);
    setEnable (processor, true);
    setLevel (processor, -1.2f);
    const auto changesBeforeTimer = host.changes;
    const auto start = juce::Time::getMillisecondCounterHiRes();

    ASSERT_TRUE (pumpMessagesUntil ([&]
                                    { return editor->enableButton->getToggleState()
                                             && std::abs (editor->displayedLevel + 1.2) < 1.0e-4; },
                                    1000));
    std::cout << "[ measured ] host change shown after "
              << juce::Time::getMillisecondCounterHiRes() - start << " ms\n";

    // Showing the host's values never writes them back.
    pumpMessagesFor (120);
    EXPECT_EQ (host.changes, changesBeforeTimer);
    EXPECT_EQ (changesBeforeTimer, changesFromHost + 2);
    EXPECT_TRUE (processor.enableParam->get());
}

TEST_F (EditorWindow, SwitchShowsTheFrameOfItsState)
{
    auto& button = *editor->enableButton;
    const auto image = enableSwitch();
    const auto offFrame = image.getClippedImage ({ 0, 0, 58, 58 });
    const auto onFrame = image.getClippedImage ({ 0, 58, 58, 58 });

    auto frameOf = [&]
    {
        juce::Image out (juce::Image::ARGB, 58, 58, true);
        juce::Graphics g (out);
        g.drawImageAt (button.createComponentSnapshot (button.getLocalBounds(), true, 1.0f), 0, 0);
        return out;
    };

    auto matches = [] (const juce::Image& rendered, const juce::Image& frame)
    {
        juce::Image expected (juce::Image::ARGB, 58, 58, true);
        juce::Graphics (expected).drawImageAt (frame, 0, 0);
        return countDifferences (rendered, expected, { 0, 0, 58, 58 }) == 0;
    };

    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_TRUE (matches (frameOf(), onFrame));

    button.setToggleState (false, juce::dontSendNotification);
    EXPECT_TRUE (matches (frameOf(), offFrame));

    // Hover, press and the disabled state change nothing; a larger button
    // still shows the frame at its corner at its own size.
    button.setState (juce::Button::buttonOver);
    EXPECT_TRUE (matches (frameOf(), offFrame));
    button.setState (juce::Button::buttonDown);
    EXPECT_TRUE (matches (frameOf(), offFrame));
    button.setState (juce::Button::buttonNormal);
    button.setEnabled (false);
    EXPECT_TRUE (matches (frameOf(), offFrame));
    button.setEnabled (true);

    button.setToggleState (true, juce::dontSendNotification);
    button.setSize (100, 100);
    EXPECT_TRUE (matches (frameOf(), onFrame));
}

TEST_F (EditorWindow, BadgeIsARedDiscWithAWhiteMark)
{
    auto& badge = editor->noticeButton;
    badge.setVisible (true);

    for (auto state : { juce::Button::buttonNormal, juce::Button::buttonOver, juce::Button::buttonDown })
    {
        badge.setState (state);
        const auto image = badge.createComponentSnapshot (badge.getLocalBounds(), true, 1.0f);
        SCOPED_TRACE ((int) state);

        EXPECT_EQ (image.getPixelAt (4, 12).getARGB(), 0xffff0000u); // disc
        EXPECT_EQ (image.getPixelAt (19, 12).getARGB(), 0xffff0000u);
        EXPECT_EQ (image.getPixelAt (15, 8).getARGB(), 0xffff0000u); // beside the bar
        EXPECT_EQ (image.getPixelAt (9, 18).getARGB(), 0xffff0000u); // beside the dot

        for (int y = 4; y < 14; ++y) // bar 4 x 10 at (10, 4)
            for (int x = 10; x < 14; ++x)
                EXPECT_EQ (image.getPixelAt (x, y).getARGB(), 0xffffffffu) << x << "," << y;

        for (int y = 17; y < 21; ++y) // dot 4 x 4 at (10, 17)
            for (int x = 10; x < 14; ++x)
                EXPECT_EQ (image.getPixelAt (x, y).getARGB(), 0xffffffffu) << x << "," << y;

        EXPECT_EQ (image.getPixelAt (12, 15).getARGB(), 0xffff0000u); // gap between them
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0); // outside the disc
    }
}

namespace
{
// A processor with float parameters that the window does not know.
struct ProcessorWithForeignParameters : TolvoAudioProcessor
{
    ProcessorWithForeignParameters()
    {
        addParameter (new juce::AudioParameterFloat (juce::ParameterID { "dbOther", 1 }, "Other", 0.0f, 1.0f, 0.5f));
        addParameter (new juce::AudioParameterFloat (juce::ParameterID { "dbThird", 1 }, "Third", 0.0f, 1.0f, 0.5f));
    }
};

struct AlertRecorder : juce::LookAndFeel_V4
{
    juce::AlertWindow* createAlertWindow (const juce::String& title, const juce::String& message,
                                          const juce::String& button1, const juce::String& button2,
                                          const juce::String& button3, juce::MessageBoxIconType icon,
                                          int numButtons, juce::Component* associated) override
    {
        titles.add (title);
        messages.add (message);
        icons.add (icon);
        return LookAndFeel_V4::createAlertWindow (title, message, button1, button2, button3,
                                                  icon, numButtons, associated);
    }

    juce::StringArray titles, messages;
    juce::Array<juce::MessageBoxIconType> icons;
};
} // namespace

TEST (EditorParameterWalk, EachForeignFloatParameterGetsOneParamErrorBox)
{
    AlertRecorder recorder;
    juce::LookAndFeel::setDefaultLookAndFeel (&recorder);

    {
        ProcessorWithForeignParameters processor;
        TestEditor editor (processor);
        pumpMessagesFor (20);

        EXPECT_EQ (recorder.titles, juce::StringArray ({ "ParamError", "ParamError" }));
        EXPECT_EQ (recorder.messages, juce::StringArray ({ "paramID : dbOther", "paramID : dbThird" }));
        EXPECT_EQ (recorder.icons, juce::Array<juce::MessageBoxIconType> ({ juce::MessageBoxIconType::WarningIcon,
                                                                            juce::MessageBoxIconType::WarningIcon }));

        // The window works as usual.
        ASSERT_NE (editor.enableButton, nullptr);
        processor.levelParam->setValueNotifyingHost (processor.levelParam->convertTo0to1 (-3.0f));
        editor.plusButton.triggerClick();
        dispatchPendingMessages();
        EXPECT_NEAR (processor.levelParam->get(), -2.9f, 1.0e-4f);

        closeAllModalWindows();
    }

    pumpMessagesFor (20);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    // Our own processor raises none.
    AlertRecorder quiet;
    juce::LookAndFeel::setDefaultLookAndFeel (&quiet);
    {
        TolvoAudioProcessor processor;
        TestEditor editor (processor);
        pumpMessagesFor (20);
        EXPECT_TRUE (quiet.titles.isEmpty());
    }
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
