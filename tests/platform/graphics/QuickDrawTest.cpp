// Graphics worlds: their pixel maps, Quartz contexts on them, CopyBits and
// the current port.

#include <gtest/gtest.h>

#include <array>

#include "platform/graphics/QuickDraw.h"

namespace {

// A graphics world that disposes of itself.
struct World {
    GWorldPtr world = nullptr;
    OSErr status;
    explicit World(Rect bounds) : status(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0)) {}
    ~World() { DisposeGWorld(world); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    PixMapHandle pixMap() const { return GetGWorldPixMap(world); }
    uint8_t* pixel(int x, int row) const
    {
        return reinterpret_cast<uint8_t*>(GetPixBaseAddr(pixMap())) +
               row * (GetPixRowBytes(pixMap()) & 0x3FFF) + x * 4;
    }
    std::array<uint8_t, 4> bytes(int x, int row) const
    {
        const uint8_t* p = pixel(x, row);
        return {p[0], p[1], p[2], p[3]};
    }
    void set(int x, int row, std::array<uint8_t, 4> argb) const
    {
        std::copy(argb.begin(), argb.end(), pixel(x, row));
    }
};

using Bytes = std::array<uint8_t, 4>;

TEST(GWorld, PixelMapDescribesZeroedThirtyTwoBitRows)
{
    World w({10, 20, 14, 26});
    ASSERT_EQ(w.status, noErr);
    const PixMapHandle pm = w.pixMap();
    EXPECT_EQ(GetPixDepth(pm), 32);
    EXPECT_EQ(GetPixRowBytes(pm) & 0x3FFF, 24);
    EXPECT_TRUE(GetPixRowBytes(pm) & kPixMapRowBytesFlag);
    Rect bounds;
    GetPortBounds(w.world, &bounds);
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.bottom, 14);
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(w.bytes(x, row), (Bytes{0, 0, 0, 0}));

    EXPECT_FALSE(IsPixMapLocked(pm));
    EXPECT_TRUE(LockPixels(pm));
    EXPECT_TRUE(IsPixMapLocked(pm));
    UnlockPixels(pm);
    EXPECT_FALSE(IsPixMapLocked(pm));
}

TEST(GWorld, RefusesOtherDepthsAndImpossibleBounds)
{
    GWorldPtr world = reinterpret_cast<GWorldPtr>(1);
    const Rect bounds{0, 0, 4, 4};
    EXPECT_EQ(NewGWorld(&world, 16, &bounds, nullptr, nullptr, 0), cDepthErr);
    EXPECT_EQ(world, nullptr);
    const Rect empty{0, 0, 0, 4};
    EXPECT_EQ(NewGWorld(&world, 32, &empty, nullptr, nullptr, 0), paramErr);
    const Rect wide{0, 0, 1, 4096};
    EXPECT_EQ(NewGWorld(&world, 32, &wide, nullptr, nullptr, 0), paramErr) << "a row is at most 0x3FFF bytes";
    uint32_t memory[8] = {};
    EXPECT_EQ(NewGWorldFromPtr(&world, 16, &bounds, nullptr, nullptr, 0, reinterpret_cast<Ptr>(memory), 16),
              cDepthErr);
    EXPECT_EQ(NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                               reinterpret_cast<Ptr>(memory), 8),
              paramErr);
}

