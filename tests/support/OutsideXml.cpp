#include "tests/support/OutsideXml.h"

#include "tests/support/TestSupport.h"

#include "orq_utils/Str.h"

#include <cstdio>
#include <sys/wait.h>

namespace kvdtest {

namespace {

// A word for the shell: quoted, with its own quotes escaped.
std::string Quoted(const std::string &word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a command; true when it exited with 0. Its output and errors go to output.
bool Run(const std::string &command, std::string &output) {
    output.clear();
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        output = "cannot run: " + command;
        return false;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Each value is printed as the hexadecimal digits of its UTF-8 bytes on a line of its own, so
// that no character of the value can be mistaken for a separator.
// Each file starts a line "f"; each value is printed as the hexadecimal digits of its UTF-8
// bytes on a line of its own, so that no character of the value can be mistaken for a separator.
const char kElementTreeScript[] = R"(import sys
import xml.etree.ElementTree as ET
for path in sys.argv[3:]:
    print("f")
    for e in ET.parse(path).getroot().iter(sys.argv[1]):
        v = e.get(sys.argv[2])
        if v is not None:
            print("v" + v.encode("utf-8").hex())
)";

std::string QuotedAll(const std::vector<std::string> &words) {
    std::string out;
    for (const std::string &w : words)
        out += " " + Quoted(w);
    return out;
}

} // namespace

bool XmllintAccepts(const std::vector<std::string> &paths, std::string &messages) {
    return Run("xmllint --noout" + QuotedAll(paths), messages);
}

bool XmllintAccepts(const std::string &path, std::string &messages) {
    return XmllintAccepts(std::vector<std::string>{path}, messages);
}

bool ElementTreeValues(const std::vector<std::string> &paths, const std::string &element,
                       const std::string &attribute,
                       std::vector<std::vector<std::string>> &utf8Values, std::string &messages) {
    utf8Values.clear();
    TempDir dir;
    const std::string script = dir.File("values.py");
    WriteFile(script, kElementTreeScript);
    std::string output;
    const bool ok = Run(
        "python3 " + Quoted(script) + QuotedAll({element, attribute}) + QuotedAll(paths), output);
    messages = output;
    if (!ok)
        return false;
    size_t pos = 0;
    while (pos < output.size()) {
        size_t end = output.find('\n', pos);
        if (end == std::string::npos)
            end = output.size();
        if (output[pos] == 'f') {
            utf8Values.emplace_back();
        } else if (output[pos] == 'v' && !utf8Values.empty()) {
            std::string value;
            for (size_t i = pos + 1; i + 1 < end; i += 2)
                value += static_cast<char>(HexValue(output[i]) * 16 + HexValue(output[i + 1]));
            utf8Values.back().push_back(value);
        }
        pos = end + 1;
    }
    return utf8Values.size() == paths.size();
}

bool ElementTreeValues(const std::string &path, const std::string &element,
                       const std::string &attribute, std::vector<std::string> &utf8Values,
                       std::string &messages) {
    std::vector<std::vector<std::string>> all;
    utf8Values.clear();
    if (!ElementTreeValues(std::vector<std::string>{path}, element, attribute, all, messages))
        return false;
    utf8Values = all[0];
    return true;
}

std::string Cp1252AsUtf8(const std::string &text) {
    std::string out;
    for (char c : text) {
        const uint32_t cp = ORQ::Cp1252ToUnicode(static_cast<unsigned char>(c));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace kvdtest
