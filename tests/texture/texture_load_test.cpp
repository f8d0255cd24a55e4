// Texture loading on a real offscreen GL context: the GL state after a load, the pixels
// read back from the texture, and every refusal with its text.
#include "log/log.h"
#include "render/gl.h"
#include "support/gl_fixture.h"
#include "support/test_support.h"
#include "test_images.h"
#include "texture/texture.h"

#include <dirent.h>

namespace {

using Pixels = std::vector<unsigned char>;

class TextureLoad : public GLTest {
  protected:
    void writeTga(const std::string& name, const TgaFile& file) {
        ASSERT_TRUE(writeFileBytes(name, file.bytes()));
    }

    // The bound texture's level 0 as RGB rows, the row at t = 0 first.
    Pixels boundTexels(int& width, int& height) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        Pixels texels(static_cast<size_t>(width * height * 3));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    Pixels boundTexels() {
        int width = 0;
        int height = 0;
        return boundTexels(width, height);
    }
};

int boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

int texParameter(GLenum parameter) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

int openFileCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

// Mean absolute difference of a JPEG's pixels from one colour (lossy, so never exact).
bool near(const unsigned char* rgb, int r, int g, int b) {
    return std::abs(rgb[0] - r) <= 8 && std::abs(rgb[1] - g) <= 8 && std::abs(rgb[2] - b) <= 8;
}

// A 16 x 16 picture, top half red and bottom half blue, rows top first.
Pixels redOverBlue(int channels) {
    Pixels pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (channels == 3) {
                Pixels rgb = y < 8 ? Pixels{255, 0, 0} : Pixels{0, 0, 255};
                pixels.insert(pixels.end(), rgb.begin(), rgb.end());
            } else {
                pixels.insert(pixels.end(), static_cast<size_t>(channels), y < 8 ? 200 : 40);
            }
        }
    return pixels;
}

} // namespace

