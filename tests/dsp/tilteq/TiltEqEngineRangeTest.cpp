// The tilt EQ over the whole range of sample rates and settings: bounded by
// the gain its design asks for, free of DC, and with the designed response.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/tilteq/TiltEqEngine.h"
#include "tests/support/EnginePrograms.h"
#include "tests/support/Response.h"

using namespace tilteq;

namespace {

using Parameters = std::array<float, kParameterCount>;

// The designed response in dB at hz of the whole engine for settled
// parameters: both tilt shelves, the bass shelf and the output gain.
double designedDb(const Parameters& p, double hz, double rate)
{
    const double s = p[kShelfFrequency];
    const double corner = std::min(s * s * s * 9900.0 + 100.0, 0.49 * rate);
    const double q = 2.0 * p[kShelfQ] + 0.1;
    return testsupport::cookbookShelfDb(true, 16.0 * p[kShelf] - 16.0, corner, q, hz, rate) +
           testsupport::cookbookShelfDb(false, -16.0 * p[kShelf], corner, q, hz, rate) +
           testsupport::cookbookShelfDb(false, 12.0 * (2.0 * p[kBassLift] - 1.0), 300.0, 1.2, hz, rate) +
           20.0 * std::log10(8.0 * p[kVolume] * p[kVolume]);
}

// The largest gain the settings ask for from creation on: both smoothed
// values glide up from 0 at one rate, so the design passes through
// t x ("Shelf", "Shelf frquency") for t from 0 to 1.
double largestDesignedDb(const Parameters& p, double rate)
{
    double largest = -1e9;
    for (int step = 0; step <= 10; ++step) {
        Parameters on = p;
        on[kShelf] *= step / 10.0f;
        on[kShelfFrequency] *= step / 10.0f;
        for (int i = 0; i <= 400; ++i)
            largest = std::max(largest, designedDb(on, 5.0 * std::pow(rate / 10.0, i / 400.0), rate));
    }
    return largest;
}

// The 16 combinations of 0 and 1 for "Shelf", "Shelf frquency", "Shelf q"
// and "Bass lift" over the default program.
Parameters extreme(int combination)
{
    Parameters p = testsupport::tiltEqProgram0();
    p[kShelf] = combination & 1;
    p[kShelfFrequency] = combination >> 1 & 1;
    p[kShelfQ] = combination >> 2 & 1;
    p[kBassLift] = combination >> 3 & 1;
    return p;
}

} // namespace

// Every rate a stream may have, every extreme setting, each channel fed a
// zero-mean input from creation on: silence, -6 dBFS sines at 50 Hz, 1 kHz
// and 10 kHz, noise differenced so that its mean is 0 too.
TEST(TiltEqEngineRange, BoundedAndFreeOfDcAtEveryRateAndExtreme)
{
    const float rates[] = {8000, 22050, 44100, 48000, 96000, 192000, 384000, 768000};
    // Left and right of one run.
    const std::pair<int, int> inputPairs[] = {{0, 4}, {1, 2}, {3, 4}};
    std::vector<float> inputs[5], out[2];
    for (const float rate : rates) {
        const int total = static_cast<int>(1.25f * rate), lastSecond = total - static_cast<int>(rate);
        const double hz[] = {0.0, 50.0, 1000.0, 10000.0};
        for (int kind = 0; kind < 4; ++kind) {
            inputs[kind].resize(total);
            for (int n = 0; n < total; ++n)
                inputs[kind][n] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz[kind] * n / rate));
        }
        std::mt19937 random(1);
        std::normal_distribution<float> gaussian(0.0f, 0.1f);
        float previous = 0.0f;
        inputs[4].resize(total);
        for (float& x : inputs[4]) {
            const float g = gaussian(random);
            x = g - previous;
            previous = g;
        }
        for (int combination = 0; combination < 16; ++combination) {
            Parameters p = extreme(combination);
            const double bound = std::pow(10.0, (largestDesignedDb(p, rate) + 3.0) / 20.0);
            for (const auto& [leftInput, rightInput] : inputPairs) {
                const int kinds[2] = {leftInput, rightInput};
                out[0] = inputs[leftInput], out[1] = inputs[rightInput];
                TiltEqEngine(rate, p.data())
                    .process(out[0].data(), out[1].data(), static_cast<uint32_t>(total));
                for (int c = 0; c < 2; ++c) {
                    const std::vector<float>& in = inputs[kinds[c]];
                    bool finite = true;
                    float inputPeak = 0.0f, outputPeak = 0.0f;
                    double sum = 0.0;
                    for (int n = 0; n < total; ++n) {
                        finite = finite && std::isfinite(out[c][n]);
                        inputPeak = std::max(inputPeak, std::fabs(in[n]));
                        outputPeak = std::max(outputPeak, std::fabs(out[c][n]));
                        if (n >= lastSecond) sum += out[c][n];
                    }
                    const double dc = std::fabs(sum / (total - lastSecond));
                    const double peakBound = kinds[c] == 0 ? 1e-3 : inputPeak * bound;
                    EXPECT_TRUE(finite && outputPeak <= peakBound && dc < 1e-3)
                        << rate << " Hz, combination " << combination << ", input " << kinds[c] << ": peak "
                        << outputPeak << " (bound " << peakBound << "), DC " << dc;
                }
            }
        }
    }
}

// At 44.1 kHz and -20 dBFS, the default program and every extreme answer
// each third octave from 20 Hz to 20 kHz with the designed cascade's gain.
// The fundamental is fitted by least squares, so harmonics and DC stay out.
TEST(TiltEqEngineRange, ResponseIsTheDesignedOne)
{
    constexpr double kRate = 44100.0;
    for (int setting = -1; setting < 16; ++setting) {
        Parameters p = setting < 0 ? testsupport::tiltEqProgram0() : extreme(setting);
        for (int band = 0; band <= 30; ++band) {
            const double hz = 20.0 * std::pow(2.0, band / 3.0);
            TiltEqEngine engine(static_cast<float>(kRate), p.data());
            double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
            const int settle = 22050, total = 44100;
            for (int n = 0; n < total; ++n) {
                const double phase = 2.0 * M_PI * hz * n / kRate;
                float l = static_cast<float>(0.1 * std::sin(phase)), r = l;
                engine.process(&l, &r);
                if (n < settle) continue;
                const double s = std::sin(phase), c = std::cos(phase);
                ss += s * s, cc += c * c, sc += s * c, ys += l * s, yc += l * c;
            }
            const double det = ss * cc - sc * sc;
            const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
            const double measured = 20.0 * std::log10(std::hypot(a, b) / 0.1);
            EXPECT_NEAR(measured, designedDb(p, hz, kRate), 0.1)
                << "setting " << setting << ", " << hz << " Hz";
        }
    }
}
