#pragma once

// Audio files through libsndfile, as interleaved 32-bit float frames.

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/AtomicFile.h"

// The sample encoding of an output file.
enum class SampleEncoding { SameAsInput, Float, Pcm16, Pcm24 };

// From "float", "pcm16" or "pcm24"; UsageError otherwise.
SampleEncoding parseSampleEncoding(std::string_view text);

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

class AudioReader {
  public:
    // HostError naming the file and libsndfile's reason if it cannot be read.
    explicit AudioReader(const std::string& path);

    int channels() const { return info.channels; }
    double sampleRate() const { return info.samplerate; }
    int64_t frames() const { return info.frames; }
    int format() const { return info.format; }

    // Reads up to `frames` frames; fewer only at the end of the file.
    size_t read(float* interleaved, size_t frames);

  private:
    std::string path;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file;
};

// Writes a file atomically (see AtomicFile): the destination appears only
// after commit(). Integer encodings are rounded to nearest and clamped, and
// the clamped samples counted.
class AudioWriter {
  public:
    AudioWriter(const std::string& path, int containerFormat, SampleEncoding encoding, int channels,
                double sampleRate);

    void write(const float* interleaved, size_t frames);
    void commit();

    uint64_t clippedSamples() const { return clipped; }
    float peak() const { return peakLevel; }
    double rms() const;

  private:
    std::string path;
    AtomicFile output;
    std::unique_ptr<SNDFILE, SndfileCloser> file;
    int channelCount;
    int integerBits; // 0 for a float or compressed encoding
    bool canClip;
    uint64_t clipped = 0;
    float peakLevel = 0.0f;
    double sumOfSquares = 0.0;
    uint64_t samples = 0;
    std::unique_ptr<int[]> quantised;
    size_t quantisedCapacity = 0;
};
