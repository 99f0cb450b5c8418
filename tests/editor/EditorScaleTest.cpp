#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editor/ImageResampler.h"
#include "editor/TolvoPictures.h"

#include "TolvoImages.h"

#include <chrono>
#include <cmath>
#include <vector>

namespace
{
using Picture = TolvoPictures::Id;

struct Placed
{
    Picture id;
    juce::Rectangle<int> source; // logical pixels
    int x, y;
};

// The window as its pictures make it at a density: each picture's part
// copied pixel for pixel to its logical place times the density.
juce::Image pictureWindow (int density, const std::vector<Placed>& parts)
{
    juce::Image out (juce::Image::ARGB, 632 * density, 340 * density, true);
    juce::Graphics g (out);
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);

    for (auto& p : parts)
    {
        const auto s = p.source * density;
        g.drawImage (TolvoPictures::get (p.id, density).getClippedImage (s), p.x * density, p.y * density, s.getWidth(), s.getHeight(),
                     0, 0, s.getWidth(), s.getHeight());
    }

    return out;
}

// Level -6.0 with Enable on: the panel, four glyphs and the four controls.
std::vector<Placed> windowAtMinusSix()
{
    const juce::Rectangle<int> glyph { 51, 83 };
    return {
        { Picture::backgroundOn, { 632, 340 }, 0, 0 },
        { Picture::digitStrip, glyph.withY (10 * 83), 201, 112 },
        { Picture::digitStrip, glyph.withY (6 * 83), 268, 112 },
        { Picture::decimalPoint, { 20, 20 }, 319, 182 },
        { Picture::digitStrip, glyph, 339, 112 },
        { Picture::logo, { 123, 41 }, 492, 18 },
        { Picture::plusNormal, { 58, 58 }, 245, 240 },
        { Picture::minusNormal, { 58, 58 }, 319, 239 },
        { Picture::enableSwitch, { 0, 58, 58, 58 }, 26, 18 },
    };
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData db (b, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (da.getPixelColour (x, y) != db.getPixelColour (x, y))
                return false;

    return true;
}

// Sharpness: the mean length of the luminance gradient (forward differences,
// luminance 0..1), per physical pixel.
double meanGradient (const juce::Image& image)
{
    const juce::Image::BitmapData d (image, juce::Image::BitmapData::readOnly);
    auto luma = [&] (int x, int y)
    {
        const auto c = d.getPixelColour (x, y);
        return (0.2126 * c.getRed() + 0.7152 * c.getGreen() + 0.0722 * c.getBlue()) / 255.0;
    };

    double sum = 0.0;

    for (int y = 0; y + 1 < image.getHeight(); ++y)
        for (int x = 0; x + 1 < image.getWidth(); ++x)
            sum += std::hypot (luma (x + 1, y) - luma (x, y), luma (x, y + 1) - luma (x, y));

    return sum / ((image.getWidth() - 1) * (image.getHeight() - 1));
}

// The 1x window enlarged, smoothly or into blocks of pixels.
juce::Image enlarged (const juce::Image& image, juce::Rectangle<int> size, juce::Graphics::ResamplingQuality quality)
{
    juce::Image out (juce::Image::ARGB, size.getWidth(), size.getHeight(), true);
    juce::Graphics g (out);
    g.setImageResamplingQuality (quality);
    g.drawImage (image, size.toFloat());
    return out;
}

class WindowScale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor.levelParam->setValueNotifyingHost (processor.levelParam->convertTo0to1 (-6.0f));
        editor = std::make_unique<TestEditor> (processor);
        editor->setVisible (true); // so that it takes clicks
        editor->timerCallback();
    }

    juce::Image renderAt (float scale) { return editor->createComponentSnapshot (editor->getLocalBounds(), true, scale); }

    TolvoAudioProcessor processor;
    std::unique_ptr<TestEditor> editor;
};
} // namespace

