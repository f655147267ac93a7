#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/flanger/FlangerEngine.h"
#include "dsp/tilteq/TiltEqEngine.h"
#include "tests/support/EnginePrograms.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kHostile[] = {std::numeric_limits<float>::quiet_NaN(),
                          kInf,
                          -kInf,
                          FLT_MAX,
                          -FLT_MAX,
                          1e30f,
                          -1e30f,
                          3e18f,
                          1e6f,
                          -1.0f,
                          -1e-40f,
                          0.0f};
const auto kFlangerProgram = testsupport::flangerProgram0();
const auto kTiltProgram = testsupport::tiltEqProgram0();

// Each frame a hostile value goes to a random parameter, and often to the
// samples and the tempo; sane values come back now and then. Returns the
// number of non-finite output samples.
template <size_t Slots, typename Process>
int hostileFrames(std::array<float, Slots>& p, const std::array<float, Slots>& program, Process&& process)
{
    std::mt19937 random(11);
    auto hostile = [&] { return kHostile[random() % std::size(kHostile)]; };
    int nonFinite = 0;
    for (int n = 0; n < 200000; ++n) {
        const auto slot = random() % Slots;
        p[slot] = random() % 4 ? hostile() : program[slot];
        const float tempo = random() % 3 ? 120.0f : hostile();
        float l = random() % 5 ? std::sin(n * 0.05f) : hostile(), r = random() % 5 ? -0.5f : hostile();
        process(&l, &r, tempo);
        nonFinite += !std::isfinite(l) + !std::isfinite(r);
    }
    return nonFinite;
}

// Ten seconds of the program on fixed noise, long enough for huge smoothed
// values to decay. Returns the left RMS over the last second; observe(last)
// runs after every frame.
template <size_t Slots, typename Process, typename Observe>
double settledRms(std::array<float, Slots>& p, const std::array<float, Slots>& program, Process&& process,
                  Observe&& observe)
{
    p = program;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    double sum = 0.0;
    for (int n = 0; n < 10 * 44100; ++n) {
        float l = noise(random), r = l;
        process(&l, &r, 120.0f);
        EXPECT_TRUE(std::isfinite(l) && std::isfinite(r)) << n;
        const bool last = n >= 9 * 44100;
        sum += last ? static_cast<double>(l) * l : 0.0;
        observe(last);
    }
    return std::sqrt(sum / 44100.0);
}

float lead(const FlangerEngine& e)
{
    return std::fmod(e.getLfoPhase(0) - e.getLfoPhase(1) + 255.0f, 255.0f);
}

} // namespace

TEST(Robustness, FlangerSurvivesHostileInputAndRecovers)
{
    auto p = kFlangerProgram;
    decltype(p) q{};
    FlangerEngine engine(44100.0f, p.data()), fresh(44100.0f, q.data());
    auto process = [&](float* l, float* r, float tempo) { engine.process(l, r, tempo); };
    EXPECT_EQ(hostileFrames(p, kFlangerProgram, process), 0);

    // Then it behaves like a fresh engine, though not sample for sample (the
    // LFOs stand elsewhere): the same level, the same phase lead, delays within
    // the fresh engine's sweep.
    float shortest = 1e9f, longest = 0.0f, freshShortest = 1e9f, freshLongest = 0.0f;
    const double recovered = settledRms(p, kFlangerProgram, process, [&](bool last) {
        const float d = engine.getDelaySamples(1);
        shortest = last ? std::min(shortest, d) : shortest;
        longest = last ? std::max(longest, d) : longest;
    });
    const double reference = settledRms(
        q, kFlangerProgram, [&](float* l, float* r, float tempo) { fresh.process(l, r, tempo); },
        [&](bool) {
            freshShortest = std::min(freshShortest, fresh.getDelaySamples(1));
            freshLongest = std::max(freshLongest, fresh.getDelaySamples(1));
        });
    EXPECT_GT(reference, 0.05);
    EXPECT_NEAR(recovered / reference, 1.0, 0.05);
    // Single-precision smoothing stalls within about 0.0004 of its target,
    // below it when rising, above it when falling.
    EXPECT_NEAR(lead(engine), lead(fresh), 127.0f * 0.001f);
    EXPECT_TRUE(shortest >= freshShortest - 0.01f && longest <= freshLongest + 0.01f &&
                longest - shortest > 1.0f);
}

TEST(Robustness, TiltEqSurvivesHostileInputAndRecovers)
{
    auto p = kTiltProgram;
    decltype(p) q{};
    TiltEqEngine engine(44100.0f, p.data()), fresh(44100.0f, q.data());
    auto process = [&](float* l, float* r, float) { engine.process(l, r); };
    EXPECT_EQ(hostileFrames(p, kTiltProgram, process), 0);

    // Time-invariant once settled: the recovered engine matches a fresh one.
    const double recovered = settledRms(p, kTiltProgram, process, [](bool) {});
    const double reference = settledRms(
        q, kTiltProgram, [&](float* l, float* r, float) { fresh.process(l, r); }, [](bool) {});
    EXPECT_GT(reference, 0.05);
    EXPECT_NEAR(recovered / reference, 1.0, 1e-5);
}
