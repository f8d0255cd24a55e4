// An MP3 file as an endless loop of 44100 Hz 16-bit stereo samples, decoded on
// Windows through the ACM MP3 codec as the samples are asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One MPEG audio layer III frame found in the file.
struct Mp3Frame {
    size_t offset = 0;
    size_t length = 0;
};

// What the file's frame headers and its encoder tag say.
struct Mp3Layout {
    int version = 0; // 1 (MPEG-1), 2 (MPEG-2) or 25 (MPEG-2.5)
    int sampleRate = 0;
    int channels = 0;
    int bitrate = 0;              // of the first audio frame, bits per second
    int samplesPerFrame = 0;      // 1152 or 576
    std::vector<Mp3Frame> frames; // audio frames only (an encoder's info frame is left out)
    // Gapless playback from the encoder's tag: decoded samples (per channel) to drop at
    // the start, and the number of real samples in one pass. Without a tag nothing is
    // dropped and a pass is every decoded sample.
    uint64_t skipSamples = 0;
    uint64_t lengthSamples = 0;
};

// Finds the frames of an MP3 file held in memory; false when it holds no layer III frames.
bool parseMp3(const std::vector<unsigned char>& bytes, Mp3Layout& layout);

class Mp3LoopStream {
  public:
    static constexpr int OUTPUT_RATE = 44100;

    Mp3LoopStream() = default;
    Mp3LoopStream(const Mp3LoopStream&) = delete;
    Mp3LoopStream& operator=(const Mp3LoopStream&) = delete;
    ~Mp3LoopStream();

    // Reads the file and opens the codec for it; false when the file can't be read,
    // holds no MP3 audio, or no installed codec decodes it.
    bool open(const char* fileName);
    void close();

    const Mp3Layout& layout() const { return layout_; }

    // Writes `frames` stereo sample frames (interleaved left, right). When the file
    // ends, its first sample follows its last. Returns the frames written: fewer only
    // when the codec stops producing samples.
    size_t read(int16_t* out, size_t frames);

  private:
    bool decodeNextFrames();

    std::vector<unsigned char> file_;
    Mp3Layout layout_;
    void* decoder_ = nullptr;   // MP3 -> PCM at the file's rate and channels
    void* resampler_ = nullptr; // PCM -> PCM at 44100 Hz, when the file's rate differs
    size_t nextFrame_ = 0;
    uint64_t decodedSamples_ = 0; // samples (per channel) the codec produced so far
    int idleConversions_ = 0;     // conversions without any output, to detect a stuck codec
    std::vector<int16_t> ready_;  // 44100 Hz stereo samples not yet read
    size_t readyStart_ = 0;
};
