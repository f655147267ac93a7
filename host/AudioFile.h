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

// The sample rates a file may have: those users meet, and no others, as a
// rate drives the units' memory and the meaning of their parameters.
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 768000;

class AudioReader {
  public:
    // HostError saying what is wrong with the file if it cannot be read or
    // its sample rate lies outside kMinSampleRate to kMaxSampleRate.
    explicit AudioReader(const std::string& path);

    int channels() const { return info.channels; }
    double sampleRate() const { return info.samplerate; }
    int64_t frames() const { return info.frames; }
    // What the header says, which may be more than the file holds.
    int64_t promisedFrames() const { return promised; }
    int format() const { return info.format; }

    // Reads up to `frames` frames; fewer only at the end of the file.
    size_t read(float* interleaved, size_t frames);

  private:
    std::string path;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file;
    int64_t promised = 0;
};

// Writes a file atomically (see AtomicFile): the destination appears only
// after commit(). Integer encodings are rounded to nearest and clamped, and
// the clamped samples counted. The header is the same for the same audio
// (no time stamp), and a WAV file of `frames` frames (negative: not known)
// that may outgrow WAV's 4 GiB is written as RF64.
class AudioWriter {
  public:
    AudioWriter(const std::string& path, int containerFormat, SampleEncoding encoding, int channels,
                double sampleRate, int64_t frames);

    void write(const float* interleaved, size_t frames);
    // Completes the temporary file; then commit() puts it in place.
    void finish();
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
