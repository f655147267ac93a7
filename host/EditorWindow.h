#pragma once

// A unit's editor in a window of its own, opened the way a DAW does it: the
// view component the unit names, a compositing window titled with the
// unit's name, the view's pane in its content view and the window sized to
// the pane. Closing the window (the user's close box) ends run(); the
// window stays until the EditorWindow goes.

#include "host/Catalog.h"
#include "host/EffectUnit.h"
#include "platform/audiounit/AudioUnitCarbonView.h"
#include "platform/hitoolbox/HIToolbox.h"

class EditorWindow {
  public:
    // HostError when the view will not open or build its pane.
    EditorWindow(const EffectUnit& unit, const CatalogEntry& view);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    WindowRef window() const { return theWindow; }
    // Shows the window and runs one pass of the event loop, which draws it.
    void show();
    // Runs the application event loop until endEventLoop.
    static void run();
    // Ends run() as closing the window does; from any thread.
    static void endEventLoop();

  private:
    void release();
    static OSStatus onClose(EventHandlerCallRef, EventRef, void*);

    AudioUnitCarbonView view = nullptr;
    WindowRef theWindow = nullptr;
};

// The view component the unit names first; HostError when it names none or
// one that is not registered.
const CatalogEntry& editorViewOf(const EffectUnit& unit, const Catalog& catalog);
