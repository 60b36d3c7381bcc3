#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Fields of the 128-byte header in front of each trace of a .dt1 file that the GPS code reads
// and writes, by byte offset (little-endian, possibly unaligned inside a loaded block).
namespace TraceHeaderField {

constexpr size_t kSize = 128;
constexpr size_t kTopography = 12; // float, in the .hd header's position unit
constexpr size_t kLongitude = 32;  // double, decimal degrees, west negative
constexpr size_t kLatitude = 40;   // double, decimal degrees, south negative
constexpr size_t kElevation = 48;  // double, metres (the GPS elevation)
constexpr size_t kFlags = 88;      // int32 flag word
// Flag bit: the position or elevation of this trace was interpolated by the write-back.
constexpr int32_t kInterpolated = 0x10;

template <class T> T Get(const void *header, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char *>(header) + offset, sizeof value);
    return value;
}

template <class T> void Put(void *header, size_t offset, T value) {
    std::memcpy(static_cast<char *>(header) + offset, &value, sizeof value);
}

} // namespace TraceHeaderField
