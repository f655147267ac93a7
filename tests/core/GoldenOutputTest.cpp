// Golden output: a hash of what each unit renders at 48 kHz for every factory
// program and for a hand-set parameter combination, recorded from a reviewed
// build. Any change of an output bit shows here, whatever else still agrees.
// When a change of output is intended, run with VOK_PRINT_GOLDEN=1 to print
// the new table and say why in the commit.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "tests/core/UnitHost.h"

using namespace unithost;

namespace {

constexpr Float64 kRate = 48000.0;
constexpr UInt32 kFrames = 48000;

// A chirp from 40 Hz to 12 kHz under pseudo-random noise, the right channel
// a different mix, with a loud passage that drives the saturation.
std::vector<float> goldenSignal()
{
    std::vector<float> signal(kFrames * 2);
    uint32_t seed = 12345;
    double phase = 0.0;
    for (UInt32 i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kFrames;
        phase += 2.0 * 3.141592653589793 * (40.0 * std::pow(300.0, t)) / kRate;
        seed = seed * 1664525u + 1013904223u;
        const float noise = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
        const float gain = (i > 30000 && i < 36000) ? 3.0f : 0.5f;
        signal[2 * i] = gain * static_cast<float>(std::sin(phase)) + 0.1f * noise;
        signal[2 * i + 1] = gain * static_cast<float>(std::cos(1.5 * phase)) - 0.2f * noise;
    }
    return signal;
}

uint64_t fnv1a(const std::vector<float>& samples)
{
    uint64_t hash = 14695981039346656037ull;
    for (const float s : samples) {
        uint32_t bits = std::bit_cast<uint32_t>(s);
        for (int byte = 0; byte < 4; ++byte, bits >>= 8) hash = (hash ^ (bits & 0xff)) * 1099511628211ull;
    }
    return hash;
}

// Opens a unit at 48 kHz stereo with a host tempo of 132 BPM, applies the
// program (or, with -1, the parameter settings) and renders the signal.
uint64_t render(const char* subtype, int program, const std::vector<std::pair<UInt32, float>>& settings)
{
    Unit unit(subtype);
    EXPECT_NE(static_cast<AudioUnit>(unit), nullptr);
    if (static_cast<AudioUnit>(unit) == nullptr) return 0;
    setFormat(unit, kRate, 2);
    Float64 tempo = 132.0;
    const HostCallbackInfo callbacks{&tempo, tempoOf, nullptr, nullptr};
    AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                         sizeof callbacks);
    if (program >= 0) {
        const AUPreset preset{program, nullptr};
        EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                       &preset, sizeof preset),
                  noErr);
    }
    for (const auto& [id, value] : settings)
        EXPECT_EQ(AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, value, 0), noErr);
    static const std::vector<float> signal = goldenSignal();
    return fnv1a(unit.render(signal, 2, 512));
}

void check(const char* subtype, const uint64_t* golden, int programs, uint64_t goldenSettings,
           const std::vector<std::pair<UInt32, float>>& settings)
{
    const bool print = std::getenv("VOK_PRINT_GOLDEN") != nullptr;
    for (int program = 0; program < programs; ++program) {
        const uint64_t hash = render(subtype, program, {});
        if (print) std::printf("    0x%016llxull, // %d\n", static_cast<unsigned long long>(hash), program);
        EXPECT_EQ(hash, golden[program]) << subtype << " program " << program;
    }
    const uint64_t hash = render(subtype, -1, settings);
    if (print) std::printf("    settings: 0x%016llxull\n", static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, goldenSettings) << subtype << " with parameters set";
}

} // namespace

TEST(GoldenOutput, FlangerUnit)
{
    // Programs 6 to 19 are all "default".
    static const uint64_t golden[20] = {
        0xc084c3f91491ab71ull, 0xb794520946f692d8ull, 0x0863d2650092178aull, 0x4e2024025a8a87e5ull,
        0xe254f779cae5814cull, 0xf5407fcb09091588ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull,
        0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull,
        0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull,
        0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull, 0x8be1e20d47aaf415ull};
    // Tempo-locked "1/8", a wide phase, deep and fed back, mostly wet.
    check("Flan", golden, 20, 0xed3ef290d06699abull,
          {{1, 0.2f}, {2, 3.0f}, {3, 0.9f}, {4, 0.3f}, {5, 0.75f}, {6, 0.8f}, {7, 0.85f}, {8, 0.7f}});
}

TEST(GoldenOutput, TiltEqUnit)
{
    // The ten programs are alike.
    static const uint64_t golden[10] = {0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull,
                                        0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull,
                                        0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull, 0xda6ba8d94d11b482ull,
                                        0xda6ba8d94d11b482ull};
    // Tilted towards the treble at a low corner, bass lifted, switched on.
    check("TILT", golden, 10, 0x395f81bbabf39cacull,
          {{1, 0.8f}, {2, 0.3f}, {3, 0.6f}, {5, 0.7f}, {6, 1.0f}, {7, 0.25f}});
}