TEST(GWorld, QuartzDrawsPremultipliedARGBBytesThatReadBackTheSame)
{
    World w({0, 0, 2, 2});
    CGContextRef context;
    ASSERT_EQ(QDBeginCGContext(w.world, &context), noErr);
    CGContextRef second;
    EXPECT_EQ(QDBeginCGContext(w.world, &second), paramErr) << "one context per port";
    // Bottom-up: y 1 to 2 is the top row.
    CGContextSetRGBFillColor(context, 1, 0.5, 0, 0.5);
    CGContextFillRect(context, CGRectMake(0, 1, 1, 1));
    const Bytes drawn = w.bytes(0, 0);
    EXPECT_NEAR(drawn[0], 128, 1);
    EXPECT_EQ(drawn[1], drawn[0]);
    EXPECT_NEAR(drawn[2], 64, 1);
    EXPECT_EQ(drawn[3], 0);
    EXPECT_EQ(w.bytes(0, 1), (Bytes{0, 0, 0, 0}));

    // Bytes written by hand come back unchanged through an image of the
    // context.
    w.set(1, 1, {200, 100, 50, 25});
    CGImageRef image = CGBitmapContextCreateImage(context);
    ASSERT_EQ(QDEndCGContext(w.world, &context), noErr);
    EXPECT_EQ(context, nullptr);

    World copy({0, 0, 2, 2});
    CGContextRef copyContext;
    ASSERT_EQ(QDBeginCGContext(copy.world, &copyContext), noErr);
    CGContextDrawImage(copyContext, CGRectMake(0, 0, 2, 2), image);
    QDEndCGContext(copy.world, &copyContext);
    CGImageRelease(image);
    EXPECT_EQ(copy.bytes(1, 1), (Bytes{200, 100, 50, 25}));
    EXPECT_EQ(copy.bytes(0, 0), drawn);
}

TEST(GWorld, CopyBitsCopiesClipsAndScales)
{
    World from({0, 0, 4, 4});
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 4; ++x)
            from.set(x, row, {255, static_cast<uint8_t>(x), static_cast<uint8_t>(row), 9});

    World to({0, 0, 4, 4});
    const Rect source{1, 1, 3, 3};
    // Placed at the bottom-right corner, half of it outside.
    const Rect destination{3, 3, 5, 5};
    CopyBits(GetPortBitMapForCopyBits(from.world), GetPortBitMapForCopyBits(to.world), &source, &destination,
             srcCopy, nullptr);
    EXPECT_EQ(QDError(), noErr);
    EXPECT_EQ(to.bytes(3, 3), (Bytes{255, 1, 1, 9}));
    EXPECT_EQ(to.bytes(2, 2), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(to.bytes(2, 3), (Bytes{0, 0, 0, 0}));

    World big({0, 0, 4, 4});
    const Rect twice{0, 0, 4, 4};
    CopyBits(GetPortBitMapForCopyBits(from.world), GetPortBitMapForCopyBits(big.world), &source, &twice,
             srcCopy, nullptr);
    EXPECT_EQ(big.bytes(0, 0), (Bytes{255, 1, 1, 9}));
    EXPECT_EQ(big.bytes(1, 1), (Bytes{255, 1, 1, 9}));
    EXPECT_EQ(big.bytes(2, 1), (Bytes{255, 2, 1, 9}));
    EXPECT_EQ(big.bytes(3, 3), (Bytes{255, 2, 2, 9}));

    // Within one map the source is read as it was.
    const Rect all{0, 0, 4, 4}, shifted{0, 1, 4, 5};
    CopyBits(GetPortBitMapForCopyBits(from.world), GetPortBitMapForCopyBits(from.world), &all, &shifted,
             srcCopy, nullptr);
    EXPECT_EQ(from.bytes(3, 2), (Bytes{255, 2, 2, 9}));

    CopyBits(GetPortBitMapForCopyBits(from.world), GetPortBitMapForCopyBits(to.world), &all, &all, 36,
             nullptr);
    EXPECT_EQ(QDError(), paramErr);
    EXPECT_EQ(to.bytes(0, 0), (Bytes{0, 0, 0, 0})) << "an unsupported mode copies nothing";
}

TEST(GWorld, CurrentPortHoldsColoursAndForgetsADisposedWorld)
{
    CGrafPtr saved;
    GDHandle device;
    GetGWorld(&saved, &device);
    GWorldPtr world;
    const Rect bounds{0, 0, 2, 2};
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(world, nullptr);
    CGrafPtr current;
    GetGWorld(&current, &device);
    EXPECT_EQ(current, world);

    RGBColor colour;
    GetBackColor(&colour);
    EXPECT_EQ(colour.red, 0xFFFF);
    const RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    GetForeColor(&colour);
    EXPECT_EQ(colour.red, 0xFFFF);
    EXPECT_EQ(colour.green, 0);

    DisposeGWorld(world);
    GetGWorld(&current, &device);
    EXPECT_EQ(current, nullptr);
    SetGWorld(saved, device);
}

} // namespace
