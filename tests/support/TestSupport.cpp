#include "tests/support/TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kvdtest {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "kvdtest-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string &path) {
    return std::filesystem::exists(path);
}

bool SetHeaderValue(const std::string &hdPath, const std::string &key, const std::string &value) {
    std::string text = ReadFile(hdPath);
    const size_t at = text.find(key);
    if (at == std::string::npos || (at > 0 && text[at - 1] != '\n'))
        return false;
    const size_t end = text.find_first_of("\r\n", at);
    text.replace(at, (end == std::string::npos ? text.size() : end) - at, key + "   = " + value);
    WriteFile(hdPath, text);
    return true;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = m_old;
    lower.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lower);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}

CaptureSink::CaptureSink() : m_previous(ORQ::SetMessageSink(this)) {}

CaptureSink::~CaptureSink() {
    ORQ::SetMessageSink(m_previous);
}

int CaptureSink::Show(const std::string &text, const std::string &caption, unsigned style) {
    m_messages.push_back({text, caption, style});
    if (!m_answers.empty()) {
        int reply = m_answers.front();
        m_answers.pop_front();
        return reply;
    }
    return ORQ::DefaultAnswer(style);
}

std::string CaptureSink::AllTexts() const {
    std::string all;
    for (const auto &m : m_messages) {
        if (!all.empty())
            all += "\n---\n";
        all += m.text;
    }
    return all;
}

} // namespace kvdtest
