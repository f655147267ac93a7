// The binary format: "bplist00", the objects, a table of their offsets, and
// a 32-byte trailer (6 unused bytes, offset size, reference size, object
// count, top object, offset-table offset; big-endian). Every object starts
// with a marker byte: the high nibble is its type, the low one its size, or
// 0xF when an integer object with the size follows.

#include "platform/corefoundation/BinaryPropertyListCheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::detail {
namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kTrailerSize = 32;

// Problems beyond the limits, told apart from malformed structure.
constexpr const char* kTooDeep = "too deep";
constexpr const char* kTooManyObjects = "too many objects";

uint64_t readBigEndian(const uint8_t* bytes, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value = (value << 8) | bytes[i];
    return value;
}

bool isIntegerSize(uint64_t size)
{
    return size == 1 || size == 2 || size == 4 || size == 8;
}

class Checker {
  public:
    Checker(const uint8_t* bytes, size_t length) : bytes_(bytes), length_(length) {}

    const char* run()
    {
        if (length_ < kHeaderSize + kTrailerSize || std::memcmp(bytes_, "bplist00", 8) != 0)
            return "no binary property-list header and trailer";
        const uint8_t* trailer = bytes_ + length_ - kTrailerSize;
        offsetSize_ = trailer[6];
        referenceSize_ = trailer[7];
        objectCount_ = readBigEndian(trailer + 8, 8);
        const uint64_t top = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        objectsEnd_ = length_ - kTrailerSize;
        if (!isIntegerSize(offsetSize_) || !isIntegerSize(referenceSize_))
            return "bad offset or reference size";
        if (objectCount_ == 0 || top >= objectCount_) return "bad object count or top object";
        if (tableOffset_ < kHeaderSize || tableOffset_ > objectsEnd_ ||
            objectCount_ > (objectsEnd_ - tableOffset_) / offsetSize_)
            return "offset table out of bounds";
        state_.assign(objectCount_, State::unvisited);
        height_.assign(objectCount_, 0);
        size_.assign(objectCount_, 0);
        return visit(top);
    }

  private:
    enum class State : uint8_t { unvisited, open, done };

    // A container being walked: its references and the next one to visit.
    struct Frame {
        uint64_t object;
        uint64_t references; // offset of the first reference
        uint64_t count;
        uint64_t keys; // leading references that must name strings
        uint64_t next;
    };

    // Where an object's bytes are; a container's are its references.
    struct Layout {
        const char* problem = nullptr;
        uint8_t type = 0;
        uint64_t body = 0;  // offset of the bytes after the marker and size
        uint64_t units = 0; // of one byte, two (UTF-16) or a reference
        bool container = false;
        uint64_t keyCount = 0;
    };

