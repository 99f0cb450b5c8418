#include "TolvoAudioProcessorEditor.h"

#include "DisplayLanguage.h"
#include "TolvoPictures.h"
#include "UpdateCheck.h"
#include "VersionBox.h"

#include "processor/TolvoParameters.h"

#include <cstdio>
#include <cstring>

namespace
{
using Picture = TolvoPictures::Id;

juce::Image picture (Picture id) { return TolvoPictures::get (id); }

// Unscaled, fully opaque, no overlay in every state; the whole rectangle
// takes clicks.
void setButtonImages (juce::ImageButton& button, const juce::Image& normal,
                      const juce::Image& over, const juce::Image& down)
{
    button.setImages (false, false, false,
                      normal, 1.0f, juce::Colours::transparentBlack,
                      over, 1.0f, juce::Colours::transparentBlack,
                      down, 1.0f, juce::Colours::transparentBlack,
                      0.0f);
}

constexpr int readoutStartX = 217;
constexpr int digitY = 112;
constexpr int pointY = 182;
constexpr int minusShift = 16;
constexpr int minusGlyph = 10;
constexpr int numGlyphs = 11;
} // namespace

TolvoAudioProcessorEditor::TolvoAudioProcessorEditor (TolvoAudioProcessor& p) :
    TolvoAudioProcessorEditor (p, TOLVO_UPDATE_URL, DisplayLanguage::get())
{
}

TolvoAudioProcessorEditor::TolvoAudioProcessorEditor (TolvoAudioProcessor& p,
                                                      const juce::String& server,
                                                      const juce::String& displayLanguage) :
    juce::AudioProcessorEditor (p),
    processor (p),
    displayedLevel (p.levelParam != nullptr ? (double) p.levelParam->get() : 0.0),
    updateAvailable (std::make_shared<std::atomic<bool>> (false)),
    language (displayLanguage),
    updateServer (server)
{
    // Process-wide on purpose: it is the font of the alert windows too.
    const auto typeface = typefaceForLanguage (language);

    if (typeface.isNotEmpty())
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypefaceName (typeface);

    const auto logo = picture (Picture::logo);

    addAndMakeVisible (logoButton);
    logoButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    logoButton.setToggleState (true, juce::dontSendNotification);
    logoButton.addListener (this);
    logoButton.setLookAndFeel (&pictureButtonLookAndFeel);
    setButtonImages (logoButton, logo, logo, logo);

    addAndMakeVisible (noticeButton);
    noticeButton.setLookAndFeel (&noticeButtonLookAndFeel);
    noticeButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    noticeButton.setToggleState (true, juce::dontSendNotification);
    noticeButton.addListener (this);
    noticeButton.setVisible (false);
    setButtonImages (noticeButton, logo, logo, logo);

    addAndMakeVisible (plusButton);
    plusButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    plusButton.addListener (this);
    plusButton.setLookAndFeel (&pictureButtonLookAndFeel);
    setButtonImages (plusButton, picture (Picture::plusNormal), picture (Picture::plusNormal), picture (Picture::plusDown));

    addAndMakeVisible (minusButton);
    minusButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    minusButton.addListener (this);
    minusButton.setLookAndFeel (&pictureButtonLookAndFeel);
    setButtonImages (minusButton, picture (Picture::minusNormal), picture (Picture::minusNormal), picture (Picture::minusDown));

    for (auto* parameter : processor.getParameters())
    {
        if (auto* boolParameter = dynamic_cast<juce::AudioParameterBool*> (parameter))
        {
            if (boolParameter->paramID == TolvoParameters::enableId && enableButton == nullptr)
            {
                enableButton = std::make_unique<juce::ToggleButton>();
                enableButton->setName (boolParameter->name);
                addAndMakeVisible (*enableButton);
                enableButton->setToggleState (true, juce::dontSendNotification);
                enableButton->setMouseCursor (juce::MouseCursor::PointingHandCursor);
                enableButton->addListener (this);
                enableButton->setLookAndFeel (&enableButtonLookAndFeel);
            }
        }
        else if (auto* floatParameter = dynamic_cast<juce::AudioParameterFloat*> (parameter))
        {
            if (floatParameter->paramID != TolvoParameters::levelId)
                juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                                        "ParamError",
                                                        "paramID : " + floatParameter->paramID,
                                                        {});
        }
    }

    setSize (windowWidth, windowHeight);
    startTimer (timerPeriodMs);
}

TolvoAudioProcessorEditor::~TolvoAudioProcessorEditor()
{
    stopTimer();

    // A look and feel must not be destroyed while a button still uses it.
    noticeButton.setLookAndFeel (nullptr);
    logoButton.setLookAndFeel (nullptr);
    plusButton.setLookAndFeel (nullptr);
    minusButton.setLookAndFeel (nullptr);

    if (enableButton != nullptr)
        enableButton->setLookAndFeel (nullptr);
}

juce::String TolvoAudioProcessorEditor::typefaceForLanguage (const juce::String& displayLanguage)
{
    switch (DisplayLanguage::translationFor (displayLanguage))
    {
        case DisplayLanguage::Translation::japanese:
            return "Meiryo UI";
        case DisplayLanguage::Translation::chinese:
            return "Microsoft YaHei UI";
        case DisplayLanguage::Translation::english:
            break;
    }

    return {};
}

void TolvoAudioProcessorEditor::checkForUpdate()
{
    UpdateCheck::startInBackground (updateServer, updateAvailable);
}

void TolvoAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

    if (processor.enableParam != nullptr && processor.enableParam->get())
    {
        TolvoPictures::drawAt (g, Picture::backgroundOn, { 0, 0 });
        drawLevelReadout (g, displayedLevel);
    }
    else
    {
        TolvoPictures::drawAt (g, Picture::backgroundOff, { 0, 0 });
    }
}

void TolvoAudioProcessorEditor::drawLevelReadout (juce::Graphics& g, double levelDb)
{
    // At most four characters; anything longer is cut, not drawn over the panel.
    char text[8] = {};
    std::snprintf (text, 5, "%.1f", levelDb);

    const auto length = (int) std::strlen (text);
    const auto digitWidth = picture (Picture::digitStrip).getWidth();
    const auto pointWidth = picture (Picture::decimalPoint).getWidth();

    auto x = readoutStartX + (4 - length) * digitWidth;

    for (int j = 0; j < length; ++j)
    {
        if (j > 0)
            x += text[j - 1] == '.' ? pointWidth : digitWidth;

        drawReadoutGlyph (g, x, text[j]);
    }
}

void TolvoAudioProcessorEditor::drawReadoutGlyph (juce::Graphics& g, int x, char c)
{
    if (c == '.')
    {
        TolvoPictures::drawAt (g, Picture::decimalPoint, { x, pointY });
        return;
    }

    const auto strip = picture (Picture::digitStrip);
    const auto glyph = (c >= '0' && c <= '9') ? c - '0' : (c == '-' ? minusGlyph : 0);
    const auto glyphWidth = strip.getWidth();
    const auto glyphHeight = strip.getHeight() / numGlyphs;
    const auto drawX = glyph == minusGlyph ? x - minusShift : x;

    TolvoPictures::draw (g, Picture::digitStrip, { 0, glyph * glyphHeight, glyphWidth, glyphHeight },
                         { drawX, digitY });
}

void TolvoAudioProcessorEditor::resized()
{
    const auto switchImage = picture (Picture::enableSwitch);

    if (enableButton != nullptr)
        enableButton->setBounds (26, 18, switchImage.getWidth(), switchImage.getHeight() / 2);

    const auto buttonImage = picture (Picture::plusNormal);
    plusButton.setBounds (245, 240, buttonImage.getWidth(), buttonImage.getHeight());
    minusButton.setBounds (319, 239, buttonImage.getWidth(), buttonImage.getHeight());

    const auto logo = picture (Picture::logo);
    logoButton.setBounds (492, 18, logo.getWidth(), logo.getHeight());
    noticeButton.setBounds (602, 6, 24, 24);
}

void TolvoAudioProcessorEditor::parentHierarchyChanged()
{
    followHostScale();
}

void TolvoAudioProcessorEditor::followHostScale()
{
    if (processor.wrapperType == juce::AudioProcessor::wrapperType_AAX)
        hostWindowScale.follow (*this);
}

void TolvoAudioProcessorEditor::timerCallback()
{
    followHostScale();

    if (enableButton != nullptr && processor.enableParam != nullptr)
        enableButton->setToggleState (processor.enableParam->get(), juce::dontSendNotification);

    if (processor.levelParam != nullptr)
        displayedLevel = (double) processor.levelParam->get();

    if (isShowing())
    {
        // The check waits for the window to be on screen: hosts build editors
        // they never show (to measure them, or while scanning) and may unload
        // the library straight away, which a check still in flight would not
        // survive.
        if (! updateCheckStarted)
        {
            updateCheckStarted = true;
            checkForUpdate();
        }

        noticeButton.setVisible (updateAvailable->load());
        repaint();
    }
}

void TolvoAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == &logoButton || button == &noticeButton)
    {
        showVersionBox();
        return;
    }

    if (button == &plusButton || button == &minusButton)
    {
        if (processor.enableParam != nullptr && processor.enableParam->get())
            stepLevel (button == &plusButton ? 0.1f : -0.1f);

        return;
    }

    for (auto* parameter : processor.getParameters())
    {
        if (parameter->getName (100) != button->getName())
            continue;

        if (auto* boolParameter = dynamic_cast<juce::AudioParameterBool*> (parameter))
        {
            if (enableButton != nullptr && button == enableButton.get())
            {
                boolParameter->beginChangeGesture();
                *boolParameter = button->getToggleState();
                boolParameter->endChangeGesture();
            }
        }

        break;
    }
}

void TolvoAudioProcessorEditor::stepLevel (float stepDb)
{
    // Each step is one host-notified write without a change gesture. The
    // parameter snaps and clamps the value itself; the explicit limits hold
    // should its range ever differ.
    for (auto* parameter : processor.getParameters())
    {
        if (parameter->getName (100) != TolvoParameters::levelName)
            continue;

        if (auto* level = dynamic_cast<juce::AudioParameterFloat*> (parameter))
        {
            *level = level->get() + stepDb;

            if (stepDb > 0.0f && level->get() > TolvoParameters::levelMaximumDb)
                *level = TolvoParameters::levelMaximumDb;
            else if (stepDb < 0.0f && level->get() < TolvoParameters::levelMinimumDb)
                *level = TolvoParameters::levelMinimumDb;
        }
    }
}

void TolvoAudioProcessorEditor::showVersionBox()
{
    VersionBox::show (updateAvailable->load(), language, []
                      { juce::URL (TOLVO_HOME_URL).launchInDefaultBrowser(); });
}
