#include "lv2/EffectAdapter.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/corefoundation/CFRef.h"

namespace {

// Where the unit's dictionary is kept in a saved state; the same key for
// both plug-ins, so that a state given to the wrong one reaches the unit,
// which refuses it.
constexpr const char* kClassInfoKey = "urn:quim:lv2:classInfo";

// The largest block the host announces through its options, or 0.
uint32_t announcedMaxFrames(const LV2_Options_Option* options, LV2_URID_Map& map)
{
    if (!options) return 0;
    const LV2_URID maxLength = map.map(map.handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID nominalLength = map.map(map.handle, LV2_BUF_SIZE__nominalBlockLength);
    const LV2_URID atomInt = map.map(map.handle, LV2_ATOM__Int);
    uint32_t nominal = 0;
    for (const LV2_Options_Option* option = options; option->key; ++option) {
        if (option->type != atomInt || option->size != sizeof(int32_t)) continue;
        const int32_t value = *static_cast<const int32_t*>(option->value);
        if (value <= 0) continue;
        if (option->key == maxLength) return static_cast<uint32_t>(value);
        if (option->key == nominalLength) nominal = static_cast<uint32_t>(value);
    }
    return nominal;
}

AudioStreamBasicDescription stereoFloat(double sampleRate)
{
    return {sampleRate,
            kAudioFormatLinearPCM,
            kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved,
            sizeof(float),
            1,
            sizeof(float),
            2,
            32,
            0};
}

} // namespace

EffectAdapter::EffectAdapter(const std::string& componentBundle, OSType subtype, double sampleRate,
                             const LV2_Feature* const* features)
    : unit(componentBundle, subtype), sampleRate(sampleRate)
{
    if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate))
        throw std::runtime_error("a sample rate of " + std::to_string(sampleRate) + " Hz; the effect takes " +
                                 std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
                                 " Hz");
    LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    lv2_features_query(features, LV2_URID__map, &map, true, LV2_OPTIONS__options, &options, false, nullptr);
    if (!map) throw std::runtime_error("the host does not provide " LV2_URID__map);
    const auto urid = [map](const char* uri) { return map->map(map->handle, uri); };
    uris = {urid(LV2_ATOM__Blank),          urid(LV2_ATOM__Object),   urid(LV2_ATOM__Chunk),
            urid(LV2_ATOM__Float),          urid(LV2_ATOM__Double),   urid(LV2_ATOM__Int),
            urid(LV2_ATOM__Long),           urid(LV2_TIME__Position), urid(LV2_TIME__beat),
            urid(LV2_TIME__beatsPerMinute), urid(LV2_TIME__speed),    urid(kClassInfoKey)};
    const uint32_t announced = announcedMaxFrames(options, *map);
    maxFrames = announced ? std::min(announced, kLargestMaxFrames) : kDefaultMaxFrames;

    const AudioUnit au = unit.get();
    const AudioStreamBasicDescription format = stereoFloat(sampleRate);
    for (const AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
        HostedUnit::check(
            AudioUnitSetProperty(au, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format),
            "setting stereo at " + std::to_string(sampleRate) + " Hz");
    HostedUnit::check(AudioUnitSetProperty(au, kAudioUnitProperty_MaximumFramesPerSlice,
                                           kAudioUnitScope_Global, 0, &maxFrames, sizeof maxFrames),
                      "setting blocks of " + std::to_string(maxFrames) + " frames");
    const AURenderCallbackStruct callback{supplyInput, this};
    HostedUnit::check(AudioUnitSetProperty(au, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                           &callback, sizeof callback),
                      "setting the render callback");
    const HostCallbackInfo host{this, beatAndTempo, nullptr, nullptr};
    HostedUnit::check(AudioUnitSetProperty(au, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                           &host, sizeof host),
                      "setting the host callbacks");
    HostedUnit::check(AudioUnitInitialize(au), "initialising the effect");

    for (const ControlPort& port : unit.controlPorts()) parameters.push_back(port.id);
    controls.assign(parameters.size(), nullptr);
    sent.assign(parameters.size(), std::numeric_limits<float>::quiet_NaN());
}

void EffectAdapter::connect(uint32_t port, void* data)
{
    switch (port) {
    case kInputLeft:
    case kInputRight:
        inputs[port - kInputLeft] = static_cast<const float*>(data);
        break;
    case kOutputLeft:
    case kOutputRight:
        outputs[port - kOutputLeft] = static_cast<float*>(data);
        break;
    case kTime:
        timeInput = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    default:
        if (port - kFirstControl < controls.size())
            controls[port - kFirstControl] = static_cast<const float*>(data);
    }
}

void EffectAdapter::activate()
{
    AudioUnitReset(unit.get(), kAudioUnitScope_Global, 0);
    sampleTime = 0.0;
}

void EffectAdapter::sendChangedControls()
{
    for (size_t i = 0; i < controls.size(); ++i) {
        if (!controls[i]) continue;
        const float value = *controls[i];
        if (adoptControls) sent[i] = value;
        // Bit patterns, so that NaN counts as unchanged once sent.
        if (std::memcmp(&value, &sent[i], sizeof value) == 0) continue;
        AudioUnitSetParameter(unit.get(), parameters[i], kAudioUnitScope_Global, 0, value, 0);
        sent[i] = value;
    }
    adoptControls = false;
}

