#include "host/AudioFile.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "host/HostError.h"

namespace {

int bitsOf(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

int subtypeFor(SampleEncoding encoding, int inputFormat)
{
    switch (encoding) {
    case SampleEncoding::Float:
        return SF_FORMAT_FLOAT;
    case SampleEncoding::Pcm16:
        return SF_FORMAT_PCM_16;
    case SampleEncoding::Pcm24:
        return SF_FORMAT_PCM_24;
    case SampleEncoding::SameAsInput:
        break;
    }
    return inputFormat & SF_FORMAT_SUBMASK;
}

} // namespace

SampleEncoding parseSampleEncoding(std::string_view text)
{
    if (text == "float") return SampleEncoding::Float;
    if (text == "pcm16") return SampleEncoding::Pcm16;
    if (text == "pcm24") return SampleEncoding::Pcm24;
    throw UsageError("unknown sample format '" + std::string(text) + "'", "use float, pcm16 or pcm24");
}

AudioReader::AudioReader(const std::string& filePath) : path(filePath)
{
    file.reset(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw HostError("cannot read '" + path + "': " + sf_strerror(nullptr),
                        "give an existing audio file in a format libsndfile reads (WAV, AIFF, FLAC, ...)");
}

size_t AudioReader::read(float* interleaved, size_t frames)
{
    const sf_count_t got = sf_readf_float(file.get(), interleaved, static_cast<sf_count_t>(frames));
    if (got < 0 || (got < static_cast<sf_count_t>(frames) && sf_error(file.get()) != SF_ERR_NO_ERROR))
        throw HostError("cannot read '" + path + "': " + sf_strerror(file.get()), "the file may be damaged");
    return static_cast<size_t>(got);
}

AudioWriter::AudioWriter(const std::string& filePath, int containerFormat, SampleEncoding encoding,
                         int channels, double sampleRate)
    : path(filePath), output(filePath), channelCount(channels)
{
    const int subtype = subtypeFor(encoding, containerFormat);
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = channels;
    info.format = (containerFormat & SF_FORMAT_TYPEMASK) | subtype;
    if (!sf_format_check(&info))
        throw UsageError("the input's file type cannot hold the chosen sample format",
                         "choose another --format (float, pcm16, pcm24)");
    // Quantised here, not by libsndfile, so that integer samples read in
    // come back out unchanged and clamping can be counted.
    integerBits = bitsOf(subtype);
    canClip = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
    file.reset(sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE));
    if (!file)
        throw HostError("cannot write '" + path + "': " + sf_strerror(nullptr),
                        "check the folder and free space");
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

void AudioWriter::write(const float* interleaved, size_t frames)
{
    const size_t count = frames * static_cast<size_t>(channelCount);
    // Four running sums, so that the additions need not wait for each other.
    std::array<double, 4> sums{};
    size_t i = 0;
    for (; i + 4 <= count; i += 4)
        for (size_t k = 0; k < 4; ++k)
            sums[k] += static_cast<double>(interleaved[i + k]) * interleaved[i + k];
    for (; i < count; ++i) sums[0] += static_cast<double>(interleaved[i]) * interleaved[i];
    sumOfSquares += (sums[0] + sums[1]) + (sums[2] + sums[3]);
    for (size_t k = 0; k < count; ++k) peakLevel = std::max(peakLevel, std::fabs(interleaved[k]));
    samples += count;
    sf_count_t written;
    if (integerBits > 0) {
        if (quantisedCapacity < count) {
            quantised = std::make_unique<int[]>(count);
            quantisedCapacity = count;
        }
        const double scale = std::ldexp(1.0, integerBits - 1);
        for (size_t i = 0; i < count; ++i) {
            const double sample = std::isnan(interleaved[i]) ? 0.0 : interleaved[i];
            const double level = std::nearbyint(sample * scale);
            const double clamped = std::clamp(level, -scale, scale - 1.0);
            clipped += clamped != level;
            // libsndfile takes the top bits of a 32-bit int.
            quantised[i] =
                static_cast<int>(static_cast<int64_t>(clamped) * (int64_t{1} << (32 - integerBits)));
        }
        written = sf_writef_int(file.get(), quantised.get(), static_cast<sf_count_t>(frames));
    } else {
        if (canClip)
            clipped += static_cast<uint64_t>(
                std::count_if(interleaved, interleaved + count, [](float x) { return std::fabs(x) > 1.0f; }));
        written = sf_writef_float(file.get(), interleaved, static_cast<sf_count_t>(frames));
    }
    if (written != static_cast<sf_count_t>(frames))
        throw HostError("cannot write '" + path + "': " + sf_strerror(file.get()), "check the free space");
    output.startWriteback();
}

void AudioWriter::commit()
{
    const int closed = sf_close(file.release());
    if (closed != 0)
        throw HostError("cannot write '" + path + "': " + sf_error_number(closed), "check the free space");
    output.commit();
}

double AudioWriter::rms() const
{
    return samples ? std::sqrt(sumOfSquares / static_cast<double>(samples)) : 0.0;
}
