#include "audio/mp3_stream_win32.h"

#include "log/regular_file.h"

#include <windows.h>

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// ---- MP3 frame headers -------------------------------------------------------------

struct FrameHeader {
    int version = 0;
    int sampleRate = 0;
    int channels = 0;
    int bitrate = 0;
    int samplesPerFrame = 0;
    bool crc = false;
    size_t length = 0;
};

// Reads the layer III frame header at `at`; false when there is none.
bool readFrameHeader(const std::vector<unsigned char>& b, size_t at, FrameHeader& h) {
    static const int bitratesMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320, 0};
    static const int bitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int ratesMpeg1[3] = {44100, 48000, 32000};
    if (at + 4 > b.size() || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0)
        return false;
    int versionBits = (b[at + 1] >> 3) & 3;
    int layerBits = (b[at + 1] >> 1) & 3;
    int bitrateIndex = b[at + 2] >> 4;
    int rateIndex = (b[at + 2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    int divisor = h.version == 1 ? 1 : h.version == 2 ? 2 : 4;
    h.sampleRate = ratesMpeg1[rateIndex] / divisor;
    h.bitrate = 1000 * (h.version == 1 ? bitratesMpeg1 : bitratesMpeg2)[bitrateIndex];
    h.samplesPerFrame = h.version == 1 ? 1152 : 576;
    h.channels = (b[at + 3] >> 6) == 3 ? 1 : 2;
    h.crc = (b[at + 1] & 1) == 0;
    int padding = (b[at + 2] >> 1) & 1;
    h.length = static_cast<size_t>(h.samplesPerFrame / 8 * h.bitrate / h.sampleRate + padding);
    return true;
}

bool sameStream(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

// A frame at `at` that fits in the file and is followed by another frame of the
// same stream, or by the end of the file: so a stray FF Ex byte pair is not taken
// for a frame.
bool frameAt(const std::vector<unsigned char>& b, size_t at, FrameHeader& h, const FrameHeader* like) {
    if (!readFrameHeader(b, at, h) || at + h.length > b.size())
        return false;
    if (like && !sameStream(h, *like))
        return false;
    size_t next = at + h.length;
    if (next == b.size() || next + 128 == b.size()) // the end, or an ID3v1 tag before it
        return true;
    FrameHeader following;
    return readFrameHeader(b, next, following) && sameStream(h, following);
}

size_t id3v2Size(const std::vector<unsigned char>& b) {
    if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3')
        return 0;
    size_t size = (size_t(b[6] & 0x7F) << 21) | (size_t(b[7] & 0x7F) << 14) | (size_t(b[8] & 0x7F) << 7) |
                  size_t(b[9] & 0x7F);
    size_t footer = (b[5] & 0x10) ? 10 : 0;
    return 10 + size + footer;
}

uint32_t bigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The encoder's info frame ("Xing"/"Info", or "VBRI") holds no audio. Its LAME
// extension tells how many samples the encoder added at the start (delay) and the
// end (padding) of the stream.
bool readInfoFrame(const std::vector<unsigned char>& b, size_t at, const FrameHeader& h, int& delay,
                   int& padding) {
    delay = -1;
    padding = -1;
    size_t end = at + h.length;
    size_t sideInfo = h.version == 1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    size_t tag = at + 4 + (h.crc ? 2 : 0) + sideInfo;
    if (at + 4 + 32 + 4 <= end && std::memcmp(&b[at + 4 + 32], "VBRI", 4) == 0)
        return true;
    if (tag + 8 > end || (std::memcmp(&b[tag], "Xing", 4) != 0 && std::memcmp(&b[tag], "Info", 4) != 0))
        return false;
    uint32_t flags = bigEndian32(&b[tag + 4]);
    size_t lame = tag + 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) +
                  ((flags & 8) ? 4 : 0);
    if (lame + 24 <= end && (std::memcmp(&b[lame], "LAME", 4) == 0 || std::memcmp(&b[lame], "Lavc", 4) == 0 ||
                             std::memcmp(&b[lame], "Lavf", 4) == 0)) {
        delay = (b[lame + 21] << 4) | (b[lame + 22] >> 4);
        padding = ((b[lame + 22] & 0x0F) << 8) | b[lame + 23];
    }
    return true;
}

// The filter bank of every layer III decoder delays its output by this many samples.
const int DECODER_DELAY = 529;

// ---- ACM conversion ---------------------------------------------------------------

// One ACM conversion stream with its prepared source and destination buffers. Bytes
// the codec did not take yet stay at the front of the source buffer.
struct AcmConverter {
    HACMSTREAM stream = nullptr;
    ACMSTREAMHEADER header;
    std::vector<BYTE> source;
    std::vector<BYTE> destination;
    size_t pending = 0;

    bool open(const WAVEFORMATEX* from, const WAVEFORMATEX* to, size_t sourceCapacity,
              size_t destinationCapacity) {
        if (acmStreamOpen(&stream, nullptr, const_cast<WAVEFORMATEX*>(from), const_cast<WAVEFORMATEX*>(to),
                          nullptr, 0, 0, 0) != 0 &&
            acmStreamOpen(&stream, nullptr, const_cast<WAVEFORMATEX*>(from), const_cast<WAVEFORMATEX*>(to),
                          nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
            stream = nullptr;
            return false;
        }
        // The codec's own estimate of the output size under-reports for variable bit
        // rates: take the larger of it (doubled) and the caller's generous size.
        DWORD estimate = 0;
        if (acmStreamSize(stream, static_cast<DWORD>(sourceCapacity), &estimate, ACM_STREAMSIZEF_SOURCE) == 0)
            destinationCapacity = std::max(destinationCapacity, size_t(estimate) * 2);
        source.assign(sourceCapacity, 0);
        destination.assign(destinationCapacity, 0);
        std::memset(&header, 0, sizeof header);
        header.cbStruct = sizeof header;
        header.pbSrc = source.data();
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.pbDst = destination.data();
        header.cbDstLength = static_cast<DWORD>(destination.size());
        if (acmStreamPrepareHeader(stream, &header, 0) != 0) {
            acmStreamClose(stream, 0);
            stream = nullptr;
            return false;
        }
        pending = 0;
        return true;
    }

    // Feeds `size` bytes and appends all the output the codec gives for them. Bytes
    // of an incomplete block wait in the source buffer for the next call.
    bool convert(const BYTE* data, size_t size, std::vector<BYTE>& out) {
        size_t taken = 0;
        for (;;) {
            size_t now = std::min(source.size() - pending, size - taken);
            if (now > 0)
                std::memcpy(source.data() + pending, data + taken, now);
            pending += now;
            taken += now;
            header.cbSrcLength = static_cast<DWORD>(pending);
            header.cbSrcLengthUsed = 0;
            header.cbDstLengthUsed = 0;
            if (acmStreamConvert(stream, &header, ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
                return false;
            size_t used = std::min<size_t>(header.cbSrcLengthUsed, pending);
            size_t produced = std::min<size_t>(header.cbDstLengthUsed, destination.size());
            out.insert(out.end(), destination.begin(), destination.begin() + std::ptrdiff_t(produced));
            std::memmove(source.data(), source.data() + used, pending - used);
            pending -= used;
            // A full destination may leave output inside the codec: ask again.
            bool destinationFull = produced == destination.size();
            if (taken == size && !destinationFull)
                return true;
            if (now == 0 && used == 0 && produced == 0)
                return false; // the codec takes nothing and gives nothing: stuck
        }
    }

    void close() {
        if (!stream)
            return;
        header.cbSrcLength = static_cast<DWORD>(source.size());
        header.cbDstLength = static_cast<DWORD>(destination.size());
        acmStreamUnprepareHeader(stream, &header, 0);
        acmStreamClose(stream, 0);
        stream = nullptr;
    }
};

WAVEFORMATEX pcmFormat(int rate, int channels) {
    WAVEFORMATEX format;
    std::memset(&format, 0, sizeof format);
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    return format;
}

AcmConverter* converterOf(void* p) {
    return static_cast<AcmConverter*>(p);
}

// Frames fed to the codec in one conversion.
const size_t FRAMES_PER_CONVERSION = 16;
// Largest layer III frame: MPEG-1 at 320 kbit/s and 32 kHz, padded.
const size_t LARGEST_FRAME = 1441;

} // namespace

bool parseMp3(const std::vector<unsigned char>& bytes, Mp3Layout& layout) {
    layout = Mp3Layout();
    size_t at = std::min(id3v2Size(bytes), bytes.size());
    FrameHeader first;
    while (at < bytes.size() && !frameAt(bytes, at, first, nullptr))
        ++at;
    if (at >= bytes.size())
        return false;

    int delay = -1;
    int padding = -1;
    bool infoFrame = readInfoFrame(bytes, at, first, delay, padding);
    FrameHeader header;
    while (at < bytes.size()) {
        if (frameAt(bytes, at, header, &first)) {
            if (infoFrame) {
                infoFrame = false; // leave the info frame out
            } else {
                if (layout.frames.empty())
                    layout.bitrate = header.bitrate;
                layout.frames.push_back(Mp3Frame{at, header.length});
            }
            at += header.length;
        } else {
            ++at; // damaged data: look for the next frame
        }
    }
    if (layout.frames.empty())
        return false;
    layout.version = first.version;
    layout.sampleRate = first.sampleRate;
    layout.channels = first.channels;
    layout.samplesPerFrame = first.samplesPerFrame;

    uint64_t decoded = uint64_t(layout.frames.size()) * uint64_t(first.samplesPerFrame);
    layout.skipSamples = 0;
    layout.lengthSamples = decoded;
    if (delay >= 0 && padding >= 0) {
        uint64_t skip = uint64_t(delay) + DECODER_DELAY;
        uint64_t trimmed = uint64_t(delay) + uint64_t(padding);
        if (trimmed < decoded && skip < decoded) {
            layout.skipSamples = skip;
            layout.lengthSamples = decoded - trimmed;
        }
    }
    return true;
}

Mp3LoopStream::~Mp3LoopStream() {
    close();
}

bool Mp3LoopStream::open(const char* fileName) {
    close();
    std::FILE* file = openRegularFile(fileName, FileAccess::ReadBinary);
    if (!file)
        return false;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        file_.insert(file_.end(), chunk, chunk + got);
    std::fclose(file);
    if (!parseMp3(file_, layout_)) {
        close();
        return false;
    }

    // The codec's description of the source: MPEG layer III at the file's rate.
    MPEGLAYER3WAVEFORMAT mp3;
    std::memset(&mp3, 0, sizeof mp3);
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(layout_.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(layout_.sampleRate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(layout_.bitrate / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = static_cast<WORD>(layout_.samplesPerFrame / 8 * layout_.bitrate / layout_.sampleRate);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 1393;

    WAVEFORMATEX decoded = pcmFormat(layout_.sampleRate, layout_.channels);
    size_t sourceCapacity = FRAMES_PER_CONVERSION * LARGEST_FRAME;
    size_t destinationCapacity =
        (FRAMES_PER_CONVERSION * 4) * size_t(layout_.samplesPerFrame) * size_t(layout_.channels) * 2;
    AcmConverter* decoder = new AcmConverter;
    decoder_ = decoder;
    if (!decoder->open(&mp3.wfx, &decoded, sourceCapacity, destinationCapacity)) {
        close();
        return false;
    }

    if (layout_.sampleRate != OUTPUT_RATE) {
        WAVEFORMATEX resampled = pcmFormat(OUTPUT_RATE, layout_.channels);
        AcmConverter* resampler = new AcmConverter;
        resampler_ = resampler;
        size_t bytes = destinationCapacity;
        size_t out = bytes * (OUTPUT_RATE / std::max(layout_.sampleRate, 1) + 2);
        if (!resampler->open(&decoded, &resampled, bytes, out)) {
            close();
            return false;
        }
    }
    return true;
}

void Mp3LoopStream::close() {
    if (decoder_) {
        converterOf(decoder_)->close();
        delete converterOf(decoder_);
        decoder_ = nullptr;
    }
    if (resampler_) {
        converterOf(resampler_)->close();
        delete converterOf(resampler_);
        resampler_ = nullptr;
    }
    file_.clear();
    layout_ = Mp3Layout();
    nextFrame_ = 0;
    decodedSamples_ = 0;
    idleConversions_ = 0;
    ready_.clear();
    readyStart_ = 0;
}

// Feeds the next frames (the first frame follows the last: the codec sees one endless
// stream, so there is no restart and no click at the seam), keeps the samples that
// belong to the music and appends them, at 44100 Hz stereo, to the ready samples.
bool Mp3LoopStream::decodeNextFrames() {
    if (!decoder_ || layout_.frames.empty())
        return false;
    std::vector<BYTE> input;
    for (size_t i = 0; i < FRAMES_PER_CONVERSION; ++i) {
        const Mp3Frame& frame = layout_.frames[nextFrame_];
        input.insert(input.end(), file_.begin() + std::ptrdiff_t(frame.offset),
                     file_.begin() + std::ptrdiff_t(frame.offset + frame.length));
        nextFrame_ = (nextFrame_ + 1) % layout_.frames.size();
    }
    std::vector<BYTE> pcm;
    if (!converterOf(decoder_)->convert(input.data(), input.size(), pcm))
        return false;

    // Drop the encoder's delay before the first pass and its padding plus the next
    // pass's delay between two passes.
    const size_t channels = size_t(layout_.channels);
    const size_t samples = pcm.size() / (2 * channels);
    const uint64_t pass = uint64_t(layout_.frames.size()) * uint64_t(layout_.samplesPerFrame);
    std::vector<BYTE> kept;
    kept.reserve(pcm.size());
    for (size_t i = 0; i < samples; ++i) {
        uint64_t index = decodedSamples_ + i;
        if (index < layout_.skipSamples || (index - layout_.skipSamples) % pass >= layout_.lengthSamples)
            continue;
        const BYTE* sample = pcm.data() + i * 2 * channels;
        kept.insert(kept.end(), sample, sample + 2 * channels);
    }
    decodedSamples_ += samples;

    if (samples == 0) {
        // A codec that gives nothing for two whole passes over the file is stuck.
        if (++idleConversions_ * FRAMES_PER_CONVERSION > 2 * layout_.frames.size() + 64)
            return false;
    } else {
        idleConversions_ = 0;
    }

    std::vector<BYTE> resampled;
    const std::vector<BYTE>* out = &kept;
    if (resampler_ && !kept.empty()) {
        if (!converterOf(resampler_)->convert(kept.data(), kept.size(), resampled))
            return false;
        out = &resampled;
    }

    // Compact what was read, then append as stereo (a mono sample goes to both sides).
    if (readyStart_ > 0) {
        ready_.erase(ready_.begin(), ready_.begin() + std::ptrdiff_t(readyStart_));
        readyStart_ = 0;
    }
    size_t count = out->size() / (2 * channels);
    const BYTE* bytes = out->data();
    for (size_t i = 0; i < count; ++i) {
        int16_t left;
        int16_t right;
        std::memcpy(&left, bytes + i * 2 * channels, 2);
        if (channels == 2)
            std::memcpy(&right, bytes + i * 4 + 2, 2);
        else
            right = left;
        ready_.push_back(left);
        ready_.push_back(right);
    }
    return true;
}

size_t Mp3LoopStream::read(int16_t* out, size_t frames) {
    size_t written = 0;
    while (written < frames) {
        size_t available = (ready_.size() - readyStart_) / 2;
        if (available == 0) {
            if (!decodeNextFrames())
                break;
            continue;
        }
        size_t now = std::min(available, frames - written);
        std::memcpy(out + written * 2, ready_.data() + readyStart_, now * 2 * sizeof(int16_t));
        readyStart_ += now * 2;
        written += now;
    }
    return written;
}