TEST_F(TextureLoad, UploadsATgaAndLeavesItBoundWithTexturingOff) {
    TgaFile red = uncompressedTga(2, 2, {});
    red.data = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
    writeTga("red.tga", red);
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    GLuint name = loadTexture("red.tga");

    EXPECT_NE(name, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(boundTexture(), int(name));
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
    GLint internalFormat = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
    EXPECT_EQ(internalFormat, GL_RGB);
    int width = 0;
    int height = 0;
    Pixels texels = boundTexels(width, height);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(texels, Pixels({255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0}));

    // Every load reads the file again and makes a new texture.
    GLuint second = loadTexture("red.tga");
    EXPECT_NE(second, name);
    EXPECT_EQ(boundTexture(), int(second));
    EXPECT_TRUE(glIsTexture(name));
}

TEST_F(TextureLoad, TheImagesBottomRowLandsAtTZeroWhateverTheTgaOrigin) {
    // 3 x 2 (rows of 9 bytes: the upload must not assume 4-byte row alignment).
    // Top row yellow, white, grey; bottom row red, green, blue.
    const Pixels bottomUp = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 255, 255, 255, 128, 128, 128};
    const Pixels topDown = {255, 255, 0, 255, 255, 255, 128, 128, 128, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    writeTga("bottom.tga", uncompressedTga(3, 2, bottomUp));
    TgaFile top = uncompressedTga(3, 2, topDown);
    top.descriptor = 0x20;
    writeTga("top.tga", top);
    // The same picture run-length encoded, top origin: a raw row, then a raw pixel and a run of 2... not
    // a run here: every pixel differs, so one raw packet of all six.
    TgaFile rle = top;
    rle.imageType = 10;
    rle.data.insert(rle.data.begin(), 0x05);
    writeTga("rle.tga", rle);

    for (const char* name : {"bottom.tga", "top.tga", "rle.tga"}) {
        loadTexture(name);
        EXPECT_EQ(boundTexels(), bottomUp) << name;
    }
}

TEST_F(TextureLoad, JpegRowsLandBottomRowFirstWithTheSizeLogged) {
    ASSERT_TRUE(writeJpeg("wood.jpg", 16, 16, 3, redOverBlue(3)));
    ASSERT_TRUE(writeJpeg("progressive.jpg", 16, 16, 3, redOverBlue(3), 90, true));
    for (const char* name : {"wood.jpg", "progressive.jpg"}) {
        LogMark mark;
        GLuint texture = loadTexture(name);
        EXPECT_EQ(mark.text(), " Image width: 16 Height: 16 BPP: 3\n");
        EXPECT_EQ(boundTexture(), int(texture));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        int width = 0;
        int height = 0;
        Pixels texels = boundTexels(width, height);
        ASSERT_EQ(width, 16);
        ASSERT_EQ(height, 16);
        // The image's bottom half (blue) is the texture's first rows.
        EXPECT_TRUE(near(&texels[0], 0, 0, 255)) << name;
        EXPECT_TRUE(near(&texels[(2 * 16 + 5) * 3], 0, 0, 255)) << name;
        EXPECT_TRUE(near(&texels[(13 * 16 + 5) * 3], 255, 0, 0)) << name;
        EXPECT_TRUE(near(&texels[(15 * 16 + 15) * 3], 255, 0, 0)) << name;
    }
}

TEST_F(TextureLoad, OnlyLowerCaseTgaAndJpgExtensionsAfterTheFirstDotAreSupported) {
    ASSERT_TRUE(writeFileBytes("wood grain.tga", uncompressedTga(1, 1, {1, 2, 3}).bytes()));
    EXPECT_NE(loadTexture("wood grain.tga"), 0u);

    for (const char* name : {"wood.bmp", "wood.TGA", "wood.JPG", "wood.jpeg", "wood", "wood.", "wood.tgaa",
                             "wood.b.tga", "wood.tg", ".tga.x", "wood.tga "}) {
        EXPECT_EQ(fatalTextOf([&] { loadTexture(name); }), "fileformat not supported") << name;
    }
}

TEST_F(TextureLoad, TgaRefusalsNameTheirReason) {
    auto tgaError = [&](const TgaFile& file) {
        EXPECT_TRUE(writeFileBytes("bad.tga", file.bytes()));
        return fatalTextOf([] { loadTexture("bad.tga"); });
    };
    const TgaFile good = uncompressedTga(2, 2, Pixels(12, 7));

    EXPECT_EQ(fatalTextOf([] { loadTexture("missing.tga"); }), "Ops! Could't found");
    TgaFile file = good;
    file.depth = 32;
    file.data.clear(); // refused before any pixel is read
    EXPECT_EQ(tgaError(file), " 32 bits not supported\n");
    file = good;
    file.depth = 16;
    EXPECT_EQ(tgaError(file), " 16 bits not supported\n");
    file = good;
    file.imageType = 1;
    EXPECT_EQ(tgaError(file),
              "TGA image type 1 not supported (only true-colour images, uncompressed or RLE)\n");
    file = good;
    file.width = 0;
    EXPECT_EQ(tgaError(file), "TGA image size 0x2 not supported\n");
    file = good;
    file.width = 9000;
    EXPECT_EQ(tgaError(file), "Image too large: 9000x2 (at most 8192x8192)\n");
    file = good;
    file.data.pop_back();
    EXPECT_EQ(tgaError(file), "TGA file is truncated\n");
    std::vector<unsigned char> header = good.bytes();
    header.resize(10);
    ASSERT_TRUE(writeFileBytes("bad.tga", header));
    EXPECT_EQ(fatalTextOf([] { loadTexture("bad.tga"); }), "TGA file is truncated\n");
    // The largest size the loader takes, in a file of a few bytes: refused without
    // allocating 192 MiB first.
    file = good;
    file.width = 8192;
    file.height = 8192;
    file.imageType = 10;
    EXPECT_EQ(tgaError(file), "TGA file is truncated\n");
}

TEST_F(TextureLoad, JpegRefusalsNameTheirReason) {
    EXPECT_EQ(fatalTextOf([] { loadTexture("missing.jpg"); }), "Ops! Could't found");

    ASSERT_TRUE(writeFileText("text.jpg", "this is not a picture"));
    EXPECT_EQ(fatalTextOf([] { loadTexture("text.jpg"); }), "FUNKAR INTE ATT L\xC4SA HEADER\n");
    ASSERT_TRUE(writeFileText("empty.jpg", ""));
    EXPECT_EQ(fatalTextOf([] { loadTexture("empty.jpg"); }), "FUNKAR INTE ATT L\xC4SA HEADER\n");

    ASSERT_TRUE(writeJpeg("grey.jpg", 16, 16, 1, redOverBlue(1)));
    LogMark mark;
    EXPECT_EQ(fatalTextOf([] { loadTexture("grey.jpg"); }), "Gray scale images not supported\n");
    EXPECT_EQ(mark.text(), " Image width: 16 Height: 16 BPP: 1\nGray scale images not supported\n");

    ASSERT_TRUE(writeJpeg("cmyk.jpg", 16, 16, 4, redOverBlue(4)));
    EXPECT_EQ(fatalTextOf([] { loadTexture("cmyk.jpg"); }), "JPEG images with 4 channels not supported\n");

    ASSERT_TRUE(writeJpeg("whole.jpg", 16, 16, 3, redOverBlue(3)));
    Pixels whole = fileBytes("whole.jpg");
    // Cut inside the image data, after the headers.
    Pixels cut(whole.begin(), whole.end() - 12);
    ASSERT_TRUE(writeFileBytes("cut.jpg", cut));
    EXPECT_EQ(fatalTextOf([] { loadTexture("cut.jpg"); }), "Error reading buffer data\n");

    // A marker in the middle of the image data of a complete file: the decoder warns and
    // fills the rest, and the picture is used, as on Windows.
    Pixels corrupt = whole;
    for (size_t i = 0; i + 3 < corrupt.size(); ++i)
        if (corrupt[i] == 0xff && corrupt[i + 1] == 0xda) {
            size_t data = i + 2 + ((corrupt[i + 2] << 8) | corrupt[i + 3]);
            corrupt[data + 4] = 0xff;
            corrupt[data + 5] = 0xd5;
            break;
        }
    ASSERT_TRUE(writeFileBytes("corrupt.jpg", corrupt));
    EXPECT_EQ(fatalTextOf([] { loadTexture("corrupt.jpg"); }), "<no error>");

    // The frame header's height and width (after FF C0, length and precision) say 9000 x 9000.
    Pixels huge = whole;
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xff && huge[i + 1] == 0xc0) {
            huge[i + 5] = huge[i + 7] = 9000 >> 8;
            huge[i + 6] = huge[i + 8] = 9000 & 0xff;
            break;
        }
    ASSERT_TRUE(writeFileBytes("huge.jpg", huge));
    mark = LogMark();
    EXPECT_EQ(fatalTextOf([] { loadTexture("huge.jpg"); }),
              "Image too large: 9000x9000 (at most 8192x8192)\n");
    EXPECT_EQ(mark.text(),
              " Image width: 9000 Height: 9000 BPP: 3\nImage too large: 9000x9000 (at most 8192x8192)\n");
}