TEST_F (WindowScale, EachScaleDrawsItsPicturesIntoTheSameLayout)
{
    const auto at1x = pictureWindow (1, windowAtMinusSix());
    const auto at2x = pictureWindow (2, windowAtMinusSix());

    // In turns, as when the window moves between screens: each change is
    // followed at the next paint, and 1x is always the 1x pictures as they are.
    for (auto scale : { 1.0f, 2.0f, 1.5f, 1.0f, 2.0f, 1.25f, 3.0f, 1.0f })
    {
        SCOPED_TRACE (scale);
        const auto rendered = renderAt (scale);

        EXPECT_EQ (rendered.getWidth(), juce::roundToInt (632 * scale));
        EXPECT_EQ (rendered.getHeight(), juce::roundToInt (340 * scale));

        if (scale == 1.0f)
        {
            EXPECT_TRUE (samePixels (rendered, at1x));
        }
        else if (scale == 2.0f)
        {
            EXPECT_TRUE (samePixels (rendered, at2x));
        }

        // Layout and hit areas stay in logical pixels.
        EXPECT_EQ (editor->plusButton.getBounds(), juce::Rectangle<int> (245, 240, 58, 58));
        EXPECT_EQ (editor->minusButton.getBounds(), juce::Rectangle<int> (319, 239, 58, 58));
        EXPECT_EQ (editor->logoButton.getBounds(), juce::Rectangle<int> (492, 18, 123, 41));
        EXPECT_EQ (editor->enableButton->getBounds(), juce::Rectangle<int> (26, 18, 58, 58));
        EXPECT_EQ (editor->getComponentAt (245, 240), &editor->plusButton);
        EXPECT_EQ (editor->getComponentAt (302, 297), &editor->plusButton);
    }
}

