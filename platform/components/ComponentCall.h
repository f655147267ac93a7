#pragma once

// Packing of argument words, in the order of the original platform's calls.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace platform::detail {

template <typename T> uintptr_t toWord(T value)
{
    if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<uint32_t>(value);
    else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>)
        return reinterpret_cast<uintptr_t>(value);
    else if constexpr (std::is_enum_v<T>)
        return toWord(static_cast<std::underlying_type_t<T>>(value));
    else {
        static_assert(std::is_integral_v<T> && sizeof(T) <= sizeof(uintptr_t));
        // Narrower signed values are widened to their 32-bit pattern, as on
        // the original platform, so that the callee reads them back from the
        // low half as int32_t whatever width the caller passed.
        if constexpr (std::is_signed_v<T> && sizeof(T) <= sizeof(int32_t))
            return static_cast<uint32_t>(static_cast<int32_t>(value));
        else
            return static_cast<uintptr_t>(value);
    }
}

} // namespace platform::detail

template <typename... Args>
ComponentResult platform::callSelector(ComponentInstance instance, int16_t selector, Args... args)
{
    static_assert(sizeof...(Args) <= 8);
    ComponentParameters block{};
    block.paramSize = static_cast<uint8_t>(sizeof...(Args) * sizeof(uintptr_t));
    block.what = selector;
    // The trailing 0 keeps the array non-empty for calls without arguments.
    const uintptr_t words[] = {detail::toWord(args)..., 0};
    // Word 0 is the last argument.
    for (size_t i = 0; i < sizeof...(Args); ++i) block.params[i] = words[sizeof...(Args) - 1 - i];
    return CallComponent(instance, &block);
}
