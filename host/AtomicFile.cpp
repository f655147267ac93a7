#include "host/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

} // namespace

AtomicFile::AtomicFile(std::string destinationPath) : destination(std::move(destinationPath))
{
    const std::filesystem::path target(destination);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = mkstemp(name.data());
    if (fd < 0) fail("cannot create a file next to", destination, errno);
    temporary = name.data();
    // mkstemp makes the file private; give it the mode a new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

AtomicFile::~AtomicFile()
{
    if (fd >= 0) close(fd);
    if (!temporary.empty()) unlink(temporary.c_str());
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
    // Only a hint: commit()'s fsync still reports any failure.
    sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void AtomicFile::commit()
{
    if (fsync(fd) != 0) fail("cannot write", destination, errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0) fail("cannot write", destination, errno);
    if (rename(temporary.c_str(), destination.c_str()) != 0) fail("cannot create", destination, errno);
    temporary.clear();
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
