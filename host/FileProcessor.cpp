#include "host/FileProcessor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "host/Automation.h"
#include "host/CommandLine.h"
#include "host/EffectUnit.h"
#include "host/HostError.h"
#include "host/UnitSettings.h"
#include "host/Worker.h"

namespace {

// Non-interleaved float channels, the unit's canonical stream format.
AudioStreamBasicDescription canonicalFormat(double sampleRate, int channels)
{
    return {sampleRate,
            kAudioFormatLinearPCM,
            kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved,
            sizeof(float),
            1,
            sizeof(float),
            static_cast<UInt32>(channels),
            32,
            0};
}

// A chunk of the file with one channel after the other, the layout the unit
// takes, so that blocks are rendered straight out of it and into it.
class PlanarChunk {
  public:
    PlanarChunk(int channels, uint32_t frames)
        : channels(static_cast<size_t>(channels)), capacity(frames),
          samples(channels * static_cast<size_t>(frames))
    {
    }

    float* channel(size_t c) { return samples.data() + c * capacity; }

    void fromInterleaved(const float* in, uint32_t frames)
    {
        for (size_t c = 0; c < channels; ++c) {
            float* out = channel(c);
            for (uint32_t i = 0; i < frames; ++i) out[i] = in[i * channels + c];
        }
    }

    void toInterleaved(float* out, uint32_t frames)
    {
        for (size_t c = 0; c < channels; ++c) {
            const float* in = channel(c);
            for (uint32_t i = 0; i < frames; ++i) out[i * channels + c] = in[i];
        }
    }

    // A list whose buffers point at `frames` frames from `offset` on.
    AudioBufferList& list(uint32_t offset, uint32_t frames)
    {
        auto& list = *reinterpret_cast<AudioBufferList*>(listStorage.data());
        list.mNumberBuffers = static_cast<UInt32>(channels);
        for (size_t c = 0; c < channels; ++c)
            list.mBuffers[c] = {1, frames * static_cast<UInt32>(sizeof(float)), channel(c) + offset};
        return list;
    }

  private:
    size_t channels;
    uint32_t capacity;
    std::vector<float> samples;
    std::vector<std::byte> listStorage =
        std::vector<std::byte>(offsetof(AudioBufferList, mBuffers) + channels * sizeof(AudioBuffer));
};

// What the render callback hands the unit: the current block's input.
struct InputFeed {
    PlanarChunk* chunk;
    uint32_t offset;
    uint32_t frames;
};

// The unit's render callback for its input. The unit calls it from within
// AudioUnitRender, so on the thread that renders (renderFile's), never
// concurrently with a change to the feed.
OSStatus supplyInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                     AudioBufferList* ioData)
{
    auto& feed = *static_cast<InputFeed*>(refCon);
    AudioBufferList& block = feed.chunk->list(feed.offset, feed.frames);
    if (frames > feed.frames || ioData->mNumberBuffers != block.mNumberBuffers) return paramErr;
    for (UInt32 b = 0; b < ioData->mNumberBuffers; ++b) {
        AudioBuffer& buffer = ioData->mBuffers[b];
        if (buffer.mData)
            std::memcpy(buffer.mData, block.mBuffers[b].mData, frames * sizeof(float));
        else
            buffer.mData = block.mBuffers[b].mData;
        buffer.mDataByteSize = frames * static_cast<UInt32>(sizeof(float));
    }
    return noErr;
}

struct Transport {
    double tempo;
    double sampleRate;
    double sampleTime; // of the block being rendered
};

// The unit's beat-and-tempo callback, called like supplyInput from within
// AudioUnitRender on the thread that renders.
OSStatus beatAndTempo(void* userData, Float64* currentBeat, Float64* currentTempo)
{
    const auto& transport = *static_cast<const Transport*>(userData);
    if (currentBeat) *currentBeat = transport.sampleTime / transport.sampleRate * transport.tempo / 60.0;
    if (currentTempo) *currentTempo = transport.tempo;
    return noErr;
}

void checkChannels(const EffectUnit& unit, int channels)
{
    const std::vector<AUChannelInfo> table = unit.channelConfigurations();
    // A negative count in the table stands for any number of channels.
    const auto fits = [&](const AUChannelInfo& info) {
        return (info.inChannels < 0 || info.inChannels == channels) &&
               (info.outChannels < 0 || info.outChannels == channels);
    };
    if (!table.empty() && std::ranges::none_of(table, fits))
        throw HostError("the input has " + std::to_string(channels) + " channels; '" + unit.name() +
                            "' supports " + describeChannelConfigurations(table),
                        "convert the file to mono or stereo first (e.g. sox IN -c 2 OUT)");
}

void checkPaths(const ProcessOptions& options)
{
    const auto refuse = [](const std::string& a, const std::string& b, const std::string& role) {
        if (a == b || sameFile(a, b))
            throw UsageError(role + " '" + b + "' is the input file",
                             "name a different file; the input is never overwritten");
    };
    refuse(options.input, options.output, "the output");
    if (options.stateOut) {
        refuse(options.input, *options.stateOut, "the state file");
        if (*options.stateOut == options.output || sameFile(*options.stateOut, options.output))
            throw UsageError("--save-state names the output file", "name a different file");
    }
}

