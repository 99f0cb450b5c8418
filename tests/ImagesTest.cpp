// The window is laid out in fixed pixel positions, so every picture must have exactly the size the editor
// assumes. Reads the PNG headers straight from the committed files: no decoder involved.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace
{
struct PngHeader
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    bool endsWithIend = false;
};

constexpr int colourTypeRgba = 6;

std::uint32_t bigEndian32 (const std::vector<unsigned char>& b, size_t at)
{
    return (std::uint32_t (b[at]) << 24) | (std::uint32_t (b[at + 1]) << 16)
           | (std::uint32_t (b[at + 2]) << 8) | std::uint32_t (b[at + 3]);
}

std::string resourcePath (const std::string& name)
{
    return std::string (TOLVO_SOURCE_DIR) + "/resources/" + name;
}

// Signature, then IHDR as the first chunk (length 13), per the PNG format.
std::optional<PngHeader> readPngHeader (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    if (! in)
        return std::nullopt;

    in.seekg (0, std::ios::end);
    const auto size = in.tellg();
    if (size <= 0)
        return std::nullopt;

    std::vector<unsigned char> bytes (static_cast<size_t> (size));
    in.seekg (0);
    in.read (reinterpret_cast<char*> (bytes.data()), size);
    if (! in)
        return std::nullopt;

    static constexpr std::array<unsigned char, 8> signature { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };

    if (bytes.size() < 8 + 8 + 13 + 4 || ! std::equal (signature.begin(), signature.end(), bytes.begin()))
        return std::nullopt;

    if (bigEndian32 (bytes, 8) != 13 || std::string (bytes.begin() + 12, bytes.begin() + 16) != "IHDR")
        return std::nullopt;

    PngHeader h;
    h.width = bigEndian32 (bytes, 16);
    h.height = bigEndian32 (bytes, 20);
    h.bitDepth = bytes[24];
    h.colourType = bytes[25];

    // A truncated file still has a good header; the last chunk must be an empty IEND.
    const size_t n = bytes.size();
    h.endsWithIend = n >= 12 && bigEndian32 (bytes, n - 12) == 0
                     && std::string (bytes.begin() + std::ptrdiff_t (n - 8), bytes.begin() + std::ptrdiff_t (n - 4)) == "IEND";
    return h;
}

struct Expected
{
    const char* file;
    std::uint32_t width;
    std::uint32_t height;
};

// Sizes the editor's layout and readout depend on.
constexpr std::array<Expected, 10> pictures { {
    { "backgroundOn.png", 632, 340 },
    { "backgroundOff.png", 632, 340 },
    { "enableSwitch.png", 58, 116 },
    { "plusNormal.png", 58, 58 },
    { "plusDown.png", 58, 58 },
    { "minusNormal.png", 58, 58 },
    { "minusDown.png", 58, 58 },
    { "digitStrip.png", 51, 913 },
    { "decimalPoint.png", 20, 20 },
    { "logo.png", 123, 41 },
} };
} // namespace

TEST (Images, EveryPictureIsACompletePngOfItsSizeWithAlpha)
{
    for (const auto& p : pictures)
    {
        SCOPED_TRACE (p.file);
        const auto h = readPngHeader (resourcePath (p.file));
        ASSERT_TRUE (h.has_value()) << "missing or not a PNG";
        EXPECT_EQ (h->width, p.width);
        EXPECT_EQ (h->height, p.height);
        // Every picture is drawn over something else: transparent corners and grounds need the alpha channel.
        EXPECT_EQ (h->colourType, colourTypeRgba);
        EXPECT_TRUE (h->endsWithIend) << "truncated";

        // Its denser twin is drawn into the same logical rectangle.
        auto twin = std::string (p.file);
        twin.insert (twin.size() - 4, "@2x");
        const auto h2 = readPngHeader (resourcePath (twin));
        ASSERT_TRUE (h2.has_value()) << twin << " missing or not a PNG";
        EXPECT_EQ (h2->width, 2 * p.width);
        EXPECT_EQ (h2->height, 2 * p.height);
        EXPECT_EQ (h2->colourType, colourTypeRgba);
        EXPECT_TRUE (h2->endsWithIend) << twin << " truncated";
    }
}

TEST (Images, PanelsHaveSixteenBitsPerChannelAndAlpha)
{
    for (const char* file : { "backgroundOn.png", "backgroundOff.png" })
    {
        SCOPED_TRACE (file);
        const auto h = readPngHeader (resourcePath (file));
        ASSERT_TRUE (h.has_value());
        EXPECT_EQ (h->bitDepth, 16);
        EXPECT_EQ (h->colourType, colourTypeRgba);
    }
}

TEST (Images, StripsSplitIntoWholeFrames)
{
    // The switch shows the top half when off and the bottom half when on: two square frames.
    const auto sw = readPngHeader (resourcePath ("enableSwitch.png"));
    ASSERT_TRUE (sw.has_value());
    EXPECT_EQ (sw->height, 2 * sw->width);

    // The readout cuts height / 11 rows per glyph (0..9, minus) and places them 83 rows tall at y 112.
    const auto digits = readPngHeader (resourcePath ("digitStrip.png"));
    ASSERT_TRUE (digits.has_value());
    EXPECT_EQ (digits->height % 11, 0u);
    EXPECT_EQ (digits->height / 11, 83u);
    EXPECT_EQ (digits->width, 51u);
}

TEST (Images, HeaderReaderRejectsWhatIsNotAPng)
{
    EXPECT_FALSE (readPngHeader (resourcePath ("no-such-picture.png")).has_value());
    // The generator script is text: a wrong file must not pass for a picture.
    EXPECT_FALSE (readPngHeader (resourcePath ("generate-images")).has_value());
}
