#pragma once

#include <cmath>
#include <complex>

namespace testsupport {

// Gain in dB of a per-sample processor for a sine of hz, from RMS over two
// seconds (whole periods for any half-integer hz) after settle samples.
template <typename Process>
double sineGainDb(Process&& process, double hz, double sampleRate, double amplitude = 0.1, int settle = 20000)
{
    double in = 0.0, out = 0.0;
    const int total = settle + 2 * static_cast<int>(sampleRate);
    for (int n = 0; n < total; ++n) {
        const auto x = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * n / sampleRate));
        const double y = process(x);
        if (n < settle) continue;
        in += static_cast<double>(x) * x;
        out += y * y;
    }
    return 10.0 * std::log10(out / in);
}

// Magnitude in dB at hz of the cookbook low or high shelf biquad, in double
// precision, as a reference independent of the filters' own arithmetic.
inline double cookbookShelfDb(bool high, double gainDb, double corner, double q, double hz, double sampleRate)
{
    const double a = std::pow(10.0, gainDb / 40.0), w0 = 2.0 * M_PI * corner / sampleRate;
    const double c = std::cos(w0), s = 2.0 * std::sqrt(a) * std::sin(w0) / (2.0 * q);
    const double sign = high ? -1.0 : 1.0; // the high shelf flips the sign of every c term
    const double b[3] = {a * ((a + 1) - sign * (a - 1) * c + s),
                         sign * 2 * a * ((a - 1) - sign * (a + 1) * c),
                         a * ((a + 1) - sign * (a - 1) * c - s)};
    const double d[3] = {(a + 1) + sign * (a - 1) * c + s, -sign * 2 * ((a - 1) + sign * (a + 1) * c),
                         (a + 1) + sign * (a - 1) * c - s};
    const std::complex<double> z = std::polar(1.0, -2.0 * M_PI * hz / sampleRate);
    return 20.0 * std::log10(std::abs((b[0] + b[1] * z + b[2] * z * z) / (d[0] + d[1] * z + d[2] * z * z)));
}

} // namespace testsupport
