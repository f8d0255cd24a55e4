// JPEG decoding on Linux with libjpeg-turbo. Errors inside the library come back
// through a jump to the step that called it, which then reports false. Warnings
// (damaged data) are not failures: a file cut short is refused by the end-marker check
// both platforms share, and damaged data in a complete file decodes as the library
// makes of it, as on Windows.
#include "texture/jpeg_decoder.h"

#include "texture/jpeg_structure.h"

#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// Progressive images with more scans than this are refused: every scan passes over
// the whole image, so a small hostile file could otherwise keep the decoder busy for
// minutes. Real encoders write about ten.
constexpr int MAX_SCANS = 500;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

struct ProgressMonitor {
    jpeg_progress_mgr base;
    j_decompress_ptr info;
};

struct State {
    jpeg_decompress_struct info;
    ErrorManager errors;
    ProgressMonitor progress;
    const unsigned char* bytes = nullptr; // the whole file: the decoder reads from memory
    size_t size = 0;
    bool created = false;
};

void onError(j_common_ptr info) {
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(errors->jump, 1);
}

// The library's text output is not wanted: the loader writes its own messages.
void onOutputMessage(j_common_ptr) {}

void onProgress(j_common_ptr info) {
    j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->is_decompressor && decompress->input_scan_number > MAX_SCANS)
        info->err->error_exit(info);
}

State* stateOf(JpegDecoder& decoder) {
    return static_cast<State*>(decoder.state);
}

// Each step that enters the library keeps the jump target in a function of its own with
// nothing to destroy, so the jump skips no destructor.
bool createDecompress(State* s) {
    if (setjmp(s->errors.jump))
        return false;
    jpeg_create_decompress(&s->info);
    s->created = true;
    return true;
}

bool readHeaderFrom(State* s, int& width, int& height, int& channels) {
    if (setjmp(s->errors.jump))
        return false;
    jpeg_mem_src(&s->info, s->bytes, static_cast<unsigned long>(s->size));
    if (jpeg_read_header(&s->info, TRUE) != JPEG_HEADER_OK)
        return false;
    width = static_cast<int>(s->info.image_width);
    height = static_cast<int>(s->info.image_height);
    channels = s->info.num_components;
    return true;
}

bool decodeRows(State* s, unsigned char* rgb, int width, int height) {
    if (setjmp(s->errors.jump))
        return false;
    s->info.out_color_space = JCS_RGB;
    s->info.scale_num = 1;
    s->info.scale_denom = 1;
    jpeg_start_decompress(&s->info);
    if (static_cast<int>(s->info.output_width) != width ||
        static_cast<int>(s->info.output_height) != height || s->info.output_components != 3) {
        jpeg_abort_decompress(&s->info);
        return false;
    }
    // The file's first row is the image's top row: it goes last, so the bottom row
    // comes first.
    size_t stride = static_cast<size_t>(width) * 3;
    while (s->info.output_scanline < s->info.output_height) {
        JSAMPROW row = rgb + (static_cast<size_t>(height) - 1 - s->info.output_scanline) * stride;
        if (jpeg_read_scanlines(&s->info, &row, 1) != 1) {
            jpeg_abort_decompress(&s->info);
            return false;
        }
    }
    jpeg_finish_decompress(&s->info);
    return true;
}

} // namespace

bool JpegDecoder::init() {
    if (state)
        release();
    State* s = new (std::nothrow) State();
    if (!s)
        return false;
    s->info.err = jpeg_std_error(&s->errors.base);
    s->errors.base.error_exit = onError;
    s->errors.base.output_message = onOutputMessage;
    state = s;
    if (!createDecompress(s))
        return false;
    // Beyond this the library refuses the image (it has no backing store to spill to).
    s->info.mem->max_memory_to_use = JPEG_DECODER_MEMORY_LIMIT;
    s->progress.base.progress_monitor = onProgress;
    s->progress.info = &s->info;
    s->info.progress = &s->progress.base;
    return true;
}

bool JpegDecoder::readHeader(const unsigned char* bytes, size_t size, int& width, int& height,
                             int& channels) {
    State* s = stateOf(*this);
    if (!s || !s->created || s->bytes || !bytes || size == 0)
        return false;
    s->bytes = bytes;
    s->size = size;
    return readHeaderFrom(s, width, height, channels);
}

bool JpegDecoder::readImage(unsigned char* rgb, int width, int height, int channels) {
    State* s = stateOf(*this);
    if (!s || !s->bytes || channels != 3 || width <= 0 || height <= 0)
        return false;
    if (!jpegHasEndOfImage(s->bytes, s->size))
        return false;
    return decodeRows(s, rgb, width, height);
}

bool JpegDecoder::release() {
    State* s = stateOf(*this);
    if (!s)
        return true;
    if (s->created)
        jpeg_destroy_decompress(&s->info);
    delete s;
    state = nullptr;
    return true;
}