TEST_F(TextureLoad, RefusedFilesLeaveNoFileOpen) {
    ASSERT_TRUE(writeJpeg("grey.jpg", 16, 16, 1, redOverBlue(1)));
    ASSERT_TRUE(writeJpeg("whole.jpg", 16, 16, 3, redOverBlue(3)));
    Pixels whole = fileBytes("whole.jpg");
    ASSERT_TRUE(writeFileBytes("cut.jpg", Pixels(whole.begin(), whole.begin() + 200)));
    ASSERT_TRUE(writeFileText("text.jpg", "no"));
    TgaFile shortTga = uncompressedTga(4, 4, Pixels(30, 1));
    ASSERT_TRUE(writeFileBytes("short.tga", shortTga.bytes()));

    int before = openFileCount();
    for (int round = 0; round < 3; ++round)
        for (const char* name : {"grey.jpg", "cut.jpg", "text.jpg", "short.tga"})
            EXPECT_NE(fatalTextOf([&] { loadTexture(name); }), "<no error>") << name;
    EXPECT_EQ(openFileCount(), before);
}

// The damaged files the Windows decoder is tested with too: a complete file with damaged
// image data is used as decoded, a file cut short is refused.
TEST_F(TextureLoad, DamagedJpegFilesGetTheVerdictTheyGetOnWindows) {
    std::string data = sourceDir() + "/tests/texture/data/";
    EXPECT_EQ(fatalTextOf([&] { loadTexture((data + "damaged.jpg").c_str()); }), "<no error>");
    EXPECT_EQ(fatalTextOf([&] { loadTexture((data + "truncated.jpg").c_str()); }),
              "Error reading buffer data\n");
}
