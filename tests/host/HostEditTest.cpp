// auhost edit: the test effect's editor driven by scripts, headless, and
// once in a real X11 window.

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "HostRun.h"
#include "tests/support/XServer.h"

extern char** environ;

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// The test editor: a 160-pixel fader for Gain (0 to 4) and a 40-pixel
// button beside it whose menu sets Tempo Probe; 100 pixels high.
constexpr int kEditorWidth = 200, kEditorHeight = 100;

struct Trace {
    std::vector<std::string> lines;
    // The values of one parameter, in order.
    std::vector<double> values(int id) const
    {
        std::vector<double> list;
        const std::string prefix = "value " + std::to_string(id) + " ";
        for (const std::string& line : lines)
            if (line.starts_with(prefix)) list.push_back(std::stod(line.substr(prefix.size())));
        return list;
    }
};

Trace splitLines(const std::string& text)
{
    Trace trace;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) trace.lines.push_back(line);
    return trace;
}

// 0xAARRGGBB, or 0 when the file is no PNG.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture readPng(const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    Picture picture;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        picture.width = cairo_image_surface_get_width(surface);
        picture.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x]);
    }
    cairo_surface_destroy(surface);
    return picture;
}

// Where the fader's bar ends: the first column from the left that is not
// the bar's colour, on the middle row.
int barLength(const Picture& picture)
{
    const uint32_t bar = picture.at(0, kEditorHeight / 2);
    int x = 0;
    while (x < picture.width && picture.at(x, kEditorHeight / 2) == bar) ++x;
    return x;
}

class HostEditTest : public HostTest {
  protected:
    // Fontconfig keeps what it allocates for the fonts the editors match
    // until the process ends: reachable to it, a leak to the leak checker
    // of a sanitized auhost.
    void SetUp() override
    {
        HostTest::SetUp();
        std::ofstream(path("lsan.supp")) << "leak:libfontconfig.so\n";
        extend("LSAN_OPTIONS", "suppressions=" + path("lsan.supp"));
    }
    void TearDown() override
    {
        for (const auto& [name, value] : savedEnvironment) setenv(name.c_str(), value.c_str(), 1);
        HostTest::TearDown();
    }

    std::string script(const std::string& text) const
    {
        std::ofstream(path("script.txt")) << text;
        return path("script.txt");
    }

    // The gain a saved state holds, heard by processing a constant through
    // the unit restored from it.
    float gainOfState(const std::string& state)
    {
        writeAudio(
            path("ones.wav"), 1, 64, [](size_t, int) { return 0.25f; }, kFloatWav);
        const RunResult result =
            run({"process", "TestGain", path("ones.wav"), path("out.wav"), "--state", state});
        EXPECT_EQ(result.status, 0) << result.err;
        const Audio out = readAudio(path("out.wav"));
        return out.samples.empty() ? -1.0f : out.samples.back() / 0.25f;
    }

    XWindow startEditor(pid_t& pid, const std::vector<std::string>& options = {},
                        const std::string& unit = "TestGain") const;

    // Adds an option to a sanitizer's variable for the runs of auhost.
    void extend(const std::string& name, const std::string& option)
    {
        const char* value = std::getenv(name.c_str());
        savedEnvironment.emplace_back(name, value ? value : "");
        setenv(name.c_str(), (option + ":" + savedEnvironment.back().second).c_str(), 1);
    }

    std::vector<std::pair<std::string, std::string>> savedEnvironment;
};

} // namespace