// "\rprocessing  42%" on stderr while the percentage changes; cleared at the end.
class Progress {
  public:
    Progress(bool enabled, int64_t total) : enabled(enabled && total > 0), total(total) {}
    ~Progress()
    {
        if (shown >= 0) std::fputs("\r                \r", stderr);
    }
    void update(int64_t done)
    {
        if (!enabled) return;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == shown) return;
        shown = percent;
        std::fprintf(stderr, "\rprocessing %3d%%", percent);
        std::fflush(stderr);
    }

  private:
    bool enabled;
    int64_t total;
    int shown = -1;
};

void checkOptions(const ProcessOptions& options)
{
    if (options.blockFrames == 0 || options.blockFrames > kMaxBlockFrames)
        throw UsageError("--block must be between 1 and " + std::to_string(kMaxBlockFrames) + " frames");
    if (options.tempo && !(*options.tempo > 0.0))
        throw UsageError("--tempo must be a positive number of beats per minute");
    checkPaths(options);
}

// What the unit's callbacks into the host read: the block being rendered,
// updated by the rendering thread between renders.
struct HostSide {
    InputFeed feed{nullptr, 0, 0};
    Transport transport;
};

// The file's stream format on both sides, the block size, the input through
// the render callback and, with a tempo, the beat-and-tempo callback.
void connect(EffectUnit& unit, const AudioReader& reader, const ProcessOptions& options, HostSide& host)
{
    const int channels = reader.channels();
    const AudioStreamBasicDescription format = canonicalFormat(reader.sampleRate(), channels);
    const std::string formatHint = "the unit does not take " + std::to_string(channels) +
                                   "-channel audio at " + formatNumber(reader.sampleRate()) +
                                   " Hz; resample or remix the file";
    unit.setProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, &format, sizeof format,
                     "the input stream format", formatHint);
    unit.setProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, &format, sizeof format,
                     "the output stream format", formatHint);
    const UInt32 maxFrames = options.blockFrames;
    unit.setProperty(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, &maxFrames,
                     sizeof maxFrames, "a block size of " + std::to_string(maxFrames) + " frames",
                     "try another --block");

    const AURenderCallbackStruct callback{supplyInput, &host.feed};
    unit.setProperty(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, &callback, sizeof callback,
                     "the render callback");
    host.transport = {options.tempo.value_or(0.0), reader.sampleRate(), 0.0};
    if (options.tempo) {
        const HostCallbackInfo callbacks{&host.transport, beatAndTempo, nullptr, nullptr};
        unit.setProperty(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, &callbacks,
                         sizeof callbacks, "the host callbacks");
    }
}

// Renders the block at `offset` in the chunk the feed reads from, split at
// every frame where automation is due; the values due there are scheduled
// just before the render that starts at it, so the unit hears them from
// exactly that frame whatever the block size.
void renderBlock(EffectUnit& unit, AutomationPlayer& automation, HostSide& host, uint64_t position,
                 uint32_t offset, uint32_t frames, PlanarChunk& output)
{
    for (uint32_t done = 0; done < frames;) {
        std::array<AudioUnitParameterEvent, 64> due;
        // The messages are built only on failure: nothing here may allocate.
        while (const size_t count = automation.take(position + done, due))
            if (const OSStatus status =
                    AudioUnitScheduleParameters(unit.get(), due.data(), static_cast<UInt32>(count)))
                checkStatus(status,
                            "'" + unit.name() + "' refused the automation at frame " +
                                std::to_string(position + done),
                            "check the automation file against 'auhost info " + unit.name() + "'");
        const auto slice = static_cast<uint32_t>(
            std::min<uint64_t>(frames - done, automation.nextFrame() - (position + done)));
        host.feed.offset = offset + done;
        host.feed.frames = slice;
        host.transport.sampleTime = static_cast<double>(position + done);

        AudioTimeStamp time{};
        time.mSampleTime = static_cast<double>(position + done);
        time.mFlags = kAudioTimeStampSampleTimeValid;
        AudioUnitRenderActionFlags flags = 0;
        if (const OSStatus status =
                AudioUnitRender(unit.get(), &flags, &time, 0, slice, &output.list(offset + done, slice)))
            checkStatus(status,
                        "'" + unit.name() + "' failed to render at frame " + std::to_string(position + done),
                        "try another --block size; if it persists the unit is faulty");
        done += slice;
    }
}

constexpr uint32_t kChunkFrames = 32768;

