#include "KVD_Edit/app/shell/DesktopOpener.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <fstream>
#include <iterator>

namespace {

// At most this much of the opener's output is read: a program that floods its output gets its
// first part logged.
constexpr std::streamsize kReadMax = 64 * 1024;

} // namespace

CDesktopOpener::~CDesktopOpener() {
    if (!m_outputPath.empty()) {
        wxLogNull quiet;
        wxRemoveFile(m_outputPath);
    }
}

wxString CDesktopOpener::FindOpener() {
    wxString path;
    wxString found;
    if (wxGetEnv("PATH", &path) && wxFindFileInPath(&found, path, kOpener))
        return found;
    return wxString();
}

bool CDesktopOpener::Start(const wxString &opener, const wxString &argument) {
    m_argument = argument;
    // A failure to make the file or start the opener is reported once, by the caller, not by
    // the toolkit's box too.
    wxLogNull quiet;
    // Made exclusively, readable by the person alone.
    m_outputPath = wxFileName::CreateTempFileName(wxFileName::GetTempDir() + "/KVD_Edit-opener");
    const wxString output = m_outputPath.empty() ? wxString("/dev/null") : m_outputPath;
    // A shell sends the opener's output and error output to the file and then becomes the
    // opener, so that the exit status is the opener's own: 126 or 127 when it could not be run,
    // with the shell's complaint in the file. The names go as arguments, never into the script.
    const wxString script = "out=$1; shift; exec \"$@\" >>\"$out\" 2>&1";
    const wchar_t *argv[] = {L"/bin/sh",      L"-c",           script.wc_str(),   L"sh",
                             output.wc_str(), opener.wc_str(), argument.wc_str(), nullptr};
    return wxExecute(argv, wxEXEC_ASYNC, this) > 0;
}

std::string CDesktopOpener::ReadOutput() const {
    if (m_outputPath.empty())
        return std::string();
    std::ifstream in(m_outputPath.fn_str(), std::ios::binary);
    std::string text(static_cast<size_t>(kReadMax), '\0');
    in.read(&text[0], kReadMax);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::string CDesktopOpener::LogLine(const std::string &output) {
    std::string line, piece;
    const auto endPiece = [&] {
        while (!piece.empty() && piece.back() == ' ')
            piece.pop_back();
        if (!piece.empty())
            line += (line.empty() ? "" : " | ") + piece;
        piece.clear();
    };
    for (char c : output) {
        if (c == '\n')
            endPiece();
        else if (c != '\r')
            piece += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    endPiece();
    if (line.size() > kLogTextMax)
        line = line.substr(0, kLogTextMax) + "...";
    return line;
}

void CDesktopOpener::OnTerminate(int, int status) {
    std::string report = std::string(kOpener) + " \"" + m_argument.utf8_string() +
                         "\" ended with exit code " + std::to_string(status);
    const std::string output = LogLine(ReadOutput());
    report += output.empty() ? std::string(", printing nothing") : "; its output: " + output;
    OnEnded(status, report);
    delete this;
}
