#include "host/AudioFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

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

// Bytes per sample of an uncompressed subtype; 0 for others.
int bytesOf(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    default:
        return bitsOf(subtype) / 8;
    }
}

// Room left in WAV's 32-bit sizes for the chunks besides the data.
constexpr uint64_t kWavHeaderRoom = 1 << 20;

// WAV's sizes are 32-bit, so an output that may outgrow them (or whose
// length is not known) is written as RF64, which libsndfile writes as WAV
// after all if it fits.
int containerFor(int containerFormat, int subtype, int channels, int64_t frames)
{
    const int type = containerFormat & SF_FORMAT_TYPEMASK;
    const auto frameBytes = static_cast<uint64_t>(bytesOf(subtype)) * static_cast<uint64_t>(channels);
    if ((type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX) || frameBytes == 0) return type;
    const bool fits =
        frames >= 0 && static_cast<uint64_t>(frames) <= (UINT32_MAX - kWavHeaderRoom) / frameBytes;
    return fits ? type : SF_FORMAT_RF64;
}

// A data chunk larger than the file: libsndfile reads what is there and
// notes "data : CLAIMED (should be PRESENT)" in its log, the only place the
// claim survives.
int64_t claimedFrames(SNDFILE* file, const SF_INFO& info)
{
    const int frameBytes = bytesOf(info.format & SF_FORMAT_SUBMASK) * info.channels;
    if (frameBytes == 0) return info.frames;
    std::vector<char> log(8192);
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    const std::string_view text(log.data());
    const size_t line = text.find("data : ");
    if (line == std::string_view::npos) return info.frames;
    long long claimed = 0, present = 0;
    if (std::sscanf(text.data() + line, "data : %lld (should be %lld)", &claimed, &present) != 2)
        return info.frames;
    return std::max<int64_t>(info.frames, claimed / frameBytes);
}

// Says in plain words why a file did not open, `error` being libsndfile's
// code and `systemError` errno just after.
[[noreturn]] void refuseInput(const std::string& path, int error, int systemError)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) throw HostError("'" + path + "' does not exist", "check the path");
        throw HostError("cannot read '" + path + "': " + std::strerror(errno), "check the path");
    }
    if (S_ISDIR(status.st_mode))
        throw HostError("'" + path + "' is a folder, not an audio file", "name an audio file");
    if (access(path.c_str(), R_OK) != 0)
        throw HostError("cannot read '" + path + "': " + std::strerror(errno),
                        "check the file's permissions");
    const std::string unreadable = "'" + path + "' is not a readable audio file: ";
    switch (error) {
    case SF_ERR_UNRECOGNISED_FORMAT:
        throw HostError("cannot read '" + path + "': it is not an audio file of a type auhost knows",
                        "give a WAV, AIFF, FLAC, Ogg or other common audio file");
    case SF_ERR_SYSTEM:
        throw HostError("cannot read '" + path + "': " + std::strerror(systemError), "check the file");
    case SF_ERR_UNSUPPORTED_ENCODING:
        throw HostError(unreadable + "its samples are in an encoding auhost cannot read",
                        "convert it to PCM or float first");
    default:
        throw HostError(unreadable + "its header is malformed", "the file is damaged; write it again");
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
    if (!file) refuseInput(path, sf_error(nullptr), errno);
    if (info.samplerate < kMinSampleRate || info.samplerate > kMaxSampleRate)
        throw HostError("'" + path + "' has a sample rate of " + std::to_string(info.samplerate) +
                            " Hz; auhost takes " + std::to_string(kMinSampleRate) + " to " +
                            std::to_string(kMaxSampleRate) + " Hz",
                        "resample the file (e.g. sox IN -r 48000 OUT)");
    promised = claimedFrames(file.get(), info);
}

size_t AudioReader::read(float* interleaved, size_t frames)
{
    const sf_count_t got = sf_readf_float(file.get(), interleaved, static_cast<sf_count_t>(frames));
    if (got < 0 || (got < static_cast<sf_count_t>(frames) && sf_error(file.get()) != SF_ERR_NO_ERROR))
        throw HostError("cannot read '" + path + "': " + sf_strerror(file.get()), "the file may be damaged");
    return static_cast<size_t>(got);
}

AudioWriter::AudioWriter(const std::string& filePath, int containerFormat, SampleEncoding encoding,
                         int channels, double sampleRate, int64_t frames)
    : path(filePath), output(filePath), channelCount(channels)
{
    const int subtype = subtypeFor(encoding, containerFormat);
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = channels;
    info.format = containerFor(containerFormat, subtype, channels, frames) | subtype;
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
    // The PEAK chunk holds the time of writing: identical runs would differ.
    sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    sf_command(file.get(), SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
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

void AudioWriter::finish()
{
    const int closed = sf_close(file.release());
    if (closed != 0)
        throw HostError("cannot write '" + path + "': " + sf_error_number(closed), "check the free space");
    output.finish();
}

void AudioWriter::commit()
{
    if (file) finish();
    output.commit();
}

double AudioWriter::rms() const
{
    return samples ? std::sqrt(sumOfSquares / static_cast<double>(samples)) : 0.0;
}
