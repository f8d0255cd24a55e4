// The TGA reader on bytes: pixel order, origins, run-length packets and refusals.
#include "test_images.h"
#include "texture/tga_reader.h"

#include <gtest/gtest.h>

namespace {

using Pixels = std::vector<unsigned char>;

// Four distinct colours in file order: first row (1, 2), second row (3, 4).
const Pixels FOUR = {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};

tga::Status decodeFile(const TgaFile& file, tga::Image& image, int maxSide = 8192) {
    std::vector<unsigned char> bytes = file.bytes();
    return tga::decode(bytes.data(), bytes.size(), maxSide, image);
}

Pixels decoded(const TgaFile& file) {
    tga::Image image;
    EXPECT_EQ(decodeFile(file, image), tga::Status::Ok);
    return image.rgb;
}

} // namespace

TEST(TgaReader, DefaultOriginKeepsFileRowsBottomFirstAndSwapsBlueAndRed) {
    tga::Image image;
    ASSERT_EQ(decodeFile(uncompressedTga(2, 2, FOUR), image), tga::Status::Ok);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb, FOUR);

    // Every pixel stored as (0, 0, 255) is red.
    TgaFile red = uncompressedTga(2, 2, {});
    red.data = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
    EXPECT_EQ(decoded(red), Pixels({255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0}));
}

