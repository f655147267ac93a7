#include "host/EditorWindow.h"

#include <algorithm>

#include "host/HostError.h"
#include "platform/corefoundation/CFRef.h"
#include "platform/corefoundation/CFRunLoop.h"

namespace {

// Where the window opens before it is sized to the pane.
constexpr Rect kInitialBounds{80, 80, 380, 480};

} // namespace

EditorWindow::EditorWindow(const EffectUnit& unit, const CatalogEntry& viewEntry)
{
    checkStatus(OpenAComponent(viewEntry.component, &view),
                "cannot open the editor view '" + viewEntry.name + "'", "reinstall the unit's bundle");
    const OSStatus created = CreateNewWindow(kDocumentWindowClass,
                                             kWindowCloseBoxAttribute | kWindowCompositingAttribute |
                                                 kWindowStandardHandlerAttribute,
                                             &kInitialBounds, &theWindow);
    if (created != noErr) {
        CloseComponent(view);
        checkStatus(created, "cannot make a window for the editor", "");
    }
    const platform::CFRef title(
        CFStringCreateWithCString(nullptr, unit.name().c_str(), kCFStringEncodingUTF8));
    SetWindowTitleWithCFString(theWindow, title.get());
    static const EventTypeSpec closeEvent{kEventClassWindow, kEventWindowClose};
    InstallWindowEventHandler(theWindow, onClose, 1, &closeEvent, nullptr, nullptr);

    HIViewRef content = nullptr;
    HIViewFindByID(HIViewGetRoot(theWindow), kHIViewWindowContentID, &content);
    const Float32Point location{0, 0};
    const Float32Point size{Float32(kInitialBounds.right - kInitialBounds.left),
                            Float32(kInitialBounds.bottom - kInitialBounds.top)};
    ControlRef pane = nullptr;
    const OSStatus made =
        AudioUnitCarbonViewCreate(view, unit.get(), theWindow, content, &location, &size, &pane);
    if (made != noErr || !pane) {
        release();
        checkStatus(made != noErr ? made : paramErr, "the editor of '" + unit.name() + "' failed to open",
                    "the unit's bundle may be damaged");
    }
    Rect bounds;
    GetControlBounds(pane, &bounds);
    // A pane without a size still gets a window that can be seen and closed.
    SizeWindow(theWindow, static_cast<int16_t>(std::max(bounds.right - bounds.left, 16)),
               static_cast<int16_t>(std::max(bounds.bottom - bounds.top, 16)), true);
}

EditorWindow::~EditorWindow()
{
    release();
}

void EditorWindow::release()
{
    // The view removes what it put into the window before the window goes.
    if (view) CloseComponent(view);
    view = nullptr;
    if (theWindow) DisposeWindow(theWindow);
    theWindow = nullptr;
}

void EditorWindow::show()
{
    ShowWindow(theWindow);
    RunCurrentEventLoop(0);
}

OSStatus EditorWindow::onClose(EventHandlerCallRef, EventRef, void*)
{
    QuitApplicationEventLoop();
    return noErr;
}

void EditorWindow::endEventLoop()
{
    // Through the run loop, which wakes a loop that waits for input and
    // makes it safe from any thread.
    platform::performOnRunLoop(
        CFRunLoopGetMain(), kCFRunLoopCommonModes, [](void*) { QuitApplicationEventLoop(); }, nullptr);
}

void EditorWindow::run()
{
    RunApplicationEventLoop();
}

const CatalogEntry& editorViewOf(const EffectUnit& unit, const Catalog& catalog)
{
    const std::vector<ComponentDescription> views = unit.editorViews();
    if (views.empty())
        throw HostError("'" + unit.name() + "' has no editor",
                        "'auhost info " + unit.name() + "' describes it");
    const CatalogEntry* entry = catalog.find(views.front());
    if (!entry)
        throw HostError("the editor of '" + unit.name() + "' (" + formatCodes(views.front()) +
                            ") is not registered",
                        "its bundle's Info.plist should list it");
    return *entry;
}
