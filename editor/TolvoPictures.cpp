#include "TolvoPictures.h"

#include "ImageResampler.h"
#include "TolvoImages.h"

#include <cmath>
#include <iterator>
#include <string>

namespace
{
struct Data
{
    const char* data;
    int size;
};

// In the order of Id; the binary data names each "<name>_png" and its 2x
// picture "<name>2x_png".
constexpr const char* names[] = { "backgroundOn", "backgroundOff", "enableSwitch", "plusNormal", "plusDown",
                                  "minusNormal", "minusDown", "digitStrip", "decimalPoint", "logo" };
static_assert (std::size (names) == (size_t) TolvoPictures::Id::logo + 1);

Data dataOf (TolvoPictures::Id id, bool high)
{
    const auto name = std::string (names[(size_t) id]) + (high ? "2x_png" : "_png");
    Data d { nullptr, 0 };
    d.data = TolvoImages::getNamedResource (name.c_str(), d.size);
    return d;
}
} // namespace

int TolvoPictures::densityFor (float physicalScale)
{
    // A transform's scale comes with rounding error; 1x means 1x give or take it.
    return physicalScale > 1.001f ? highDensity : 1;
}

int TolvoPictures::densityOf (const juce::Graphics& g)
{
    return densityFor (g.getInternalContext().getPhysicalPixelScaleFactor());
}

juce::Image TolvoPictures::get (Id id, int density)
{
    const auto d = dataOf (id, density > 1);
    return juce::ImageCache::getFromMemory (d.data, d.size);
}

juce::Image TolvoPictures::getResampled (Id id, juce::Rectangle<int> source, float scale)
{
    const auto dense = source * highDensity;
    const auto width = juce::roundToInt ((float) source.getWidth() * scale);
    const auto height = juce::roundToInt ((float) source.getHeight() * scale);
    const auto key = juce::String ("tolvo picture ") + juce::String ((int) id) + " " + dense.toString() + " "
                     + juce::String (width) + " " + juce::String (height);
    const auto hash = key.hashCode64();

    auto image = juce::ImageCache::getFromHashCode (hash);

    if (! image.isValid())
    {
        image = ImageResampler::resampled (get (id, highDensity).getClippedImage (dense), width, height);
        juce::ImageCache::addImageToCache (image, hash);
    }

    return image;
}

std::optional<TolvoPictures::Id> TolvoPictures::idOf (const juce::Image& image)
{
    // While the image is held, the cache gives out the same pixels for it.
    for (auto id : { Id::backgroundOn, Id::backgroundOff, Id::enableSwitch, Id::plusNormal, Id::plusDown,
                     Id::minusNormal, Id::minusDown, Id::digitStrip, Id::decimalPoint, Id::logo })
        if (image == get (id))
            return id;

    return std::nullopt;
}

void TolvoPictures::draw (juce::Graphics& g, Id id, juce::Rectangle<int> source, juce::Point<int> position)
{
    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const auto density = densityFor (scale);
    const auto w = source.getWidth();
    const auto h = source.getHeight();

    if (density == 1)
    {
        g.drawImage (get (id), position.x, position.y, w, h, source.getX(), source.getY(), w, h);
        return;
    }

    if (std::abs (scale - (float) highDensity) > 0.001f)
    {
        // Resampled once to its physical size with a sharp filter and kept;
        // placed on whole physical pixels, with nothing more to filter.
        g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
        g.drawImageTransformed (getResampled (id, source, scale),
                                juce::AffineTransform::scale (1.0f / scale).translated (position.toFloat()));
        return;
    }

    const auto image = get (id, density);
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.drawImage (image, position.x, position.y, w, h,
                 source.getX() * density, source.getY() * density, w * density, h * density);
}

void TolvoPictures::drawAt (juce::Graphics& g, Id id, juce::Point<int> position)
{
    draw (g, id, get (id).getBounds(), position);
}
