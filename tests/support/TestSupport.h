#pragma once

#include "orq_utils/MessageSink.h"

#include <sys/resource.h>

#include <deque>
#include <string>
#include <vector>

namespace kvdtest {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &Path() const { return m_path; }
    // Path of a file or folder inside this folder.
    std::string File(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Whole-file helpers for fixtures and byte-exact checks.
std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
// Gives the keyed line of a .hd header the value text, as a person editing it by hand writes it
// (key, spaces, "= ", the text; the line's end kept); false when the header has no such key.
bool SetHeaderValue(const std::string &hdPath, const std::string &key, const std::string &value);

// Lowers the process's file size limit while it lives: a write beyond it fails (a full disk, as
// far as the writer can tell) instead of raising its signal.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int);
};

// Records every message shown while it is installed and answers from a script (then with the
// default button). Restores the previous sink when it goes.
class CaptureSink : public ORQ::IMessageSink {
public:
    struct Message {
        std::string text;
        std::string caption;
        unsigned style;
    };
    CaptureSink();
    ~CaptureSink() override;
    int Show(const std::string &text, const std::string &caption, unsigned style) override;

    void Answer(int reply) { m_answers.push_back(reply); }
    const std::vector<Message> &Messages() const { return m_messages; }
    // All texts joined with "\n---\n", handy in assertion output.
    std::string AllTexts() const;
    void Clear() { m_messages.clear(); }

private:
    ORQ::IMessageSink *m_previous;
    std::vector<Message> m_messages;
    std::deque<int> m_answers;
};

} // namespace kvdtest