TEST_F(HostEditTest, DragOnTheFaderIsOneGestureWhoseValuesTheSavedStateKeeps)
{
    // From 0 to the middle in 5 steps, then past both ends.
    const RunResult result = run({"edit", "TestGain", "--trace", "--save-state", path("state.plist"),
                                  "--script", script("drag 0 50 80 50 5  # to 2\n")});
    ASSERT_EQ(result.status, 0) << result.err;
    const Trace trace = splitLines(result.out);
    ASSERT_GE(trace.lines.size(), 3u) << result.out;
    EXPECT_EQ(trace.lines.front(), "begin 0");
    EXPECT_EQ(trace.lines.back(), "end 0");
    for (size_t i = 1; i + 1 < trace.lines.size(); ++i) EXPECT_THAT(trace.lines[i], StartsWith("value 0 "));
    const std::vector<double> values = trace.values(0);
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << result.out;
    EXPECT_DOUBLE_EQ(values.back(), 2.0);
    EXPECT_FLOAT_EQ(gainOfState(path("state.plist")), 2.0f);

    const RunResult beyond = run({"edit", "TestGain", "--trace", "--script",
                                  script("drag 100 50 -300 50 3\n"
                                         "drag 0 50 900 50 3\n")});
    ASSERT_EQ(beyond.status, 0) << beyond.err;
    const Trace clamped = splitLines(beyond.out);
    EXPECT_EQ(std::ranges::count(clamped.lines, "begin 0"), 2);
    EXPECT_EQ(std::ranges::count(clamped.lines, "end 0"), 2);
    for (const double value : clamped.values(0)) {
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 4.0);
    }
    EXPECT_DOUBLE_EQ(clamped.values(0).back(), 4.0);
}

TEST_F(HostEditTest, MenuStepsAnswerTheNextPopUpsInOrder)
{
    // On, then a dismissal (nothing changes), then Off.
    const RunResult result =
        run({"edit", "TestGain", "--trace", "--script",
             script("menu 2\nclick 180 50\nmenu 0\nclick 180 50\nmenu 1\nclick 180 50\n")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "begin 1\nvalue 1 1\nend 1\nbegin 1\nvalue 1 0\nend 1\n");
}

TEST_F(HostEditTest, ScreenshotsShowTheEditorDuringAndAfterTheScript)
{
    // Settings come first: the editor opens at Gain 1, a quarter of the fader.
    const RunResult result =
        run({"edit", "TestGain", "--set", "Gain=1", "--screenshot", path("end.png"), "--script",
             script("press 0 50\nmove 120 50\nwait 100\nscreenshot " + path("during.png") + "\nrelease\n")});
    ASSERT_EQ(result.status, 0) << result.err;
    const Picture during = readPng(path("during.png"));
    ASSERT_EQ(during.width, kEditorWidth);
    ASSERT_EQ(during.height, kEditorHeight);
    EXPECT_EQ(barLength(during), 120);
    EXPECT_EQ(barLength(readPng(path("end.png"))), 120);

    // The units' windows are their backgrounds' size.
    for (const std::string unit : {"FlangerUnit", "TiltEqUnit"}) {
        const RunResult shown = run({"edit", unit, "--screenshot", path(unit + ".png")});
        ASSERT_EQ(shown.status, 0) << shown.err;
        const Picture window = readPng(path(unit + ".png"));
        const Picture background = readPng(std::string(AUHOST_BUILD_BUNDLES_DIR) + "/" + unit +
                                           ".component/Contents/Resources/bmp00128.png");
        EXPECT_GT(background.width, 0) << unit;
        EXPECT_EQ(window.width, background.width) << unit;
        EXPECT_EQ(window.height, background.height) << unit;
    }

    const RunResult still = run({"edit", "TestGain", "--set", "Gain=1", "--screenshot", path("still.png")});
    ASSERT_EQ(still.status, 0) << still.err;
    EXPECT_EQ(still.out, "");
    EXPECT_EQ(barLength(readPng(path("still.png"))), 40);
}

TEST_F(HostEditTest, ScriptErrorsNameTheLineAndNothingIsSaved)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"# fine\n\nclick 10 10\njump 1 2\n", ":4: unknown step 'jump'"},
        {"press 10\n", ":1: press needs Y"},
        {"click 10 ten\n", ":1: Y 'ten' is not a number"},
        {"click 1 1 hyper\n", ":1: 'hyper' is not a modifier"},
        {"drag 0 0 1 1 0\n", ":1: STEPS 0 is outside 1 to 1000"},
        {"move 1 1 shift\n", ":1: unexpected 'shift' after move"},
        {"key f13\n", ":1: unknown key 'f13'"},
        {"wait 1.5\nwheel 1 1 2.5\n", ":2: DELTA '2.5' is not whole"},
        {"screenshot out.jpg\n", ":1: the screenshot file 'out.jpg' does not end in .png"},
        {"menu -1\n", ":1: ITEM -1 is outside 0 to 999"},
        {"click 1e9 1\n", ":1: X 1e9 is outside -32767 to 32767"},
    };
    for (const auto& c : cases) {
        const RunResult result =
            run({"edit", "TestGain", "--save-state", path("state.plist"), "--script", script(c.text)});
        EXPECT_EQ(result.status, 2) << c.text;
        EXPECT_THAT(result.err, HasSubstr(path("script.txt") + c.message)) << c.text;
        EXPECT_FALSE(std::filesystem::exists(path("state.plist"))) << c.text;
    }
    // Every kind of step, with every modifier, plays to the end.
    const RunResult all = run({"edit", "TestGain", "--script",
                               script("press 1 1 shift\nmove 2 2\nrelease\nclick 3 3 command option\n"
                                      "drag 1 1 2 2 control\nwheel 5 5 -3\nkey tab shift\nkey a\nmenu 0\n"
                                      "wait 20\nscreenshot " +
                                      path("all.png") + "\n")});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(std::filesystem::exists(path("all.png")));

    const RunResult unwritable =
        run({"edit", "TestGain", "--script", script("screenshot " + path("no/x.png"))});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_THAT(unwritable.err, HasSubstr(path("script.txt") + ":1: cannot write the screenshot"));
}

