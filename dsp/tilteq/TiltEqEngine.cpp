#include "dsp/tilteq/TiltEqEngine.h"

#include <cmath>

TiltEqEngine::TiltEqEngine(float sampleRate, float* parameters) : parameters(parameters)
{
    initialize(sampleRate);
}

void TiltEqEngine::initialize(float sampleRate)
{
    tiltHighLeft = std::make_unique<HighShelf>(sampleRate, 8);
    tiltHighRight = std::make_unique<HighShelf>(sampleRate, 8);
    tiltLowLeft = std::make_unique<LowShelf>(sampleRate, 8);
    tiltLowRight = std::make_unique<LowShelf>(sampleRate, 8);
    bassLeft = std::make_unique<LowShelf>(sampleRate, 12);
    bassRight = std::make_unique<LowShelf>(sampleRate, 12);
}

void TiltEqEngine::process(float* left, float* right)
{
    const float* p = parameters;
    if (!(p[6] > 0.5f)) {
        // Off leaves the signal untouched, save what no output may carry.
        if (!std::isfinite(*left)) *left = 0.0f;
        if (!std::isfinite(*right)) *right = 0.0f;
        return;
    }

    smoothedFrequency = (smoothedFrequency * 1199.0f + p[7]) * 0.00083333335f + 1e-9f;
    smoothedShelf = (1199.0f * smoothedShelf + p[1]) * 0.00083333335f + 1e-9f;

    *left += signalOffset;
    *right += signalOffset;
    stageLeft = *left;
    stageRight = *right;

    const float q = p[2] * 2.0f + 0.1f;
    const float s = smoothedFrequency;
    const float f = s * (s * s) * 9900.0f + 100.0f;

    stageLeft = tiltHighLeft->tick(stageLeft, f, q, smoothedShelf - 0.5f);
    stageRight = tiltHighRight->tick(stageRight, f, q, smoothedShelf - 0.5f);
    stageLeft += signalOffset;
    stageRight += signalOffset;

    stageLeft = tiltLowLeft->tick(stageLeft, f, q, 0.5f - smoothedShelf);
    stageRight = tiltLowRight->tick(stageRight, f, q, 0.5f - smoothedShelf);
    stageLeft += signalOffset;
    stageRight += signalOffset;

    stageLeft = bassLeft->tick(stageLeft, 300.0f, 1.2f, p[3]);
    stageRight = bassRight->tick(stageRight, 300.0f, 1.2f, p[3]);

    float outLeft = p[5] * (stageLeft * 8.0f * p[5]);
    float outRight = p[5] * (8.0f * stageRight * p[5]);
    if (!std::isfinite(outLeft + outRight + smoothedFrequency + smoothedShelf)) recover(outLeft, outRight);
    *left = outLeft;
    *right = outRight;
}

void TiltEqEngine::recover(float& left, float& right)
{
    if (!std::isfinite(smoothedFrequency)) smoothedFrequency = 0.0f;
    if (!std::isfinite(smoothedShelf)) smoothedShelf = 0.0f;
    if (!std::isfinite(left)) {
        left = 0.0f;
        tiltHighLeft->clearHistory();
        tiltLowLeft->clearHistory();
        bassLeft->clearHistory();
    }
    if (!std::isfinite(right)) {
        right = 0.0f;
        tiltHighRight->clearHistory();
        tiltLowRight->clearHistory();
        bassRight->clearHistory();
    }
}
