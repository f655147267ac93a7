#include "host/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "host/HostError.h"

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd; }

  private:
    int fd;
};

std::string reason(int error)
{
    switch (error) {
    case ENOENT:
        return "it does not exist";
    case EACCES:
        return "permission denied";
    default:
        return std::strerror(error);
    }
}

// "64 MiB", "512 KiB" or "100 bytes".
std::string describeSize(size_t bytes)
{
    for (const auto& [shift, unit] : {std::pair{20, " MiB"}, std::pair{10, " KiB"}})
        if (bytes >= (size_t{1} << shift) && bytes % (size_t{1} << shift) == 0)
            return std::to_string(bytes >> shift) + unit;
    return std::to_string(bytes) + " bytes";
}

} // namespace

std::string readInputFile(const std::string& path, std::string_view role, size_t maxBytes)
{
    const std::string name = std::string(role) + " '" + path + "'";
    // Non-blocking so that a named pipe is refused below instead of waited on.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) throw HostError("cannot open " + name + ": " + reason(errno), "check the path");
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        throw HostError("cannot read " + name + ": " + reason(errno), "check the path");
    if (S_ISDIR(status.st_mode)) throw HostError(name + " is a directory", "name a file in it");
    if (!S_ISREG(status.st_mode))
        throw HostError(name + " is not a regular file (a device, pipe or socket)", "name an ordinary file");
    const std::string limit = "it must be at most " + describeSize(maxBytes);
    if (static_cast<uint64_t>(status.st_size) > maxBytes)
        throw HostError(name + " is too large (" + std::to_string(status.st_size) + " bytes)", limit);

    // Read to the end rather than to the size seen, which may change; one
    // byte more than the limit shows a file that grew past it.
    std::string contents(static_cast<size_t>(status.st_size) + 1, '\0');
    size_t filled = 0;
    for (;;) {
        if (filled == contents.size()) {
            if (contents.size() > maxBytes) throw HostError(name + " grew too large while being read", limit);
            contents.resize(std::min(contents.size() * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw HostError("cannot read " + name + ": " + reason(errno), "check the file");
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    contents.resize(filled);
    return contents;
}
