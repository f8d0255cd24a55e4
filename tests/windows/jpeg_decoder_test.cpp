// JPEG decoding through WIC: images are written by WIC's own JPEG encoder, then read
// back through the decoder, and through the texture loader into a GL texture.
#include "app/gl_window.h"
#include "texture/jpeg_decoder.h"
#include "texture/texture.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <wincodec.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Writes a JPEG of top-row-first pixels in the given WIC pixel format.
bool writeJpeg(const std::string& path, int width, int height, const WICPixelFormatGUID& pixelFormat,
               int bytesPerPixel, const std::vector<unsigned char>& pixels) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::wstring wide(path.begin(), path.end());
    WICPixelFormatGUID format = pixelFormat;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
              IsEqualGUID(format, pixelFormat) &&
              SUCCEEDED(frame->WritePixels(height, width * bytesPerPixel, static_cast<UINT>(pixels.size()),
                                           const_cast<BYTE*>(pixels.data()))) &&
              SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    for (IUnknown* object : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(encoder),
                             static_cast<IUnknown*>(stream), static_cast<IUnknown*>(factory)})
        if (object)
            object->Release();
    CoUninitialize();
    return ok;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(file);
    }
    return bytes;
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// A 16 x 16 image, red in its top half and blue in its bottom half (BGR bytes).
std::vector<unsigned char> redOverBlue() {
    std::vector<unsigned char> bgr(16 * 16 * 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            unsigned char* p = &bgr[(y * 16 + x) * 3];
            p[0] = y < 8 ? 0 : 255;
            p[2] = y < 8 ? 255 : 0;
        }
    return bgr;
}

struct Decoded {
    bool header = false;
    bool image = false;
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> rgb;
};

Decoded decode(const std::string& path) {
    Decoded d;
    std::vector<unsigned char> bytes = readBytes(path);
    JpegDecoder decoder;
    EXPECT_TRUE(decoder.init());
    d.header = decoder.readHeader(bytes.data(), bytes.size(), d.width, d.height, d.channels);
    if (d.header && d.channels == 3) {
        d.rgb.assign(static_cast<size_t>(d.width) * d.height * 3, 0);
        d.image = decoder.readImage(d.rgb.data(), d.width, d.height, d.channels);
    }
    EXPECT_TRUE(decoder.release());
    return d;
}

} // namespace

TEST(JpegDecoderWic, ColourImageComesAsRgbBottomRowFirst) {
    std::string path = makeTempDir() + "\\red_over_blue.jpg";
    ASSERT_TRUE(writeJpeg(path, 16, 16, GUID_WICPixelFormat24bppBGR, 3, redOverBlue()));
    Decoded d = decode(path);
    ASSERT_TRUE(d.header);
    EXPECT_EQ(d.width, 16);
    EXPECT_EQ(d.height, 16);
    EXPECT_EQ(d.channels, 3);
    ASSERT_TRUE(d.image);
    const unsigned char* first = &d.rgb[0];                  // the image's bottom row: blue
    const unsigned char* last = &d.rgb[15 * 16 * 3 + 8 * 3]; // its top row: red
    EXPECT_LT(first[0], 40);
    EXPECT_GT(first[2], 200);
    EXPECT_GT(last[0], 200);
    EXPECT_LT(last[2], 40);
}

TEST(JpegDecoderWic, GreyImageReportsOneChannel) {
    std::string path = makeTempDir() + "\\grey.jpg";
    ASSERT_TRUE(writeJpeg(path, 8, 4, GUID_WICPixelFormat8bppGray, 1, std::vector<unsigned char>(32, 128)));
    Decoded d = decode(path);
    ASSERT_TRUE(d.header);
    EXPECT_EQ(d.channels, 1);
    EXPECT_EQ(d.width, 8);
    EXPECT_EQ(d.height, 4);
}

TEST(JpegDecoderWic, TruncatedMissingAndForeignFilesFail) {
    std::string dir = makeTempDir();
    std::string whole = dir + "\\whole.jpg";
    ASSERT_TRUE(writeJpeg(whole, 16, 16, GUID_WICPixelFormat24bppBGR, 3, redOverBlue()));
    std::vector<unsigned char> bytes = readBytes(whole);

    std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() * 2 / 3));
    writeBytes(dir + "\\cut.jpg", cut);
    Decoded truncated = decode(dir + "\\cut.jpg");
    EXPECT_FALSE(truncated.header && truncated.image);

    writeBytes(dir + "\\header_only.jpg", std::vector<unsigned char>(bytes.begin(), bytes.begin() + 20));
    EXPECT_FALSE(decode(dir + "\\header_only.jpg").header);

    EXPECT_FALSE(decode(dir + "\\missing.jpg").header);

    // A BMP named .jpg: WIC could read it, but it is no JPEG.
    std::vector<unsigned char> bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,  0, 0, 0, 1, 0,
                                      0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,   0, 0, 0, 0, 0,
                                      0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 255, 0, 0, 0};
    writeBytes(dir + "\\bitmap.jpg", bmp);
    EXPECT_FALSE(decode(dir + "\\bitmap.jpg").header);

    Decoded intact = decode(whole);
    EXPECT_TRUE(intact.header && intact.image);
}

// The damaged files the Linux decoder is tested with too: a complete file with damaged
// image data decodes, a file cut short does not.
TEST(JpegDecoderWic, DamagedFilesGetTheVerdictTheyGetOnLinux) {
    const char* dir = std::getenv("QUARN_TEST_JPEG_DIR");
    if (!dir)
        GTEST_SKIP() << "QUARN_TEST_JPEG_DIR not set";
    Decoded damaged = decode(std::string(dir) + "\\damaged.jpg");
    EXPECT_TRUE(damaged.header && damaged.image);
    Decoded truncated = decode(std::string(dir) + "\\truncated.jpg");
    EXPECT_TRUE(truncated.header);
    EXPECT_FALSE(truncated.image);
}

// The texture loader on Windows: a JPEG through WIC into a GL texture of the window's context.
TEST(TextureLoaderWin32, JpegBecomesATextureWithTheBottomRowAtTZero) {
    FatalThrows fatal;
    pumpMessages(0);
    GLWindow window;
    window.setDefaults();
    ASSERT_TRUE(window.create());
    std::string dir = makeTempDir();
    ASSERT_TRUE(
        writeJpeg(dir + "\\red_over_blue.jpg", 16, 16, GUID_WICPixelFormat24bppBGR, 3, redOverBlue()));
    ASSERT_TRUE(writeJpeg(dir + "\\grey.jpg", 8, 8, GUID_WICPixelFormat8bppGray, 1,
                          std::vector<unsigned char>(64, 128)));

    GLuint name = loadTexture((dir + "\\red_over_blue.jpg").c_str());
    ASSERT_NE(name, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), name);
    std::vector<unsigned char> texels(16 * 16 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_GT(texels[2], 200);           // t = 0: the image's bottom row, blue
    EXPECT_GT(texels[15 * 16 * 3], 200); // the top row, red

    std::string grey;
    try {
        loadTexture((dir + "\\grey.jpg").c_str());
    } catch (const FatalText& e) {
        grey = e.what();
    }
    EXPECT_EQ(grey, "Gray scale images not supported\n");
    window.destroy();
}