TEST_F(HostEditTest, WithoutDisplayItSaysHowToRunHeadless)
{
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    const RunResult result = run({"edit", "TestGain"});
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr("needs a display"));
    EXPECT_THAT(result.err, HasSubstr("--script FILE and --screenshot FILE.png"));

    const RunResult badScale = run({"edit", "TestGain", "--scale", "9", "--screenshot", path("x.png")});
    EXPECT_EQ(badScale.status, 2);
    EXPECT_THAT(badScale.err, HasSubstr("--scale must be between 1 and 8"));
}

// The units' own editors, at the places their layouts give the controls.
TEST_F(HostEditTest, TheUnitsEditorsSendGesturesAndTheSavedStatesKeepTheEdits)
{
    const struct {
        const char* unit;
        const char* drag;  // up over a knob
        int knob;          // its parameter
        const char* click; // on the knob, which shows its value without moving it
    } knobs[] = {
        {"FlangerUnit", "drag 115 48 115 20 10\n", 3, "click 115 48\n"},
        {"TiltEqUnit", "drag 200 120 200 80 8\n", 1, "click 200 120\n"},
    };
    for (const auto& k : knobs) {
        const std::string id = std::to_string(k.knob);
        const RunResult turned =
            run({"edit", k.unit, "--trace", "--save-state", path("state.plist"), "--script", script(k.drag)});
        ASSERT_EQ(turned.status, 0) << k.unit << turned.err;
        const Trace trace = splitLines(turned.out);
        ASSERT_GE(trace.lines.size(), 3u) << turned.out;
        EXPECT_EQ(trace.lines.front(), "begin " + id) << k.unit;
        EXPECT_EQ(trace.lines.back(), "end " + id) << k.unit;
        const std::vector<double> values = trace.values(k.knob);
        ASSERT_GE(values.size(), 2u) << turned.out;
        EXPECT_GT(values.back(), values.front()) << turned.out;
        for (const double value : values) {
            EXPECT_GE(value, 0.0);
            EXPECT_LE(value, 1.0);
        }

        const RunResult restored =
            run({"edit", k.unit, "--trace", "--state", path("state.plist"), "--script", script(k.click)});
        ASSERT_EQ(restored.status, 0) << restored.err;
        EXPECT_EQ(splitLines(restored.out).values(k.knob).front(), values.back()) << k.unit << restored.out;
    }

    // The flanger's sync menu, item 3: "Sync Tempo" 2.
    const RunResult synced =
        run({"edit", "FlangerUnit", "--trace", "--script", script("menu 3\nclick 52 113\n")});
    ASSERT_EQ(synced.status, 0) << synced.err;
    EXPECT_EQ(synced.out, "begin 2\nvalue 2 2\nend 2\n");

    // The tilt EQ's on/off button, off and on again.
    const RunResult toggled =
        run({"edit", "TiltEqUnit", "--trace", "--script", script("click 200 210\nclick 200 210\n")});
    ASSERT_EQ(toggled.status, 0) << toggled.err;
    EXPECT_EQ(toggled.out, "begin 6\nvalue 6 0\nend 6\nbegin 6\nvalue 6 1\nend 6\n");
}

