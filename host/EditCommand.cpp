#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "host/Commands.h"
#include "host/EditorWindow.h"
#include "host/HostError.h"
#include "host/InputFile.h"
#include "host/ScriptPlayer.h"
#include "host/UnitSettings.h"
#include "platform/audiounit/AUEventListener.h"
#include "platform/corefoundation/PlatformClock.h"
#include "platform/hitoolbox/Headless.h"
#include "platform/hitoolbox/WindowSystem.h"

namespace {

constexpr OptionSpec options[] = {
    {"preset", "N|NAME"},
    {"set", "PARAMETER=VALUE"},
    {"state", "FILE"},
    {"save-state", "FILE"},
    {"scale", "N"},
    {"trace", ""},
    {"screenshot", "FILE.png"},
    {"script", "FILE"},
};

constexpr size_t kMaxScriptBytes = size_t{1} << 20;
constexpr uint32_t kMaxScale = 8;

// SIGINT and SIGTERM end the event loop as closing the window does. The
// handler only writes to a pipe; a thread reading it ends the loop through
// the main run loop, so that nothing unsafe runs in the handler and the loop
// wakes at once. The previous handlers come back afterwards.
class SignalWatch {
  public:
    SignalWatch()
    {
        if (pipe2(fds, O_CLOEXEC) != 0) throw HostError("cannot watch for signals");
        writeEnd = fds[1];
        for (size_t i = 0; i < std::size(kSignals); ++i) {
            struct sigaction action {};
            action.sa_handler = onSignal;
            sigemptyset(&action.sa_mask);
            sigaction(kSignals[i], &action, &previous[i]);
        }
        watcher = std::thread([this] {
            char byte = 0;
            while (read(fds[0], &byte, 1) == 1) EditorWindow::endEventLoop();
        });
    }
    ~SignalWatch()
    {
        for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
        // The watcher reads the end of the pipe and stops.
        close(fds[1]);
        watcher.join();
        close(fds[0]);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM};
    static inline int writeEnd = -1;

    static void onSignal(int)
    {
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
        errno = saved;
    }

    int fds[2] = {-1, -1};
    struct sigaction previous[std::size(kSignals)]{};
    std::thread watcher;
};

// --trace: the host's own listener on every parameter, one line per event.
class Tracer {
  public:
    explicit Tracer(const EffectUnit& unit)
    {
        checkStatus(AUEventListenerCreate(onEvent, nullptr, CFRunLoopGetMain(), kCFRunLoopCommonModes, 0.01f,
                                          0.0f, &listener),
                    "cannot listen to the unit", "");
        for (const ParameterDescription& parameter : unit.parameters())
            for (const AudioUnitEventType type :
                 {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                  kAudioUnitEvent_EndParameterChangeGesture}) {
                AudioUnitEvent event{};
                event.mEventType = type;
                event.mArgument.mParameter = {unit.get(), parameter.id, kAudioUnitScope_Global, 0};
                AUEventListenerAddEventType(listener, this, &event);
            }
    }
    ~Tracer() { AUListenerDispose(listener); }
    Tracer(const Tracer&) = delete;
    Tracer& operator=(const Tracer&) = delete;

  private:
    static void onEvent(void*, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
    {
        const AudioUnitParameterID id = event->mArgument.mParameter.mParameterID;
        if (event->mEventType == kAudioUnitEvent_BeginParameterChangeGesture)
            std::printf("begin %u\n", id);
        else if (event->mEventType == kAudioUnitEvent_EndParameterChangeGesture)
            std::printf("end %u\n", id);
        else
            std::printf("value %u %s\n", id, formatNumber(value).c_str());
        std::fflush(stdout);
    }

    AUEventListenerRef listener = nullptr;
};

bool endsWithPng(const std::string& path)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
}

std::vector<ScriptStep> readScript(const std::string& path)
{
    return parseEditScript(readInputFile(path, "script file", kMaxScriptBytes), path);
}

int runEdit(const CommandLine& arguments, const Catalog& catalog)
{
    expectPositionals(arguments, 1, "auhost edit COMPONENT [OPTION]...");
    const std::optional<std::string> scriptPath = arguments.value("script");
    const std::optional<std::string> screenshot = arguments.value("screenshot");
    const uint32_t scale =
        arguments.value("scale") ? parseCount(*arguments.value("scale"), "--scale", 1, kMaxScale) : 0;
    if (screenshot && !endsWithPng(*screenshot))
        throw UsageError("--screenshot '" + *screenshot + "' does not end in .png");
    const std::vector<ScriptStep> steps = scriptPath ? readScript(*scriptPath) : std::vector<ScriptStep>();
    const bool headless = scriptPath || screenshot;
    if (headless)
        platform::useVirtualClock(CFAbsoluteTimeGetCurrent());
    else if (!platform::windowsystem::choose(platform::windowsystem::Kind::x11, nullptr,
                                             static_cast<int>(scale)))
        throw HostError("the editor needs a display, and none could be opened (is DISPLAY set?)",
                        "without one, run it headless: --script FILE and --screenshot FILE.png");

    // A state file that cannot be written is found before any editing.
    std::optional<AtomicFile> stateFile;
    if (const auto path = arguments.value("save-state")) stateFile.emplace(*path);
    EffectUnit unit(catalog.find(arguments.positionals()[0]));
    std::vector<std::string> warnings;
    applySettings(unit, {arguments.value("state"), arguments.value("preset"), arguments.values("set")},
                  warnings);
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "auhost edit: warning: %s\n", warning.c_str());
    unit.initialize();
    const CatalogEntry& view = editorViewOf(unit, catalog);
    std::optional<Tracer> tracer;
    if (arguments.flag("trace")) tracer.emplace(unit);

