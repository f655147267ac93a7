#pragma once

// Writing a file so that it appears whole or not at all: the data go to a
// temporary file in the destination's folder, renamed over the destination
// only when complete. Dropping an uncommitted AtomicFile removes it, and so
// does SIGINT, SIGTERM or SIGHUP while it exists. A file that replaces an
// existing one is synced to disk before the rename, so that a power cut
// leaves the old file or the new one, never an empty one; a new file is
// not (nothing is lost if it is cut short), as with other tools.

#include <string>

class AtomicFile {
  public:
    // HostError if the destination is a folder or its folder does not take
    // a new file.
    explicit AtomicFile(std::string destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int descriptor() const { return fd; }
    // Writes all of the bytes; HostError on failure.
    void write(const void* data, size_t size);
    // When replacing a file: starts writing what the file holds so far to
    // the disk, without waiting, so that finish() has little left to wait for.
    void startWriteback();

    // Flushes and closes; HostError on failure. Several files that must
    // appear together are all finished before any is committed.
    void finish();
    // Finishes if need be and renames into place; HostError on failure.
    void commit();

  private:
    std::string destination;
    std::string temporary;
    int fd = -1;
    bool replacing = false; // synced before the rename
    int slot = -1;          // in the table the signal handler cleans up
};

// Whether both paths name one existing file (same device and inode).
bool sameFile(const std::string& a, const std::string& b);
