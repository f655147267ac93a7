#pragma once

// The base of the plug-ins' editors: holds the editor rectangle, the frame
// the derived editor builds in open, the effect it edits and the host
// window; paces idle; keeps the plug-in bundle located for bitmaps.
//
// The frame belongs to the editor: close() closes and forgets it, so a
// derived editor's close calls this one after letting go of its views.
//
// Main thread only.

#include <cstdint>
#include <memory>

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/BundleRef.h"
#include "toolkit/ERect.h"

class CFrame;

class AEffGUIEditor {
  public:
    explicit AEffGUIEditor(ComponentInstance effect);
    virtual ~AEffGUIEditor();
    AEffGUIEditor(const AEffGUIEditor&) = delete;
    AEffGUIEditor& operator=(const AEffGUIEditor&) = delete;

    virtual void setParameter(long index, float value);
    virtual ERect getRect() const { return rect; }
    // Stores the window; the derived editor then builds its frame.
    virtual bool open(WindowRef window);
    virtual void close();
    virtual void idle();
    // Null: the whole frame.
    virtual void draw(ERect* rect);
    // Runs the event loop briefly and, at most every 100 ms, idle and one
    // pending window update.
    virtual void doIdleStuff();
    virtual void setKnobMode(long mode);
    virtual bool onWheel(float distance);
    virtual void beginEdit(long index);
    virtual void endEdit(long index);

    // The tick count in milliseconds, in 64 bits.
    int64_t getTicks() const;
    void wait(uint32_t milliseconds);

    CFrame* getFrame() const { return frame; }
    ComponentInstance getEffect() const { return effect; }
    WindowRef getSystemWindow() const { return systemWindow; }

    // The knob mode of every editor in the process.
    static long knobMode;

  protected:
    ERect rect;
    CFrame* frame = nullptr;
    ComponentInstance effect = nullptr;
    WindowRef systemWindow = nullptr;
    int64_t lLastTicks = 0; // the next idle pass is not due before

  private:
    toolkit::BundleHold bundle;
    // False once the editor is gone: doIdleStuff stops after an event loop
    // run in which the host closed it.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};
