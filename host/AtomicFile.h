#pragma once

// Writing a file so that it appears whole or not at all: the data go to a
// temporary file in the destination's folder, renamed over the destination
// only when complete. Dropping an uncommitted AtomicFile removes it.

#include <string>

class AtomicFile {
  public:
    // HostError if the destination's folder does not take a new file.
    explicit AtomicFile(std::string destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int descriptor() const { return fd; }
    // Writes all of the bytes; HostError on failure.
    void write(const void* data, size_t size);
    // Starts writing what the file holds so far to the disk, without waiting,
    // so that commit() has little left to wait for.
    void startWriteback();

    // Flushes, closes and renames into place; HostError on failure.
    void commit();

  private:
    std::string destination;
    std::string temporary;
    int fd = -1;
};

// Whether both paths name one existing file (same device and inode).
bool sameFile(const std::string& a, const std::string& b);