    {
        const auto opening = std::chrono::steady_clock::now();
        EditorWindow editor(unit, view);
        editor.show();
        if (tracer)
            std::fprintf(stderr, "auhost edit: first frame %.1f ms after opening the view\n",
                         std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opening)
                             .count());
        if (headless) {
            ScriptPlayer player(editor.window(), steps);
            EditorWindow::run();
            if (!player.failure().empty())
                throw HostError(*scriptPath + ":" + player.failure(),
                                "check that the folder exists and is writable");
            if (screenshot && !platform::headless::writePNG(editor.window(), screenshot->c_str()))
                throw HostError("cannot write the screenshot '" + *screenshot + "'",
                                "check that the folder exists and is writable");
        } else {
            const SignalWatch signals;
            EditorWindow::run();
        }
    }
    tracer.reset();
    if (stateFile) {
        saveState(unit, *stateFile);
        stateFile->commit();
    }
    return 0;
}

} // namespace

const Command editCommand{
    "edit",
    "open an effect's editor in a window",
    "Usage: auhost edit COMPONENT [OPTION]... [--plugins DIR]...\n"
    "Opens the editor of the effect COMPONENT in a window titled with its name,\n"
    "as a host does (the view component the unit names, in a compositing\n"
    "window), and runs until the window is closed or Ctrl-C (SIGINT) or SIGTERM.\n"
    "Then --save-state writes the unit's state, edits included.\n"
    "\n"
    "Settings are applied before the editor opens, in this order: --state,\n"
    "--preset, each --set.\n"
    "  --preset N|NAME         choose factory preset number N, or the one named NAME\n"
    "  --set PARAMETER=VALUE   set a parameter (id or name); repeatable\n"
    "  --state FILE            restore a saved state (XML or binary property list)\n"
    "  --save-state FILE       at the end, save the unit's state as an XML property\n"
    "                          list (written whole or not at all)\n"
    "  --scale N               show the window N times as large (2 for high-density\n"
    "                          screens; default: the screen's)\n"
    "  --trace                 print each event the host hears from the unit:\n"
    "                          'begin ID', 'value ID VALUE', 'end ID'; and on stderr\n"
    "                          the time from opening the view to its first frame\n"
    "  --screenshot FILE.png   write the window as a PNG at the end\n"
    "  --script FILE           drive the editor from FILE (see below)\n"
    "\n"
    "With --script or --screenshot no display is used: the editor runs headless\n"
    "on a virtual clock and 'edit' ends when the script does. Otherwise it needs\n"
    "an X11 display (DISPLAY); under Xvfb: xvfb-run auhost edit COMPONENT.\n"
    "\n"
    "Script: one step a line, '#' starts a comment; X and Y are editor pixels,\n"
    "MODIFIERS any of shift, command, option and control:\n"
    "  press X Y [MODIFIERS]      press the mouse button at X Y\n"
    "  release                    release it\n"
    "  move X Y                   move the mouse (dragging while pressed)\n"
    "  click X Y [MODIFIERS]      press and release\n"
    "  drag X1 Y1 X2 Y2 [STEPS] [MODIFIERS]\n"
    "                             press, move in STEPS steps (default 10), release\n"
    "  wheel X Y DELTA [MODIFIERS]  turn the wheel DELTA lines (up positive)\n"
    "  key NAME [MODIFIERS]       press and release a key: a to z, 0 to 9, return,\n"
    "                             tab, space, delete, escape, left, right, up, down,\n"
    "                             home, end, pageup, pagedown, forwarddelete, minus,\n"
    "                             period\n"
    "  menu ITEM                  the next pop-up menu chooses item ITEM (from 1);\n"
    "                             0 dismisses it\n"
    "  wait MS                    let MS milliseconds pass (timers and idle run)\n"
    "  screenshot FILE.png        write the window as it is now\n"
    "\n"
    "Examples:\n"
    "  auhost edit FlangerUnit --preset 1 --save-state flanger.plist\n"
    "  auhost edit TiltEqUnit --script turn.txt --trace --screenshot tilt.png\n",
    options,
    runEdit,
};
