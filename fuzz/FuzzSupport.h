#pragma once

// What every fuzz target shares: a quiet message sink, a private scratch folder for the files
// the parsers read and write, and a check that stops the run with a finding when a property a
// user relies on does not hold.

#include "orq_utils/MessageSink.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace kvdfuzz {

// Answers every message with its default button and shows nothing: a fuzz run meets every
// error message of the parsers many thousand times a second.
class QuietSink : public ORQ::IMessageSink {
public:
    int Show(const std::string &, const std::string &, unsigned style) override {
        return ORQ::DefaultAnswer(style);
    }
};

// Installs the quiet sink once per process.
inline void Quiet() {
    static QuietSink sink;
    static bool installed = (ORQ::SetMessageSink(&sink), true);
    (void)installed;
}

inline std::string &ScratchFolder() {
    static std::string folder;
    return folder;
}

// A scratch folder of this process under $TMPDIR (or /tmp), made once and removed at exit;
// paths inside it.
inline std::string Scratch(const std::string &name) {
    static const std::string folder = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvd_fuzz_XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("kvd fuzz: no scratch folder");
            std::abort();
        }
        ScratchFolder() = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return pattern;
    }();
    return folder + "/" + name;
}

inline void WriteBytes(const std::string &path, const void *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
}

inline void WriteBytes(const std::string &path, const std::string &text) {
    WriteBytes(path, text.data(), text.size());
}

inline std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A broken property is a finding: say which and abort, so libFuzzer keeps the input.
inline void Check(bool ok, const char *what) {
    if (!ok) {
        std::fprintf(stderr, "kvd fuzz: property broken: %s\n", what);
        std::abort();
    }
}

// Reads little-endian integers from the front of a fuzz input.
class Bytes {
public:
    Bytes(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    uint32_t Take32() {
        uint32_t v = 0;
        for (int i = 0; i < 4 && m_size > 0; ++i, ++m_data, --m_size)
            v |= uint32_t(*m_data) << (8 * i);
        return v;
    }
    const uint8_t *Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    const uint8_t *m_data;
    size_t m_size;
};

} // namespace kvdfuzz
