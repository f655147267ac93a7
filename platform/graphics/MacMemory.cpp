// A handle is the address of the first field of a block that also records
// the size; the bytes follow in the same allocation.

#include "platform/graphics/MacMemory.h"

#include <cstdlib>
#include <cstring>

namespace {

struct HandleBlock {
    char* bytes;
    Size size;
};

HandleBlock* blockOf(Handle handle)
{
    return reinterpret_cast<HandleBlock*>(handle);
}

} // namespace

Handle NewHandle(Size size)
{
    if (size < 0) return nullptr;
    auto* block = static_cast<HandleBlock*>(std::calloc(1, sizeof(HandleBlock) + static_cast<size_t>(size)));
    if (!block) return nullptr;
    block->bytes = reinterpret_cast<char*>(block + 1);
    block->size = size;
    return &block->bytes;
}

void DisposeHandle(Handle handle)
{
    std::free(blockOf(handle));
}

Size GetHandleSize(Handle handle)
{
    return handle ? blockOf(handle)->size : 0;
}