void EffectAdapter::takePosition(const LV2_Atom_Object& position)
{
    const LV2_Atom *beat = nullptr, *tempo = nullptr, *speed = nullptr;
    lv2_atom_object_get(&position, uris.timeBeat, &beat, uris.timeBeatsPerMinute, &tempo, uris.timeSpeed,
                        &speed, 0);
    // The host may send any numeric atom.
    const auto number = [this](const LV2_Atom* atom, double& into) {
        if (!atom) return;
        if (atom->type == uris.atomFloat) into = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
        if (atom->type == uris.atomDouble) into = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
        if (atom->type == uris.atomInt) into = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
        if (atom->type == uris.atomLong)
            into = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    };
    number(beat, transport.beat);
    number(tempo, transport.tempo);
    number(speed, transport.speed);
}

void EffectAdapter::run(uint32_t frames)
{
    sendChangedControls();
    uint32_t done = 0;
    if (timeInput) {
        LV2_ATOM_SEQUENCE_FOREACH(timeInput, event)
        {
            const bool isObject = event->body.type == uris.atomObject || event->body.type == uris.atomBlank;
            const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            if (!isObject || object->body.otype != uris.timePosition) continue;
            // Each position applies from its own frame on.
            const auto at = static_cast<uint32_t>(std::clamp<int64_t>(event->time.frames, done, frames));
            render(done, at - done);
            done = at;
            takePosition(*object);
        }
    }
    render(done, frames - done);
}

void EffectAdapter::render(uint32_t offset, uint32_t frames)
{
    auto& list = *reinterpret_cast<AudioBufferList*>(outputStorage);
    while (frames > 0) {
        const uint32_t part = std::min(frames, maxFrames);
        list.mNumberBuffers = 2;
        for (UInt32 c = 0; c < 2; ++c)
            list.mBuffers[c] = {1, part * static_cast<UInt32>(sizeof(float)), outputs[c] + offset};
        feedOffset = offset;
        AudioTimeStamp stamp{};
        stamp.mSampleTime = sampleTime;
        stamp.mFlags = kAudioTimeStampSampleTimeValid;
        AudioUnitRenderActionFlags flags = 0;
        // A failed render leaves silence rather than whatever the buffers held.
        if (AudioUnitRender(unit.get(), &flags, &stamp, 0, part, &list) != noErr)
            for (float* output : outputs) std::fill_n(output + offset, part, 0.0f);
        sampleTime += part;
        transport.beat += part * transport.speed * transport.tempo / (60.0 * sampleRate);
        offset += part;
        frames -= part;
    }
}

OSStatus EffectAdapter::supplyInput(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                                    UInt32 frames, AudioBufferList* data)
{
    auto& adapter = *static_cast<EffectAdapter*>(self);
    if (data->mNumberBuffers != 2) return paramErr;
    for (UInt32 c = 0; c < 2; ++c) {
        AudioBuffer& buffer = data->mBuffers[c];
        const float* source = adapter.inputs[c] + adapter.feedOffset;
        // The unit's own buffer, or none: then it reads the host's.
        if (buffer.mData)
            std::memcpy(buffer.mData, source, frames * sizeof(float));
        else
            buffer.mData = const_cast<float*>(source);
        buffer.mDataByteSize = frames * static_cast<UInt32>(sizeof(float));
    }
    return noErr;
}

OSStatus EffectAdapter::beatAndTempo(void* self, Float64* beat, Float64* tempo)
{
    const Transport& transport = static_cast<const EffectAdapter*>(self)->transport;
    // Without a tempo from the host the unit keeps to its own.
    if (transport.tempo <= 0.0) return kAudioUnitErr_CannotDoInCurrentContext;
    if (beat) *beat = transport.beat;
    if (tempo) *tempo = transport.tempo;
    return noErr;
}

LV2_State_Status EffectAdapter::save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    if (AudioUnitGetProperty(unit.get(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                             &size) != noErr)
        return LV2_STATE_ERR_UNKNOWN;
    const platform::CFRef owner(state);
    CFErrorRef error = nullptr;
    const platform::CFRef data(
        CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, &error));
    if (error) CFRelease(error);
    if (!data) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, uris.classInfo, CFDataGetBytePtr(data.get()),
                 static_cast<size_t>(CFDataGetLength(data.get())), uris.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status EffectAdapter::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* bytes = retrieve(handle, uris.classInfo, &size, &type, &flags);
    if (!bytes) return LV2_STATE_SUCCESS;
    if (type != uris.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
    const platform::CFRef data(
        CFDataCreate(nullptr, static_cast<const UInt8*>(bytes), static_cast<CFIndex>(size)));
    CFErrorRef error = nullptr;
    const platform::CFRef list(
        CFPropertyListCreateWithData(nullptr, data.get(), kCFPropertyListImmutable, nullptr, &error));
    if (error) CFRelease(error);
    if (!list) return LV2_STATE_ERR_UNKNOWN;
    const CFPropertyListRef state = list.get();
    if (AudioUnitSetProperty(unit.get(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                             sizeof state) != noErr)
        return LV2_STATE_ERR_UNKNOWN;
    adoptControls = true;
    return LV2_STATE_SUCCESS;
}