// Renders the whole input into the writer, block by block; returns the
// frames rendered. Files move in chunks of whole blocks: one system call per
// block would cost more than the rendering. The next chunk is read and the
// last one written, each converted between interleaved and planar, on
// threads of their own while this one renders.
uint64_t renderFile(EffectUnit& unit, AudioReader& reader, AudioWriter& writer, AutomationPlayer& automation,
                    const ProcessOptions& options, HostSide& host)
{
    const int channels = reader.channels();
    // No larger than the file (as its header says) needs: filling unused
    // buffers costs a short file more than its rendering.
    const uint64_t wanted = std::min<uint64_t>(std::max(options.blockFrames, kChunkFrames), reader.frames());
    const auto chunkFrames = static_cast<uint32_t>(
        std::max<uint64_t>((wanted + options.blockFrames - 1) / options.blockFrames, 1) *
        options.blockFrames);
    PlanarChunk inChunks[2]{{channels, chunkFrames}, {channels, chunkFrames}};
    PlanarChunk outChunks[2]{{channels, chunkFrames}, {channels, chunkFrames}};
    // Reads and writes are each one at a time, so one interleaved buffer each.
    std::vector<float> readBuffer(static_cast<size_t>(channels) * chunkFrames),
        writeBuffer(readBuffer.size());
    uint32_t framesRead = 0;
    // After everything their jobs use, so that they stop before that goes.
    Worker readerThread, writerThread;
    const auto readInto = [&](int slot) {
        readerThread.start([&, slot] {
            framesRead = static_cast<uint32_t>(reader.read(readBuffer.data(), chunkFrames));
            inChunks[slot].fromInterleaved(readBuffer.data(), framesRead);
        });
    };
    const auto nextChunk = [&] {
        readerThread.wait();
        return framesRead;
    };
    // Only files long enough to make someone wait (over ten seconds).
    Progress progress(options.showProgress && reader.frames() > 10 * reader.sampleRate(), reader.frames());
    uint64_t position = 0;
    int slot = 0;
    readInto(slot);
    while (const uint32_t chunk = nextChunk()) {
        readInto(slot ^ 1);
        host.feed.chunk = &inChunks[slot];
        for (uint32_t offset = 0; offset < chunk; offset += options.blockFrames) {
            const uint32_t frames = std::min(options.blockFrames, chunk - offset);
            renderBlock(unit, automation, host, position, offset, frames, outChunks[slot]);
            position += frames;
            progress.update(static_cast<int64_t>(position));
        }
        // The other slot's write must be done (and its errors seen) before
        // that slot is rendered into again.
        writerThread.wait();
        writerThread.start([&, slot, chunk] {
            outChunks[slot].toInterleaved(writeBuffer.data(), chunk);
            writer.write(writeBuffer.data(), chunk);
        });
        slot ^= 1;
    }
    writerThread.wait();
    return position;
}

} // namespace

ProcessSummary processFile(const CatalogEntry& component, const ProcessOptions& options)
{
    checkOptions(options);
    AudioReader reader(options.input);
    const int channels = reader.channels();
    // Every output's temporary file is made first, so that an output that
    // cannot be written is found before any work.
    AudioWriter writer(options.output, reader.format(), options.encoding, channels, reader.sampleRate(),
                       reader.promisedFrames());
    std::optional<AtomicFile> stateFile;
    if (options.stateOut) stateFile.emplace(*options.stateOut);
    EffectUnit unit(component);
    checkChannels(unit, channels);

    std::vector<std::string> warnings;
    HostSide host;
    connect(unit, reader, options, host);
    applySettings(unit, {options.stateIn, options.preset, options.settings}, warnings);
    const Automation automation = options.automation ? Automation(*options.automation, unit) : Automation();
    if (options.bypass) {
        const UInt32 on = 1;
        unit.setProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, &on, sizeof on, "bypass");
    }
    unit.initialize();

    AutomationPlayer player(automation);
    const uint64_t frames = renderFile(unit, reader, writer, player, options, host);
    // SF_COUNT_MAX: a stream whose length the header does not give.
    if (static_cast<int64_t>(frames) < reader.promisedFrames() && reader.promisedFrames() != SF_COUNT_MAX)
        warnings.push_back("'" + options.input + "' promised " + std::to_string(reader.promisedFrames()) +
                           " frames but only " + std::to_string(frames) +
                           " could be read; the output holds those");
    for (std::string& warning : automation.warningsPastEnd(frames)) warnings.push_back(std::move(warning));
    // The audio and the state appear together or not at all.
    writer.finish();
    if (stateFile) {
        saveState(unit, *stateFile);
        stateFile->finish();
    }
    writer.commit();
    if (stateFile) stateFile->commit();
    return {
        options.output, static_cast<int64_t>(frames), channels,           reader.sampleRate(), writer.peak(),
        writer.rms(),   writer.clippedSamples(),      std::move(warnings)};
}

std::string describe(const ProcessSummary& summary)
{
    const auto decibels = [](double level) {
        char text[32];
        if (level > 0.0)
            std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(level));
        else
            std::snprintf(text, sizeof text, "-inf dBFS");
        return std::string(text);
    };
    std::string line = summary.output + ": " + std::to_string(summary.frames) + " frames, " +
                       std::to_string(summary.channels) + " ch, " + formatNumber(summary.sampleRate) +
                       " Hz, peak " + decibels(summary.peak) + ", rms " + decibels(summary.rms);
    if (summary.clippedSamples) line += ", " + std::to_string(summary.clippedSamples) + " samples clipped";
    return line;
}
