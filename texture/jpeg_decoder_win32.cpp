// JPEG decoding on Windows through the Windows Imaging Component: a decoder made
// from the file name, its first frame converted to 24-bit RGB.
#include "texture/jpeg_decoder.h"

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
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    std::vector<unsigned char> fileBytes; // the file as read, for the end-of-image check
};

template <typename T> void releaseInterface(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

bool readWholeFile(const char* fileName, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return false;
    bytes.clear();
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

// A complete JPEG has an end-of-image marker (FF D9) after its first start-of-scan
// marker (FF DA). Entropy-coded data never holds FF D9 (an FF there is followed by 00
// or a restart marker), so finding it proves the scan data is all there. WIC fills a
// truncated image up with grey and reports success; this check makes it a failure.
bool hasEndOfImage(const std::vector<unsigned char>& bytes) {
    size_t n = bytes.size();
    size_t scan = 0;
    for (size_t i = 2; i + 1 < n; ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
            scan = i + 2;
            break;
        }
    }
    if (scan == 0)
        return false;
    for (size_t i = n - 1; i > scan; --i) {
        if (bytes[i - 1] == 0xFF && bytes[i] == 0xD9)
            return true;
    }
    return false;
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

bool JpegDecoder::readHeader(const char* fileName, int& width, int& height, int& channels) {
    if (!state || !stateOf(state).factory)
        return false;
    WicState& wic = stateOf(state);
    if (!readWholeFile(fileName, wic.fileBytes))
        return false;
    int length = MultiByteToWideChar(CP_ACP, 0, fileName, -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<wchar_t> wideName(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, fileName, -1, wideName.data(), length);

    releaseInterface(wic.frame);
    releaseInterface(wic.decoder);
    if (FAILED(wic.factory->CreateDecoderFromFilename(wideName.data(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, &wic.decoder)))
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
    if (!hasEndOfImage(wic.fileBytes))
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
    releaseInterface(wic->factory);
    if (wic->comInitialised)
        CoUninitialize();
    delete wic;
    state = nullptr;
    return true;
}