// Each picture from its own data at each density, decoded here apart from the
// image cache; the 2x one twice as wide and high.
TEST (TolvoPictures, EachIdGivesItsOwnPictureAtEachDensity)
{
    namespace I = TolvoImages;

    struct Data
    {
        const char* data;
        int size;
    };
    struct Case
    {
        Picture id;
        Data at1x, at2x;
    };
    const Case cases[] = {
        { Picture::backgroundOn, { I::backgroundOn_png, I::backgroundOn_pngSize }, { I::backgroundOn2x_png, I::backgroundOn2x_pngSize } },
        { Picture::backgroundOff, { I::backgroundOff_png, I::backgroundOff_pngSize }, { I::backgroundOff2x_png, I::backgroundOff2x_pngSize } },
        { Picture::enableSwitch, { I::enableSwitch_png, I::enableSwitch_pngSize }, { I::enableSwitch2x_png, I::enableSwitch2x_pngSize } },
        { Picture::plusNormal, { I::plusNormal_png, I::plusNormal_pngSize }, { I::plusNormal2x_png, I::plusNormal2x_pngSize } },
        { Picture::plusDown, { I::plusDown_png, I::plusDown_pngSize }, { I::plusDown2x_png, I::plusDown2x_pngSize } },
        { Picture::minusNormal, { I::minusNormal_png, I::minusNormal_pngSize }, { I::minusNormal2x_png, I::minusNormal2x_pngSize } },
        { Picture::minusDown, { I::minusDown_png, I::minusDown_pngSize }, { I::minusDown2x_png, I::minusDown2x_pngSize } },
        { Picture::digitStrip, { I::digitStrip_png, I::digitStrip_pngSize }, { I::digitStrip2x_png, I::digitStrip2x_pngSize } },
        { Picture::decimalPoint, { I::decimalPoint_png, I::decimalPoint_pngSize }, { I::decimalPoint2x_png, I::decimalPoint2x_pngSize } },
        { Picture::logo, { I::logo_png, I::logo_pngSize }, { I::logo2x_png, I::logo2x_pngSize } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((int) c.id);
        const auto at1x = TolvoPictures::get (c.id, 1);
        const auto at2x = TolvoPictures::get (c.id, 2);
        ASSERT_TRUE (at1x.isValid());
        ASSERT_TRUE (at2x.isValid());
        EXPECT_EQ (at2x.getBounds(), at1x.getBounds() * 2);
        EXPECT_TRUE (samePixels (at1x, juce::ImageFileFormat::loadFrom (c.at1x.data, (size_t) c.at1x.size)));
        EXPECT_TRUE (samePixels (at2x, juce::ImageFileFormat::loadFrom (c.at2x.data, (size_t) c.at2x.size)));
    }
}

TEST_F (WindowScale, AboveOneIsSharperThanTheOneTimesWindowEnlarged)
{
    const auto at1x = renderAt (1.0f);

    for (auto scale : { 1.25f, 1.5f, 2.0f, 3.0f })
    {
        SCOPED_TRACE (scale);
        const auto rendered = renderAt (scale);
        const auto sharp = meanGradient (rendered);
        const auto smooth = meanGradient (enlarged (at1x, rendered.getBounds(), juce::Graphics::highResamplingQuality));
        const auto blocks = meanGradient (enlarged (at1x, rendered.getBounds(), juce::Graphics::lowResamplingQuality));

        std::cout << "[ measured ] mean luminance gradient at " << scale << "x: " << sharp << "; the 1x window enlarged: "
                  << smooth << " smoothly (ratio " << sharp / smooth << "), " << blocks << " in blocks (ratio "
                  << sharp / blocks << ")\n";
        EXPECT_GT (sharp, 1.1 * smooth);
        EXPECT_GT (sharp, blocks);
    }
}

// A figure for the notes, not a limit: one whole paint, as each 50 ms tick asks.
TEST_F (WindowScale, MeasuresOnePaint)
{
    for (auto scale : { 1.0f, 1.5f, 2.0f })
    {
        juce::Image target (juce::Image::ARGB, juce::roundToInt (632 * scale), juce::roundToInt (340 * scale), true);
        juce::Graphics g (target);
        g.addTransform (juce::AffineTransform::scale (scale));
        editor->paintEntireComponent (g, true); // decodes the pictures once

        constexpr int paints = 40;
        const auto start = std::chrono::steady_clock::now();

        for (int i = 0; i < paints; ++i)
            editor->paintEntireComponent (g, true);

        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        std::cout << "[ measured ] one paint at " << scale << "x: " << elapsed.count() / paints << " ms\n";
    }
}

TEST (ImageResampler, KeepsFlatColourAndAnImageAtItsOwnSize)
{
    // Edges and ripples must leave a flat colour as it was, to the borders.
    for (auto colour : { juce::Colour (0xff804020), juce::Colour (0x80ff8000), juce::Colour (0x00000000) })
    {
        juce::Image flat (juce::Image::ARGB, 40, 30, false);
        flat.clear (flat.getBounds(), colour);
        const auto expected = flat.getPixelAt (0, 0);

        for (auto size : { juce::Point<int> (30, 23), juce::Point<int> (21, 15), juce::Point<int> (61, 45), juce::Point<int> (40, 30) })
        {
            SCOPED_TRACE (testing::Message() << colour.toString() << " to " << size.x << "x" << size.y);
            const auto out = ImageResampler::resampled (flat, size.x, size.y);
            ASSERT_EQ (out.getBounds(), juce::Rectangle<int> (size.x, size.y));
            int off = 0;

            for (int y = 0; y < size.y; ++y)
                for (int x = 0; x < size.x; ++x)
                    if (out.getPixelAt (x, y) != expected)
                        ++off;

            EXPECT_EQ (off, 0);
        }
    }

    // At its own size a picture comes back as it is.
    const auto strip = TolvoPictures::get (Picture::digitStrip, 2);
    EXPECT_TRUE (samePixels (ImageResampler::resampled (strip, strip.getWidth(), strip.getHeight()),
                             strip.convertedToFormat (juce::Image::ARGB)));
}
