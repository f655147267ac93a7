#include "toolkit/AEffGUIEditor.h"

#include <chrono>
#include <thread>

#include "platform/corefoundation/CoreServices.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

long AEffGUIEditor::knobMode = 0;

namespace {

// Idle passes come at most this often (milliseconds).
constexpr int64_t kIdleInterval = 100;
// A pass is early by at most this much.
constexpr int64_t kIdleTolerance = 50;
// The event loop runs this long between passes.
constexpr EventTimeout kIdleLoopSeconds = 0.004;

} // namespace

AEffGUIEditor::AEffGUIEditor(ComponentInstance effect) : effect(effect)
{
    lLastTicks = getTicks();
}

AEffGUIEditor::~AEffGUIEditor()
{
    *alive = false;
}

void AEffGUIEditor::setParameter(long, float)
{
}

bool AEffGUIEditor::open(WindowRef window)
{
    systemWindow = window;
    return true;
}

void AEffGUIEditor::close()
{
    if (CFrame* closing = frame) {
        frame = nullptr;
        closing->close();
        closing->forget();
    }
    systemWindow = nullptr;
}

void AEffGUIEditor::idle()
{
    if (frame) frame->idle();
}

void AEffGUIEditor::draw(ERect* area)
{
    if (!frame) return;
    if (!area) {
        frame->draw(static_cast<CView*>(nullptr));
        return;
    }
    CDrawContext* context = frame->createDrawContext();
    frame->drawRect(context, toolkit::toCRect(*area));
    context->forget();
}

void AEffGUIEditor::doIdleStuff()
{
    // The host may close the editor while the event loop runs.
    const std::shared_ptr<bool> open = alive;
    int64_t now = getTicks();
    if (now < lLastTicks) {
        RunCurrentEventLoop(kIdleLoopSeconds);
        if (!*open) return;
        now += 4;
        if (now < lLastTicks - kIdleTolerance) return;
    }
    idle();

    static constexpr EventTypeSpec updates[] = {{kEventClassWindow, kEventWindowUpdate},
                                                {kEventClassWindow, kEventWindowDrawContent}};
    EventRef event = nullptr;
    if (ReceiveNextEvent(2, updates, kEventDurationNoWait, true, &event) == noErr && event) {
        SendEventToEventTarget(event, GetEventDispatcherTarget());
        ReleaseEvent(event);
        if (!*open) return;
    }
    lLastTicks = now + kIdleInterval;
}

void AEffGUIEditor::setKnobMode(long mode)
{
    knobMode = mode;
}

bool AEffGUIEditor::onWheel(float distance)
{
    if (!frame) return false;
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    context->getMouseLocation(where);
    const bool result = frame->onWheel(context, where, distance);
    context->forget();
    return result;
}

void AEffGUIEditor::beginEdit(long)
{
}

void AEffGUIEditor::endEdit(long)
{
}

int64_t AEffGUIEditor::getTicks() const
{
    return int64_t{TickCount()} * 1000 / 60;
}

void AEffGUIEditor::wait(uint32_t milliseconds)
{
    const uint64_t ticks = uint64_t{milliseconds} * 60 / 1000;
    std::this_thread::sleep_for(std::chrono::microseconds(ticks * 1000000 / 60));
}