namespace {

bool within(const std::function<bool()>& condition)
{
    for (int i = 0; i < 500; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Its exit status, -1 when it did not exit.
int finishEditor(pid_t pid)
{
    int status = -1;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// auhost edit UNIT --trace --save-state state.plist and the options on
// the test X server, in the background; its window once shown, or 0 if
// none came.
XWindow HostEditTest::startEditor(pid_t& pid, const std::vector<std::string>& options,
                                  const std::string& unit) const
{
    const std::vector<std::string> words = {AUHOST_PATH, "edit",          unit,
                                            "--trace",   "--save-state",  path("state.plist"),
                                            "--plugins", TEST_PLUGINS_DIR};
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    for (const std::string& option : options) argv.push_back(const_cast<char*>(option.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int spawned = posix_spawn(&pid, AUHOST_PATH, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return 0;
    if (!within([&] { return readText(path("stderr")).find("first frame") != std::string::npos; })) return 0;
    return XServer::get().windowNamed(unit);
}

TEST_F(HostEditTest, InARealWindowADragIsSavedWhenSigtermEndsIt)
{
    XServer& server = XServer::get();
    ASSERT_TRUE(server.running()) << server.failure();
    pid_t pid = -1;
    const XWindow window = startEditor(pid);
    ASSERT_GT(pid, 0);
    EXPECT_NE(window, 0u) << readText(path("stderr"));
    if (window) {
        EXPECT_EQ(server.geometry(window).width, kEditorWidth);
        EXPECT_EQ(server.geometry(window).height, kEditorHeight);
        const std::string at = "mousemove --window " + std::to_string(window) + " ";
        EXPECT_EQ(xdotool(at + "0 50 mousedown 1 " + at + "60 50 " + at + "120 50 mouseup 1"), 0);
        EXPECT_TRUE(within([&] { return readText(path("stdout")).find("end 0") != std::string::npos; }));
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(finishEditor(pid), 0) << readText(path("stderr"));
    const Trace trace = splitLines(readText(path("stdout")));
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_EQ(trace.lines.front(), "begin 0");
    EXPECT_EQ(trace.lines.back(), "end 0");
    EXPECT_FLOAT_EQ(gainOfState(path("state.plist")), 3.0f);
}

TEST_F(HostEditTest, ClosingTheRealWindowEndsAndSavesAndScaleTwoDoublesIt)
{
    XServer& server = XServer::get();
    ASSERT_TRUE(server.running()) << server.failure();
    pid_t pid = -1;
    const XWindow window = startEditor(pid, {"--scale", "2"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(server.geometry(window).width, 2 * kEditorWidth);
    EXPECT_EQ(server.geometry(window).height, 2 * kEditorHeight);
    if (window)
        server.requestClose(window);
    else
        kill(pid, SIGKILL);
    ASSERT_NE(window, 0u) << readText(path("stderr"));
    EXPECT_EQ(finishEditor(pid), 0) << readText(path("stderr"));
    EXPECT_FLOAT_EQ(gainOfState(path("state.plist")), 1.0f);
}

// The tilt EQ's editor runs the event loop from its timer, so a quit may
// land in that nested run; the end the signal asks for must still reach
// the application's loop. The signal comes at a different time each run;
// the race is rare, so this catches it only now and then.
TEST_F(HostEditTest, SigtermEndsTheTiltEqEditorAndSaves)
{
    ASSERT_TRUE(XServer::get().running()) << XServer::get().failure();
    for (int run = 0; run < 4; ++run) {
        std::filesystem::remove(path("state.plist"));
        pid_t pid = -1;
        EXPECT_NE(startEditor(pid, {}, "TiltEqUnit"), 0u) << readText(path("stderr"));
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + 70 * run));
        kill(pid, SIGTERM);
        const bool ended = within([&] { return waitpid(pid, nullptr, WNOHANG) == pid; });
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        EXPECT_TRUE(ended) << "run " << run;
        EXPECT_TRUE(std::filesystem::exists(path("state.plist"))) << "run " << run;
    }
}
