#pragma once

#include <wx/process.h>
#include <wx/string.h>

#include <string>

// The desktop's opener, "xdg-open" found on PATH, run on its own on one file or web address:
// the program goes on while the opener (and the program it hands the file to) runs. What the
// opener prints, the names of the programs it tried and their complaints, says nothing to the
// person at the program's terminal: it goes into a file of its own instead of the program's
// error output, and into the diagnostic log when the opener ends. The person sees the
// program's own message of a failure.
class CDesktopOpener : public wxProcess {
public:
    static constexpr const char *kOpener = "xdg-open";

    // The full path of the opener on PATH; empty when there is none.
    static wxString FindOpener();

    // The opener's output as one line of the diagnostic log: line ends become " | ", other
    // control characters blanks, and a text longer than kLogTextMax is cut there with "...".
    static std::string LogLine(const std::string &output);
    static constexpr size_t kLogTextMax = 4000;

protected:
    CDesktopOpener() = default;
    // Removes the output file.
    ~CDesktopOpener() override;

    // Starts the opener at path on argument; false when it could not be started (the caller
    // then deletes the object; otherwise it deletes itself once the opener ended).
    bool Start(const wxString &opener, const wxString &argument);

    // The opener ended with status. report says so for the diagnostic log: the opener, its
    // argument, the exit code and what it printed (as LogLine gives it). Called just before the
    // object goes.
    virtual void OnEnded(int status, const std::string &report) = 0;

private:
    void OnTerminate(int pid, int status) final;
    // What the opener printed so far, read from its output file.
    std::string ReadOutput() const;

    wxString m_argument;
    wxString m_outputPath; // empty: the output is thrown away
};