    // Depth-first over the containers, with an explicit stack bounded by
    // the depth limit.
    const char* visit(uint64_t top)
    {
        std::vector<Frame> stack;
        if (const char* problem = enter(top, stack)) return problem;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.count) {
                finish(frame);
                stack.pop_back();
                continue;
            }
            const uint64_t child =
                readBigEndian(bytes_ + frame.references + frame.next * referenceSize_, referenceSize_);
            ++frame.next;
            if (child >= objectCount_) return "reference to a missing object";
            if (frame.next <= frame.keys && !isKey(child))
                return "dictionary key not a string without zero characters";
            if (state_[child] == State::open) return "container holds itself";
            if (state_[child] == State::unvisited) {
                if (const char* problem = enter(child, stack)) return problem;
            } else if (stack.size() + height_[child] > kMaxPropertyListDepth) {
                return kTooDeep; // through a container seen before
            }
        }
        return size_[top] > kMaxPropertyListObjects ? kTooManyObjects : nullptr;
    }

    // Checks an object; a container is pushed to be walked, a leaf is done.
    const char* enter(uint64_t object, std::vector<Frame>& stack)
    {
        const Layout layout = lay(object);
        if (layout.problem) return layout.problem;
        if (layout.container) {
            if (stack.size() >= kMaxPropertyListDepth) return kTooDeep;
            state_[object] = State::open;
            stack.push_back({object, layout.body, layout.units, layout.keyCount, 0});
        } else {
            state_[object] = State::done;
            size_[object] = 1;
        }
        return nullptr;
    }

    void finish(const Frame& frame)
    {
        uint32_t height = 0;
        uint64_t size = 1;
        for (uint64_t i = 0; i < frame.count; ++i) {
            const uint64_t child =
                readBigEndian(bytes_ + frame.references + i * referenceSize_, referenceSize_);
            height = std::max(height, height_[child]);
            size = std::min(size + size_[child], kMaxPropertyListObjects + 1);
        }
        state_[frame.object] = State::done;
        height_[frame.object] = height + 1;
        size_[frame.object] = size;
    }

    uint64_t offsetOf(uint64_t object) const
    {
        return readBigEndian(bytes_ + tableOffset_ + object * offsetSize_, offsetSize_);
    }

    // libplist asserts on a key that is not a string or holds a zero.
    bool isKey(uint64_t object) const
    {
        const Layout layout = lay(object);
        if (layout.problem) return false;
        const uint8_t* body = bytes_ + layout.body;
        if (layout.type == 0x5) return std::memchr(body, 0, layout.units) == nullptr;
        if (layout.type != 0x6) return false;
        for (uint64_t i = 0; i < layout.units; ++i)
            if (body[2 * i] == 0 && body[2 * i + 1] == 0) return false;
        return true;
    }

    // `count` items of `unit` bytes from `start` lie within the objects.
    bool fits(uint64_t start, uint64_t count, uint64_t unit) const
    {
        return start <= objectsEnd_ && count <= (objectsEnd_ - start) / unit;
    }

    Layout lay(uint64_t object) const
    {
        Layout layout;
        const uint64_t offset = offsetOf(object);
        if (offset < kHeaderSize || offset >= objectsEnd_) {
            layout.problem = "object offset out of bounds";
            return layout;
        }
        const uint8_t marker = bytes_[offset];
        const uint8_t type = marker >> 4;
        uint64_t count = marker & 0x0F;
        uint64_t body = offset + 1;
        const bool counted =
            type == 0x4 || type == 0x5 || type == 0x6 || type == 0xA || type == 0xC || type == 0xD;
        if (counted && count == 0x0F) {
            // The count is an integer object of its own.
            if (!fits(body, 1, 1) || (bytes_[body] >> 4) != 0x1 || (bytes_[body] & 0x0F) > 3) {
                layout.problem = "bad object size";
                return layout;
            }
            const uint64_t size = uint64_t{1} << (bytes_[body] & 0x0F);
            if (!fits(body + 1, size, 1)) {
                layout.problem = "object out of bounds";
                return layout;
            }
            count = readBigEndian(bytes_ + body + 1, size);
            body += 1 + size;
        }
        uint64_t units = 0;
        uint64_t unit = 1;
        switch (type) {
        case 0x0: // null, false, true, fill
            break;
        case 0x1: // integer
        case 0x2: // real
            if (count > 4) {
                layout.problem = "bad number size";
                return layout;
            }
            units = uint64_t{1} << count;
            break;
        case 0x3: // date
            units = 8;
            break;
        case 0x4: // data
        case 0x5: // ASCII string
            units = count;
            break;
        case 0x6: // UTF-16 string
            units = count;
            unit = 2;
            break;
        case 0x8: // UID
            units = count + 1;
            break;
        case 0xA: // array
        case 0xC: // set
        case 0xD: // dictionary: the keys' references, then the values'
            if (type == 0xD && count > UINT64_MAX / 2) {
                layout.problem = "object out of bounds";
                return layout;
            }
            layout.container = true;
            layout.keyCount = type == 0xD ? count : 0;
            units = type == 0xD ? 2 * count : count;
            unit = referenceSize_;
            break;
        default:
            layout.problem = "unknown object type";
            return layout;
        }
        if (!fits(body, units, unit)) {
            layout.problem = "object out of bounds";
            return layout;
        }
        layout.type = type;
        layout.body = body;
        layout.units = units;
        return layout;
    }

    const uint8_t* bytes_;
    size_t length_;
    uint64_t offsetSize_ = 0;
    uint64_t referenceSize_ = 0;
    uint64_t objectCount_ = 0;
    uint64_t tableOffset_ = 0;
    uint64_t objectsEnd_ = 0;
    std::vector<State> state_;
    std::vector<uint32_t> height_; // containers nested within and including the object
    std::vector<uint64_t> size_;   // objects in its expanded tree, saturated
};

} // namespace

std::string checkBinaryPropertyList(const uint8_t* bytes, size_t length)
{
    const char* problem = Checker(bytes, length).run();
    if (problem == nullptr) return {};
    if (problem == kTooDeep) return "has " + depthLimitProblem();
    if (problem == kTooManyObjects) return "has " + objectLimitProblem();
    return std::string("is malformed: ") + problem;
}

} // namespace platform::detail
