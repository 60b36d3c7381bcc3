#pragma once

// The modules' version records: name, version, release text, date and part number separated
// by tabs. Internal to the library.

#include <algorithm>
#include <cstring>

namespace ORQ {

// Copies record into a caller's buffer of size bytes, cut short when it does not fit and
// always terminated inside the buffer; nothing for a null buffer or a size below 1. Returns
// the number of characters copied.
inline size_t CopyVersionRecord(const char *record, char *buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    const size_t n = std::min(std::strlen(record), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, record, n);
    buffer[n] = '\0';
    return n;
}

} // namespace ORQ
