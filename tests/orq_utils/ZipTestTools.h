#pragma once

// Helpers of the zip tests: the command-line zip tools and Python's zipfile check what the
// interface writes, and write what it reads.

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace ziptest {

// The text in single quotes for the shell.
inline std::string Quote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs command through the shell; its exit status, with standard output and error in *output.
inline int Run(const std::string &command, std::string *output = nullptr) {
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> chunk;
    std::string text;
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        text.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Python's zipfile check of an archive: 0 when testzip finds every entry sound.
inline int PythonTestZip(const std::string &archive, const std::string &password,
                         std::string *output = nullptr) {
    return Run("python3 -c " +
                   Quote("import sys, zipfile\n"
                         "z = zipfile.ZipFile(sys.argv[1])\n"
                         "if sys.argv[2]: z.setpassword(sys.argv[2].encode())\n"
                         "sys.exit(0 if z.testzip() is None else 1)\n") +
                   " " + Quote(archive) + " " + Quote(password),
               output);
}

// Text that deflates well, as radar line headers and traces do.
inline std::string Compressible(size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "NUMBER OF TRACES = " + std::to_string(i % 97) + "\r\n";
    text.resize(size);
    return text;
}

// Bytes that hardly deflate at all.
inline std::string Noise(size_t size, unsigned seed = 1) {
    std::string bytes(size, '\0');
    for (char &b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 16);
    }
    return bytes;
}

} // namespace ziptest
