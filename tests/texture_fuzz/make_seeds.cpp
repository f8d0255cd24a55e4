// Writes the seed corpus of the texture fuzz targets: small images of each kind the
// readers take, and a few they refuse. Run from this folder:
//   make_texture_fuzz_seeds corpus
#include "../texture/test_images.h"

#include <jpeglib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

bool save(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

Bytes gradient(int width, int height, int channels) {
    Bytes pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels.push_back(static_cast<unsigned char>(x * 16 + y * 8 + c * 60));
    return pixels;
}

// A JPEG with restart markers every block row, through libjpeg directly.
bool writeJpegWithRestarts(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = 24;
    info.image_height = 16;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.restart_in_rows = 1;
    info.comp_info[0].h_samp_factor = 1; // 4:4:4
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    Bytes pixels = gradient(24, 16, 3);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = pixels.data() + info.next_scanline * 24 * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "corpus";
    bool ok = true;

    TgaFile plain = uncompressedTga(2, 2, gradient(2, 2, 3));
    ok &= save(dir + "/tga/plain.tga", plain.bytes());
    TgaFile top = uncompressedTga(3, 2, gradient(3, 2, 3));
    top.descriptor = 0x20;
    top.idLength = 4;
    top.data.insert(top.data.begin(), {'s', 'e', 'e', 'd'});
    ok &= save(dir + "/tga/top_origin_with_id.tga", top.bytes());
    TgaFile mapped = uncompressedTga(2, 1, gradient(2, 1, 3));
    mapped.colorMapType = 1;
    mapped.colorMapLength = 2;
    mapped.colorMapDepth = 24;
    mapped.data.insert(mapped.data.begin(), 6, 0x42);
    ok &= save(dir + "/tga/colour_map_skipped.tga", mapped.bytes());
    TgaFile rle;
    rle.imageType = 10;
    rle.width = 5;
    rle.height = 2;
    rle.data = {0x83, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x82, 13, 14, 15};
    ok &= save(dir + "/tga/rle.tga", rle.bytes());
    TgaFile deep = plain;
    deep.depth = 32;
    ok &= save(dir + "/tga/depth32.tga", deep.bytes());
    TgaFile grey = plain;
    grey.imageType = 3;
    grey.depth = 8;
    ok &= save(dir + "/tga/grey.tga", grey.bytes());
    Bytes cut = plain.bytes();
    cut.resize(cut.size() - 2);
    ok &= save(dir + "/tga/truncated.tga", cut);

    ok &= writeJpeg(dir + "/jpeg/baseline.jpg", 16, 16, 3, gradient(16, 16, 3), 75);
    ok &= writeJpeg(dir + "/jpeg/progressive.jpg", 17, 9, 3, gradient(17, 9, 3), 50, true);
    ok &= writeJpeg(dir + "/jpeg/grey.jpg", 8, 8, 1, gradient(8, 8, 1), 75);
    ok &= writeJpeg(dir + "/jpeg/cmyk.jpg", 8, 8, 4, gradient(8, 8, 4), 75);
    ok &= writeJpegWithRestarts(dir + "/jpeg/restarts.jpg");
    if (!ok)
        std::fprintf(stderr, "could not write the seeds into %s/tga and %s/jpeg\n", dir.c_str(), dir.c_str());
    return ok ? 0 : 1;
}
