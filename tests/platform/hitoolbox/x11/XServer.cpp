#include "XServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <vector>

// After gtest: X11's macros clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

// -1 when the program cannot be started.
pid_t spawn(const std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

std::vector<std::string> split(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

XServer* started = nullptr;

// Stops the server once every test has run.
class Stopper : public ::testing::Environment {
  public:
    void TearDown() override
    {
        if (started) started->stop();
    }
};

[[maybe_unused]] const auto* const stopper = ::testing::AddGlobalTestEnvironment(new Stopper);

} // namespace

XServer& XServer::get()
{
    static XServer instance;
    started = &instance;
    return instance;
}

XServer::XServer()
{
    // Xvfb writes the display number it chose to the pipe.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why = "no pipe";
        return;
    }
    server = fork();
    if (server == 0) {
        // Gone with the tests, however they end; quiet.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        if (fds[1] == 3)
            fcntl(3, F_SETFD, 0);
        else
            dup2(fds[1], 3);
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "800x600x24", "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd fd{fds[0], POLLIN, 0};
    char c = 0;
    while (server > 0 && poll(&fd, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        why = "Xvfb did not start: is it installed (scripts/install-deps.sh)?";
        stop();
        return;
    }
    displayName = ":" + number;
    setenv("DISPLAY", displayName.c_str(), 1);
    display = XOpenDisplay(displayName.c_str());
    if (!display) {
        why = "cannot connect to Xvfb at " + displayName;
        stop();
    }
}

void XServer::stop()
{
    if (display) XCloseDisplay(display);
    display = nullptr;
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    server = -1;
}

uint32_t XServer::pixel(int x, int y) const
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFF;
    const auto value = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return value;
}

XServer::Geometry XServer::geometry(XWindow window) const
{
    Window root = 0;
    int left = 0, top = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, window, &root, &left, &top, &width, &height, &border, &depth)) return {};
    return {left, top, static_cast<int>(width), static_cast<int>(height)};
}

XWindow XServer::windowNamed(const std::string& title) const
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XSync(display, False);
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (title == name) found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

void XServer::requestClose(XWindow window) const
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

int xdotool(const std::string& arguments)
{
    return finish(startXdotool(arguments));
}

pid_t startXdotool(const std::string& arguments)
{
    std::vector<std::string> words = split(arguments);
    words.insert(words.begin(), "xdotool");
    return spawn(words);
}

int finish(pid_t process)
{
    if (process < 0) return -1;
    int status = 0;
    if (waitpid(process, &status, 0) != process) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
