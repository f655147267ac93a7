#include "host/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/HostError.h"

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int error)
{
    throw HostError(what + " '" + path + "': " + std::strerror(error),
                    "check that the folder exists, is writable and has space");
}

// The temporary files a terminating signal removes. The handler may run on
// any thread at any moment, so a slot's path is complete before it is marked
// in use, and the handler only reads the table and unlinks.
constexpr int kSlots = 16;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
char temporaryPaths[kSlots][PATH_MAX];
std::atomic<bool> slotInUse[kSlots];
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void removeTemporaries(int signal)
{
    for (int i = 0; i < kSlots; ++i)
        if (slotInUse[i].load()) unlink(temporaryPaths[i]);
    // SA_RESETHAND has restored the default action, which the re-raised
    // signal gets once this handler returns: the exit status shows it.
    raise(signal);
}

void installCleanup()
{
    static const bool installed = [] {
        for (const int signal : kCleanedSignals) {
            struct sigaction action {};
            sigaction(signal, nullptr, &action);
            // An ignored signal (nohup) stays ignored.
            if (action.sa_handler == SIG_IGN) continue;
            action = {};
            action.sa_handler = removeTemporaries;
            action.sa_flags = SA_RESETHAND;
            sigemptyset(&action.sa_mask);
            sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// The slot now holding `path`, or -1 when the table is full (a host with
// that many files open at once) or the path too long; such a file is then
// only removed on an orderly exit.
int registerTemporary(const std::string& path)
{
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (slotInUse[i].load()) continue;
        std::memcpy(temporaryPaths[i], path.c_str(), path.size() + 1);
        slotInUse[i].store(true);
        return i;
    }
    return -1;
}

void releaseSlot(int slot)
{
    if (slot >= 0) slotInUse[slot].store(false);
}

// Blocks the cleaned signals on this thread while a temporary file is
// created and registered, so that none slips between the two.
class SignalsHeld {
  public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kCleanedSignals) sigaddset(&set, signal);
        pthread_sigmask(SIG_BLOCK, &set, &previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous;
};

} // namespace

AtomicFile::AtomicFile(std::string destinationPath) : destination(std::move(destinationPath))
{
    std::error_code error;
    if (std::filesystem::is_directory(destination, error))
        throw HostError("'" + destination + "' is a folder",
                        "name a file to write, e.g. '" +
                            (std::filesystem::path(destination) / "out.wav").string() + "'");
    replacing = std::filesystem::exists(destination, error);
    const std::filesystem::path target(destination);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    installCleanup();
    {
        const SignalsHeld held;
        fd = mkstemp(name.data());
        if (fd < 0) fail("cannot create a file next to", destination, errno);
        temporary = name.data();
        slot = registerTemporary(temporary);
    }
    // mkstemp makes the file private; give it the mode a new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

AtomicFile::~AtomicFile()
{
    if (fd >= 0) close(fd);
    if (!temporary.empty()) unlink(temporary.c_str());
    releaseSlot(slot);
}

void AtomicFile::write(const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) fail("cannot write", destination, errno);
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void AtomicFile::startWriteback()
{
    // Only a hint: finish()'s fsync still reports any failure.
    if (replacing) sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void AtomicFile::finish()
{
    if (fd < 0) return;
    if (replacing && fsync(fd) != 0) fail("cannot write", destination, errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0) fail("cannot write", destination, errno);
}

void AtomicFile::commit()
{
    finish();
    if (rename(temporary.c_str(), destination.c_str()) != 0) fail("cannot create", destination, errno);
    // A signal between the rename and here unlinks a name that is gone.
    temporary.clear();
    releaseSlot(slot);
    slot = -1;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
