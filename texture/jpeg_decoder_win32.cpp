// JPEG decoding on Windows through the Windows Imaging Component: the file read into
// memory, a decoder made from it, its first frame converted to 24-bit RGB. WIC reports
// no damage in the image data; the end-marker check both platforms share refuses a
// file cut short, and damaged data in a complete file decodes as WIC makes of it.
#include "texture/jpeg_decoder.h"

#include "texture/jpeg_structure.h"

#include <windows.h>

#include <wincodec.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct WicState {
    bool comInitialised = false;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr; // over the caller's bytes
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    const unsigned char* bytes = nullptr; // the file as read, owned by the caller
    size_t size = 0;
    // A file cut short, with an end marker added: WIC then still reads its header, so
    // the size is logged as on Linux before the image is refused for its missing end.
    std::vector<unsigned char> completed;
};

template <typename T> void releaseInterface(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Channels of the decoded frame: the pixel formats a JPEG decodes to, else what WIC
// says of the format.
int channelCountOf(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    if (IsEqualGUID(format, GUID_WICPixelFormat8bppGray))
        return 1;
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) || IsEqualGUID(format, GUID_WICPixelFormat24bppRGB))
        return 3;
    if (IsEqualGUID(format, GUID_WICPixelFormat32bppCMYK))
        return 4;
    int channels = 0;
    IWICComponentInfo* info = nullptr;
    if (SUCCEEDED(factory->CreateComponentInfo(format, &info))) {
        IWICPixelFormatInfo* pixelInfo = nullptr;
        if (SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(&pixelInfo)))) {
            UINT count = 0;
            if (SUCCEEDED(pixelInfo->GetChannelCount(&count)))
                channels = static_cast<int>(count);
            pixelInfo->Release();
        }
        info->Release();
    }
    return channels;
}

WicState& stateOf(void* state) {
    return *static_cast<WicState*>(state);
}

} // namespace

bool JpegDecoder::init() {
    WicState* wic = new WicState;
    state = wic;
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: already initialised on this thread; RPC_E_CHANGED_MODE: initialised in
    // another mode, which WIC works in too. Only the first two need a matching uninit.
    if (result == S_OK || result == S_FALSE)
        wic->comInitialised = true;
    else if (result != RPC_E_CHANGED_MODE)
        return false;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&wic->factory)));
}

bool JpegDecoder::readHeader(const unsigned char* bytes, size_t size, int& width, int& height,
                             int& channels) {
    if (!state || !stateOf(state).factory)
        return false;
    WicState& wic = stateOf(state);
    releaseInterface(wic.frame);
    releaseInterface(wic.decoder);
    releaseInterface(wic.stream);
    if (!bytes || size == 0 || size > UINT_MAX)
        return false;
    wic.bytes = bytes;
    wic.size = size;
    const unsigned char* input = bytes;
    wic.completed.clear();
    if (!jpegHasEndOfImage(bytes, size) && size + 2 <= UINT_MAX) {
        wic.completed.assign(bytes, bytes + size);
        wic.completed.insert(wic.completed.end(), {0xFF, 0xD9});
        input = wic.completed.data();
    }
    DWORD inputSize = static_cast<DWORD>(input == bytes ? size : wic.completed.size());
    if (FAILED(wic.factory->CreateStream(&wic.stream)) ||
        FAILED(wic.stream->InitializeFromMemory(const_cast<BYTE*>(input), inputSize)) ||
        FAILED(wic.factory->CreateDecoderFromStream(wic.stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                    &wic.decoder)))
        return false;
    // Only a JPEG counts, whatever else WIC could read under the name.
    GUID container;
    if (FAILED(wic.decoder->GetContainerFormat(&container)) ||
        !IsEqualGUID(container, GUID_ContainerFormatJpeg))
        return false;
    if (FAILED(wic.decoder->GetFrame(0, &wic.frame)))
        return false;
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    WICPixelFormatGUID format;
    if (FAILED(wic.frame->GetSize(&frameWidth, &frameHeight)) || FAILED(wic.frame->GetPixelFormat(&format)))
        return false;
    if (frameWidth == 0 || frameHeight == 0 || frameWidth > INT_MAX || frameHeight > INT_MAX)
        return false;
    width = static_cast<int>(frameWidth);
    height = static_cast<int>(frameHeight);
    channels = channelCountOf(wic.factory, format);
    return true;
}

bool JpegDecoder::readImage(unsigned char* rgb, int width, int height, int) {
    if (!state || !stateOf(state).frame || width <= 0 || height <= 0)
        return false;
    WicState& wic = stateOf(state);
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    if (FAILED(wic.frame->GetSize(&frameWidth, &frameHeight)) || frameWidth != static_cast<UINT>(width) ||
        frameHeight != static_cast<UINT>(height))
        return false;
    unsigned long long stride = static_cast<unsigned long long>(width) * 3;
    unsigned long long size = stride * static_cast<unsigned long long>(height);
    if (size > UINT_MAX)
        return false;
    if (!jpegHasEndOfImage(wic.bytes, wic.size))
        return false;

    IWICFormatConverter* converter = nullptr;
    if (FAILED(wic.factory->CreateFormatConverter(&converter)))
        return false;
    bool ok =
        SUCCEEDED(converter->Initialize(wic.frame, GUID_WICPixelFormat24bppRGB, WICBitmapDitherTypeNone,
                                        nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(size), rgb));
    converter->Release();
    if (!ok)
        return false;

    // WIC delivers the top row first; the texture wants the bottom row at t = 0.
    std::vector<unsigned char> row(static_cast<size_t>(stride));
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = rgb + static_cast<size_t>(top) * stride;
        unsigned char* b = rgb + static_cast<size_t>(bottom) * stride;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
    return true;
}

bool JpegDecoder::release() {
    if (!state)
        return true;
    WicState* wic = static_cast<WicState*>(state);
    releaseInterface(wic->frame);
    releaseInterface(wic->decoder);
    releaseInterface(wic->stream);
    releaseInterface(wic->factory);
    if (wic->comInitialised)
        CoUninitialize();
    delete wic;
    state = nullptr;
    return true;
}
