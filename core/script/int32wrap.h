#pragma once

#include <cstdint>

// Game coordinates are picture coordinates plus the metaroom offset; like the scripts
// this program has always written, they wrap around at 32 bits instead of overflowing.

inline std::int32_t wrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t wrappingSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