TEST(TgaReader, TopLeftOriginPutsTheBottomRowFirst) {
    TgaFile file = uncompressedTga(2, 2, FOUR);
    file.descriptor = tga::DESCRIPTOR_TOP_ORIGIN;
    EXPECT_EQ(decoded(file), Pixels({30, 31, 32, 40, 41, 42, 10, 11, 12, 20, 21, 22}));

    file.descriptor = tga::DESCRIPTOR_TOP_ORIGIN | tga::DESCRIPTOR_RIGHT_ORIGIN;
    EXPECT_EQ(decoded(file), Pixels({40, 41, 42, 30, 31, 32, 20, 21, 22, 10, 11, 12}));

    // A 3 x 2 image: rows of 9 bytes, reordered whole.
    Pixels six = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6};
    TgaFile wide = uncompressedTga(3, 2, six);
    wide.descriptor = tga::DESCRIPTOR_TOP_ORIGIN | 0x08; // alpha bits in the low nibble are ignored
    EXPECT_EQ(decoded(wide), Pixels({4, 4, 4, 5, 5, 5, 6, 6, 6, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
}

TEST(TgaReader, SkipsTheImageIdAndAColourMap) {
    TgaFile file = uncompressedTga(2, 2, FOUR);
    file.idLength = 5;
    file.colorMapType = 1;
    file.colorMapLength = 3;
    file.colorMapDepth = 15; // 2 bytes an entry
    Pixels prefix = {'h', 'e', 'l', 'l', 'o', 9, 9, 9, 9, 9, 9};
    file.data.insert(file.data.begin(), prefix.begin(), prefix.end());
    EXPECT_EQ(decoded(file), FOUR);
}

TEST(TgaReader, DecodesRunLengthPacketsAcrossRows) {
    // 3 x 2: a run of 4 blue pixels (crossing into the second row), then 2 raw pixels.
    TgaFile file;
    file.imageType = tga::TYPE_TRUE_COLOR_RLE;
    file.width = 3;
    file.height = 2;
    file.data = {0x83, 255, 0, 0, 0x01, 0, 255, 0, 0, 0, 255};
    EXPECT_EQ(decoded(file), Pixels({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0}));

    // Top origin applies to run-length images too.
    file.descriptor = tga::DESCRIPTOR_TOP_ORIGIN;
    EXPECT_EQ(decoded(file), Pixels({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255}));

    // A run longer than the image is cut at its last pixel.
    TgaFile longRun;
    longRun.imageType = tga::TYPE_TRUE_COLOR_RLE;
    longRun.width = 2;
    longRun.height = 1;
    longRun.data = {0xff, 1, 2, 3};
    EXPECT_EQ(decoded(longRun), Pixels({3, 2, 1, 3, 2, 1}));
}

TEST(TgaReader, RefusesWhatItCannotRead) {
    struct Case {
        uint8_t type;
        uint8_t depth;
        int16_t width;
        int16_t height;
        tga::Status status;
    };
    const Case cases[] = {
        {2, 32, 2, 2, tga::Status::Depth32},          {10, 32, 2, 2, tga::Status::Depth32},
        {1, 24, 2, 2, tga::Status::UnsupportedType}, // colour-mapped
        {1, 32, 2, 2, tga::Status::Depth32},         // 32 bits is named first, as it always was
        {3, 8, 2, 2, tga::Status::UnsupportedType},  // grey scale
        {9, 8, 2, 2, tga::Status::UnsupportedType},  // colour-mapped RLE
        {11, 8, 2, 2, tga::Status::UnsupportedType}, // grey-scale RLE
        {0, 24, 2, 2, tga::Status::UnsupportedType}, // no image
        {2, 16, 2, 2, tga::Status::UnsupportedDepth}, {2, 25, 2, 2, tga::Status::UnsupportedDepth},
        {2, 24, 0, 2, tga::Status::BadSize},          {2, 24, 2, -3, tga::Status::BadSize},
        {2, 24, 8193, 1, tga::Status::TooLarge},      {10, 24, 1, 8193, tga::Status::TooLarge},
    };
    for (const Case& c : cases) {
        TgaFile file = uncompressedTga(2, 2, FOUR);
        file.imageType = c.type;
        file.depth = c.depth;
        file.width = c.width;
        file.height = c.height;
        tga::Image image;
        EXPECT_EQ(decodeFile(file, image), c.status) << "type " << int(c.type) << " depth " << int(c.depth);
    }
}

TEST(TgaReader, TruncatedFilesAreRefusedWithoutReadingPastTheirEnd) {
    std::vector<unsigned char> whole = uncompressedTga(2, 2, FOUR).bytes();
    tga::Image image;
    for (size_t size = 0; size < whole.size(); ++size) {
        // An exact-size copy, so the sanitizers see any read past the end.
        std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<long>(size));
        EXPECT_EQ(tga::decode(cut.data(), cut.size(), 8192, image), tga::Status::Truncated) << size;
    }

    TgaFile rle;
    rle.imageType = tga::TYPE_TRUE_COLOR_RLE;
    rle.width = 4;
    rle.height = 1;
    rle.data = {0x01, 1, 1, 1, 2, 2, 2, 0x81, 3, 3, 3};
    std::vector<unsigned char> rleBytes = rle.bytes();
    ASSERT_EQ(tga::decode(rleBytes.data(), rleBytes.size(), 8192, image), tga::Status::Ok);
    for (size_t size = tga::HEADER_SIZE; size < rleBytes.size(); ++size) {
        std::vector<unsigned char> cut(rleBytes.begin(), rleBytes.begin() + static_cast<long>(size));
        EXPECT_EQ(tga::decode(cut.data(), cut.size(), 8192, image), tga::Status::Truncated) << size;
    }

    // An image ID longer than the file.
    TgaFile id = uncompressedTga(1, 1, {1, 2, 3});
    id.idLength = 200;
    std::vector<unsigned char> idBytes = id.bytes();
    EXPECT_EQ(tga::decode(idBytes.data(), idBytes.size(), 8192, image), tga::Status::Truncated);
}

TEST(TgaReader, AFileTooShortForItsClaimedSizeIsRefusedBeforeAllocating) {
    TgaFile huge;
    huge.width = 8192;
    huge.height = 8192;
    huge.data.assign(100, 0);
    tga::Header header = tga::parseHeader(huge.bytes().data());
    EXPECT_FALSE(tga::canHoldPixels(header, 100));
    EXPECT_TRUE(tga::canHoldPixels(header, size_t(8192) * 8192 * 3));
    EXPECT_FALSE(tga::canHoldPixels(header, size_t(8192) * 8192 * 3 - 1));
    // Reading from a file never needs more than the longest encoding.
    EXPECT_EQ(tga::maxDataSize(header), size_t(8192) * 8192 * 3);

    // Run-length: 4 bytes hold at most one run of 128 pixels.
    huge.imageType = tga::TYPE_TRUE_COLOR_RLE;
    huge.width = 128;
    huge.height = 1;
    header = tga::parseHeader(huge.bytes().data());
    EXPECT_TRUE(tga::canHoldPixels(header, 4));
    huge.width = 129;
    header = tga::parseHeader(huge.bytes().data());
    EXPECT_FALSE(tga::canHoldPixels(header, 4));
    EXPECT_TRUE(tga::canHoldPixels(header, 5));
}
