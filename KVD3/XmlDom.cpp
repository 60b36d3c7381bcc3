#include "KVD3/XmlDom.h"

#include "KVD3/XmlText.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/Pieces.h"
#include "orq_utils/Str.h"

#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

using namespace ORQ::xmltext;
using ORQ::Cp1252ToUnicode;
using ORQ::UnicodeToCp1252;

namespace {

const char kVersionRecord[] = "XMLDOM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\tKVD3-XMLDOM";

struct NodeHandle {
    xmlNodePtr node;
};

const char *Str(const xmlChar *s) {
    return reinterpret_cast<const char *>(s);
}
const xmlChar *X(const char *s) {
    return reinterpret_cast<const xmlChar *>(s);
}

bool IsBlank(const xmlChar *s) {
    if (!s)
        return true;
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n')
            return false;
    return true;
}

// Only elements and the document node have children a caller may walk into (an entity
// reference's children are the entity's declaration, a document type's its declarations).
xmlNodePtr FirstChild(xmlNodePtr n) {
    if (n && (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE))
        return n->children;
    return nullptr;
}

std::string QualifiedName(const xmlNs *ns, const xmlChar *name) {
    std::string s;
    if (ns && ns->prefix) {
        s = Str(ns->prefix);
        s += ':';
    }
    if (name)
        s += Str(name);
    return s;
}

std::string NodeName(xmlNodePtr n) {
    switch (n->type) {
    case XML_ELEMENT_NODE:
        return QualifiedName(n->ns, n->name);
    case XML_TEXT_NODE:
        return "#text";
    case XML_CDATA_SECTION_NODE:
        return "#cdata-section";
    case XML_COMMENT_NODE:
        return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return "#document";
    default:
        return n->name ? Str(n->name) : std::string();
    }
}

bool IsElementNamed(xmlNodePtr n, const char *name) {
    if (n->type != XML_ELEMENT_NODE)
        return false;
    if (!n->ns || !n->ns->prefix)
        return std::strcmp(Str(n->name), name) == 0;
    return QualifiedName(n->ns, n->name) == name;
}

// Whether the C text s is the bytes of name from pos on, and no more; name holds no zero byte.
bool IsRest(const char *s, const std::string &name, size_t pos) {
    const size_t len = name.size() - pos;
    return std::strncmp(s, name.data() + pos, len) == 0 && s[len] == '\0';
}

// Whether an attribute's qualified name is name (text of the tree without zero bytes); compared
// in place, as an element's attributes are searched for every value read.
bool IsAttributeNamed(xmlAttrPtr a, const std::string &name) {
    size_t pos = 0;
    if (a->ns && a->ns->prefix) {
        const char *prefix = Str(a->ns->prefix);
        const size_t len = std::strlen(prefix);
        if (name.size() <= len || name.compare(0, len, prefix) != 0 || name[len] != ':')
            return false;
        pos = len + 1;
    }
    return IsRest(a->name ? Str(a->name) : "", name, pos);
}

// name: text of the tree (UTF-8), which never holds a zero byte.
xmlAttrPtr FindAttribute(xmlNodePtr n, const std::string &name) {
    if (!n || n->type != XML_ELEMENT_NODE)
        return nullptr;
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
        if (IsAttributeNamed(a, name))
            return a;
    }
    return nullptr;
}

// Whether 8-bit text reads the same as text of the tree: ASCII that XML can hold, as the most
// names a caller asks for are, needs no conversion.
bool IsPlainText(const std::string &text) {
    for (unsigned char c : text)
        if (c >= 0x80 || (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD))
            return false;
    return true;
}

// Text of the tree in out made the library's 8-bit text, converted only where it is not ASCII.
void FromTreeTextInPlace(std::string &out) {
    for (unsigned char c : out) {
        if (c >= 0x80) {
            out = FromTreeText(out);
            return;
        }
    }
}

// An attribute's value; most hold one text node, read without a copy in between.
void AttributeValue(xmlAttrPtr a, std::string &out) {
    xmlNodePtr c = a->children;
    if (!c) {
        out.clear();
    } else if (!c->next && c->type == XML_TEXT_NODE) {
        out = c->content ? Str(c->content) : "";
    } else {
        xmlChar *value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
        out = value ? Str(value) : "";
        xmlFree(value);
    }
}

void DropBlankText(xmlNodePtr parent) {
    for (xmlNodePtr c = parent->children; c;) {
        xmlNodePtr next = c->next;
        if (c->type == XML_TEXT_NODE && IsBlank(c->content)) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        } else if (c->type == XML_ELEMENT_NODE) {
            DropBlankText(c);
        }
        c = next;
    }
}

// name: text of the tree (UTF-8).
bool IsValidName(const std::string &name) {
    return !name.empty() && xmlValidateName(X(name.c_str()), 0) == 0;
}

// Whether 8-bit text handed in is what reading the tree text gave. Writing it back then changes
// nothing, so characters that the code page lacks (read as '?') survive a caller that writes
// back every value it read.
bool IsReadBack(const char *treeText, const char *text) {
    if (!text)
        return false;
    const char *t = treeText ? treeText : "";
    for (const char *c = t; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80)
            return FromTreeText(t) == text;
    return std::strcmp(t, text) == 0;
}

std::string Lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TrimSpace(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The value of the pseudo-attribute "encoding" in the data of an XML declaration.
std::string DeclaredEncoding(const std::string &data) {
    size_t p = 0;
    while ((p = data.find("encoding", p)) != std::string::npos) {
        const bool startsWord = p == 0 || IsSpace(data[p - 1]);
        size_t q = p + 8;
        while (q < data.size() && IsSpace(data[q]))
            ++q;
        if (startsWord && q < data.size() && data[q] == '=') {
            ++q;
            while (q < data.size() && IsSpace(data[q]))
                ++q;
            if (q < data.size() && (data[q] == '"' || data[q] == '\'')) {
                const size_t end = data.find(data[q], q + 1);
                if (end != std::string::npos)
                    return data.substr(q + 1, end - q - 1);
            }
            return std::string();
        }
        p += 8;
    }
    return std::string();
}

// How a file's declared encoding is read and written. Code page 1252, ISO-8859-1 and ASCII are
// read alike, every byte as code page 1252: files written on Windows often call their code page
// bytes ISO-8859-1 or ASCII. Each is written strictly as what it names.
enum class EncKind { Utf8, Cp1252, Latin1, Ascii, Unicode, Other };

EncKind ClassifyEncoding(const std::string &name) {
    const std::string l = Lower(TrimSpace(name));
    if (l.empty() || l == "utf-8" || l == "utf8")
        return EncKind::Utf8;
    if (l == "windows-1252" || l == "cp1252" || l == "x-cp1252")
        return EncKind::Cp1252;
    if (l == "iso-8859-1" || l == "iso8859-1" || l == "iso_8859-1" || l == "iso_8859-1:1987" ||
        l == "latin1" || l == "latin-1" || l == "l1")
        return EncKind::Latin1;
    if (l == "us-ascii" || l == "ascii")
        return EncKind::Ascii;
    if (l.compare(0, 6, "utf-16") == 0 || l.compare(0, 6, "utf-32") == 0 ||
        l.compare(0, 5, "utf16") == 0 || l.compare(0, 5, "utf32") == 0)
        return EncKind::Unicode;
    return EncKind::Other;
}

bool IsEightBit(EncKind kind) {
    return kind == EncKind::Cp1252 || kind == EncKind::Latin1 || kind == EncKind::Ascii;
}

// The byte of a character in one of the 8-bit encodings; false when the encoding lacks it. The
// five bytes code page 1252 leaves undefined are no characters of a file: outside readers
// refuse them.
bool EightBitByte(EncKind kind, uint32_t cp, unsigned char &byte) {
    switch (kind) {
    case EncKind::Ascii:
        byte = static_cast<unsigned char>(cp);
        return cp < 0x80;
    case EncKind::Latin1:
        byte = static_cast<unsigned char>(cp);
        return cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF);
    default:
        return UnicodeToCp1252(cp, byte) && byte != 0x81 && byte != 0x8D && byte != 0x8F &&
               byte != 0x90 && byte != 0x9D;
    }
}

// The data of an XML declaration at bytes[start] ("<?xml" blank ... "?>").
bool RawDeclaration(const std::string &bytes, size_t start, std::string &data) {
    if (bytes.compare(start, 5, "<?xml") != 0 || start + 5 >= bytes.size() ||
        !IsSpace(bytes[start + 5]))
        return false;
    const size_t end = bytes.find("?>", start + 5);
    if (end == std::string::npos)
        return false;
    data = TrimSpace(bytes.substr(start + 5, end - start - 5));
    return true;
}

// Files larger than this are not loaded (the parser counts in int).
constexpr size_t kMaxFileSize = INT_MAX / 2;
constexpr size_t kBlockSize = 1 << 14;
// The text a save builds, and writes, between two calls of the progress callback.
constexpr size_t kProgressBytes = 1 << 16;

using Progress = std::function<void()>;

void Report(const Progress &progress) {
    if (progress)
        progress();
}

// A file open for a load, closed when it goes. Its reads feed the digest of its bytes when one
// is asked for (the file's stamp needs it).
class FileDescriptor {
public:
    explicit FileDescriptor(const std::string &path)
        : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int Get() const { return m_fd; }

    void KeepDigest(ORQ::CByteDigest *digest) { m_digest = digest; }
    // read(2) on the file, on over interruptions.
    ssize_t Read(char *into, size_t size) const {
        ssize_t n;
        do {
            n = read(m_fd, into, size);
        } while (n < 0 && errno == EINTR);
        if (n > 0 && m_digest)
            m_digest->Add(into, size_t(n));
        return n;
    }

private:
    int m_fd;
    ORQ::CByteDigest *m_digest = nullptr;
};

// The end of the run of ASCII bytes from text[pos], eight bytes at a time where it can.
size_t AsciiEnd(const std::string &text, size_t pos) {
    const size_t size = text.size();
    const char *p = text.data();
    while (pos + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, p + pos, 8);
        if (word & 0x8080808080808080ull)
            break;
        pos += 8;
    }
    while (pos < size && static_cast<unsigned char>(p[pos]) < 0x80)
        ++pos;
    return pos;
}

// Hands the parser a file a block at a time, so that a load never holds the whole file (nor a
// converted copy of it) beside the tree it builds. The bytes read to look at the head of the
// file come first. On the way, the bytes are either passed as they are, read as code page 1252,
// or read as UTF-8 in which each byte that is not part of a valid sequence is read as code page
// 1252; the converted stream is exactly what converting the whole file at once would give.
class FileFeed {
public:
    enum class Mode { AsIs, Cp1252, RepairUtf8 };

    FileFeed(const FileDescriptor &file, std::string head, size_t skip, bool atEnd, Mode mode,
             const Progress &progress)
        : m_file(file), m_mode(mode), m_atEnd(atEnd), m_total(head.size()), m_progress(progress) {
        head.erase(0, skip);
        m_in = std::move(head);
    }

    // Whether reading or converting failed; the parse result is then not to be trusted.
    bool Failed() const { return m_failed; }
    // Whether it failed because the file grew beyond what is loaded.
    bool TooLarge() const { return m_total > kMaxFileSize; }

    // The parser's read callback: up to len bytes into buffer; 0 at the end, -1 on failure.
    static int Read(void *context, char *buffer, int len) {
        FileFeed &f = *static_cast<FileFeed *>(context);
        try {
            while (f.m_outPos >= f.m_out.size()) {
                if (f.m_failed)
                    return -1;
                if (f.m_in.empty() && f.m_atEnd)
                    return 0;
                f.Fill();
            }
            const size_t n =
                std::min(static_cast<size_t>(len < 0 ? 0 : len), f.m_out.size() - f.m_outPos);
            std::memcpy(buffer, f.m_out.data() + f.m_outPos, n);
            f.m_outPos += n;
            return static_cast<int>(n);
        } catch (...) {
            f.m_failed = true;
            return -1;
        }
    }

private:
    // Reads the next block behind what is still waiting and converts what can be converted.
    void Fill() {
        Report(m_progress);
        if (!m_atEnd) {
            const size_t had = m_in.size();
            m_in.resize(had + kBlockSize);
            ssize_t n = m_file.Read(&m_in[had], kBlockSize);
            if (n < 0) {
                m_failed = true;
                n = 0;
            }
            m_in.resize(had + static_cast<size_t>(n));
            m_total += static_cast<size_t>(n);
            if (n == 0)
                m_atEnd = true;
            if (m_total > kMaxFileSize)
                m_failed = true;
        }
        m_out.clear();
        m_outPos = 0;
        switch (m_mode) {
        case Mode::AsIs:
            m_out.swap(m_in);
            m_in.clear();
            return;
        case Mode::Cp1252:
            m_out.reserve(m_in.size() + m_in.size() / 8);
            for (size_t pos = 0; pos < m_in.size(); ++pos) {
                const size_t run = AsciiEnd(m_in, pos);
                m_out.append(m_in, pos, run - pos);
                pos = run;
                if (pos < m_in.size())
                    AppendUtf8(m_out, Cp1252ToUnicode(static_cast<unsigned char>(m_in[pos])));
            }
            m_in.clear();
            return;
        case Mode::RepairUtf8:
            Repair();
            return;
        }
    }

    // A sequence is judged on at most four bytes; up to three bytes at the end of a block wait
    // for the next block unless the file has ended, so each byte is judged as it would be in
    // the whole file.
    void Repair() {
        const std::string &in = m_in;
        const size_t size = in.size();
        m_out.reserve(size + size / 8);
        size_t pos = 0;
        while (pos < size) {
            size_t run = AsciiEnd(in, pos);
            m_out.append(in, pos, run - pos);
            pos = run;
            if (pos >= size || (!m_atEnd && size - pos < 4))
                break;
            uint32_t cp;
            size_t len;
            if (DecodeUtf8(in, pos, cp, len)) {
                m_out.append(in, pos, len);
                pos += len;
            } else {
                AppendUtf8(m_out, Cp1252ToUnicode(static_cast<unsigned char>(in[pos])));
                ++pos;
            }
        }
        m_in.erase(0, pos);
    }

    const FileDescriptor &m_file;
    Mode m_mode;
    bool m_atEnd;
    bool m_failed = false;
    size_t m_total;
    const Progress &m_progress;
    std::string m_in;
    std::string m_out;
    size_t m_outPos = 0;
};

// Reads another block of the file onto head; false at the end of the file or on failure.
bool ReadMore(const FileDescriptor &file, std::string &head, bool &failed) {
    const size_t had = head.size();
    head.resize(had + kBlockSize);
    ssize_t n = file.Read(&head[had], kBlockSize);
    if (n < 0) {
        failed = true;
        n = 0;
    }
    head.resize(had + static_cast<size_t>(n));
    if (head.size() > kMaxFileSize)
        failed = true;
    return n > 0 && !failed;
}

// Parser errors are the caller's business: nothing is printed while a wrapper parses; the first
// error is kept so that a refused file can be told apart from one that is no XML at all.
class QuietParser {
public:
    QuietParser() : m_func(xmlStructuredError), m_ctx(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(this, Record);
    }
    ~QuietParser() { xmlSetStructuredErrorFunc(m_ctx, m_func); }

    // Whether the parser gave up because the elements nest deeper than it allows.
    bool TooDeep() const { return m_firstMessage.find("depth") != std::string::npos; }

private:
    static void Record(void *context, xmlErrorPtr error) {
        QuietParser &self = *static_cast<QuietParser *>(context);
        if (!self.m_recorded && error) {
            self.m_recorded = true;
            self.m_firstMessage = error->message ? error->message : "";
        }
    }

    xmlStructuredErrorFunc m_func;
    void *m_ctx;
    bool m_recorded = false;
    std::string m_firstMessage;
};

const char kNotXml[] = "File does not appear to be in XML format.";
const char kTooLarge[] = "The file is larger than a project file can be.";
const char kTooDeep[] = "Its elements are nested deeper than a project file can be.";
const char kUnreadable[] = "The file could not be read.";

std::string DirOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The file a path finally names (a save replaces the file behind a link, not the link).
std::string ResolveLink(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char *real = realpath(path.c_str(), nullptr)) {
            std::string r = real;
            std::free(real);
            return r;
        }
    }
    return path;
}

int ProbeExisting(const std::string &path) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return 0;
    close(fd);
    return 1;
}

// Whether the file can be replaced: an existing file must be a writable regular file, and its
// folder must take the temporary file that replaces it.
int ProbeForWriting(const std::string &path) {
    const std::string real = ResolveLink(path);
    struct stat st;
    if (stat(real.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || access(real.c_str(), W_OK) != 0)
            return 0;
    }
    const std::string dir = DirOf(real);
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        access(dir.c_str(), W_OK | X_OK) != 0)
        return 0;
    return 1;
}

// Replaces the file at path with bytes (a temporary file beside it, renamed over it), so the old
// file stays whole until the new one is complete. XML_SAVE_OK,
// XML_SAVE_NOT_ACCESSIBLE when no temporary file can be made, XML_SAVE_WRITE_FAILED.
// The text goes out a block at a time, the progress callback called after each. Once written,
// stamp gets the state of the new file (with the digest of bytes where it needs one).
short WriteReplacing(const std::string &path, const std::string &bytes, const Progress &progress,
                     ORQ::CFileStamp &stamp) {
    ORQ::CFileReplacement file(path);
    if (!file.Open())
        return XML_SAVE_NOT_ACCESSIBLE;
    auto writePiece = [&](int64_t at, int64_t length) {
        return file.Write(bytes.data() + at, size_t(length)) ? length : int64_t(-1);
    };
    if (ORQ::InPieces(int64_t(bytes.size()), int64_t(kProgressBytes), writePiece, progress) < 0)
        return XML_SAVE_WRITE_FAILED;
    if (!file.Finish())
        return XML_SAVE_WRITE_FAILED;
    ORQ::CFileStamp written = file.Stamp();
    if (written.NeedsDigest()) {
        ORQ::CByteDigest digest;
        digest.Add(bytes.data(), bytes.size());
        written.SetDigest(digest.Value());
    }
    if (!file.Commit())
        return XML_SAVE_WRITE_FAILED;
    stamp = written;
    return 0;
}

// Whether the characters of the document fit the encoding it is written in. The 8-bit
// encodings and Unicode are known here; any other encoding is asked character by character
// through iconv (each answer kept).
class EncodingFit {
public:
    EncodingFit(EncKind kind, const std::string &name) : m_kind(kind) {
        if (kind == EncKind::Other) {
            m_cd = iconv_open(name.c_str(), "UTF-8");
            m_open = m_cd != reinterpret_cast<iconv_t>(-1);
        }
    }
    ~EncodingFit() {
        if (m_open)
            iconv_close(m_cd);
    }
    EncodingFit(const EncodingFit &) = delete;
    EncodingFit &operator=(const EncodingFit &) = delete;

    bool Holds(uint32_t cp) {
        unsigned char byte;
        if (IsEightBit(m_kind))
            return EightBitByte(m_kind, cp, byte);
        if (m_kind != EncKind::Other || cp < 0x80)
            return true;
        // An encoding iconv does not know: the write fails later, as it must.
        if (!m_open)
            return true;
        auto known = m_answers.find(cp);
        if (known != m_answers.end())
            return known->second;
        std::string utf8;
        AppendUtf8(utf8, cp);
        char *in = &utf8[0];
        size_t inLeft = utf8.size();
        char buffer[32];
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        const bool fits =
            iconv(m_cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
        m_answers.emplace(cp, fits);
        return fits;
    }

private:
    EncKind m_kind;
    iconv_t m_cd{};
    bool m_open = false;
    std::unordered_map<uint32_t, bool> m_answers;
};

// Builds the text of a document in UTF-8, escaping what each place needs; characters that the
// target encoding cannot hold become character references in text and attribute values and '?'
// elsewhere (names, comments, processing instructions).
class Writer {
public:
    Writer(EncKind kind, const std::string &encodingName, xmlDocPtr doc, const Progress &progress)
        : m_fit(kind, encodingName), m_doc(doc), m_progress(progress) {}
    std::string &Out() { return m_out; }

    void Document(xmlDocPtr doc) {
        for (xmlNodePtr c = doc->children; c; c = c->next) {
            Node(c);
            m_out += '\n';
        }
    }

    void Node(xmlNodePtr n) {
        switch (n->type) {
        case XML_ELEMENT_NODE:
            Element(n);
            return;
        case XML_TEXT_NODE:
            Escaped(n->content, false);
            return;
        case XML_CDATA_SECTION_NODE:
            CData(n);
            return;
        case XML_COMMENT_NODE:
            Comment(n);
            return;
        case XML_PI_NODE:
            m_out += "<?";
            Raw(Str(n->name));
            if (n->content && *n->content) {
                m_out += ' ';
                Raw(Str(n->content));
            }
            m_out += "?>";
            return;
        case XML_ENTITY_REF_NODE:
            m_out += '&';
            Raw(Str(n->name));
            m_out += ';';
            return;
        case XML_DTD_NODE: {
            xmlBufferPtr buf = xmlBufferCreate();
            if (!buf)
                throw std::bad_alloc();
            xmlNodeDump(buf, m_doc, n, 0, 0);
            Raw(Str(xmlBufferContent(buf)));
            xmlBufferFree(buf);
            return;
        }
        default:
            return;
        }
    }

private:
    // An element with its namespace declarations, attributes and children.
    void Element(xmlNodePtr n) {
        const std::string name = QualifiedName(n->ns, n->name);
        m_out += '<';
        Raw(name);
        for (xmlNsPtr ns = n->nsDef; ns; ns = ns->next) {
            m_out += " xmlns";
            if (ns->prefix) {
                m_out += ':';
                Raw(Str(ns->prefix));
            }
            m_out += "=\"";
            Escaped(ns->href, true);
            m_out += '"';
        }
        for (xmlAttrPtr a = n->properties; a; a = a->next) {
            m_out += ' ';
            Raw(QualifiedName(a->ns, a->name));
            m_out += "=\"";
            std::string value;
            AttributeValue(a, value);
            Escaped(reinterpret_cast<const xmlChar *>(value.c_str()), true);
            m_out += '"';
        }
        if (!n->children) {
            m_out += "/>";
            return;
        }
        m_out += '>';
        for (xmlNodePtr c = n->children; c; c = c->next)
            Node(c);
        m_out += "</";
        Raw(name);
        m_out += '>';
        if (m_out.size() >= m_nextReport) {
            Report(m_progress);
            m_nextReport = m_out.size() + kProgressBytes;
        }
    }

    // A CDATA section; a "]]>" inside it is split over two sections.
    void CData(xmlNodePtr n) {
        std::string text = n->content ? Str(n->content) : "";
        size_t p = 0;
        while ((p = text.find("]]>", p)) != std::string::npos) {
            text.replace(p, 3, "]]]]><![CDATA[>");
            p += 15;
        }
        m_out += "<![CDATA[";
        Raw(text);
        m_out += "]]>";
    }

    void Comment(xmlNodePtr n) {
        // "--" cannot stand inside a comment, nor "-" at its end.
        std::string text = n->content ? Str(n->content) : "";
        size_t p = 0;
        while ((p = text.find("--", p)) != std::string::npos)
            text.insert(++p, " ");
        if (!text.empty() && text.back() == '-')
            text += ' ';
        m_out += "<!--";
        Raw(text);
        m_out += "-->";
    }

    bool Representable(uint32_t cp) { return m_fit.Holds(cp); }

    template <class F> void EachChar(const std::string &s, F f) {
        size_t pos = 0;
        while (pos < s.size()) {
            uint32_t cp;
            size_t len;
            if (!DecodeUtf8(s, pos, cp, len)) {
                cp = Cp1252ToUnicode(static_cast<unsigned char>(s[pos]));
                len = 1;
            }
            f(cp, s, pos, len);
            pos += len;
        }
    }

    void Raw(const std::string &s) {
        EachChar(s, [this](uint32_t cp, const std::string &text, size_t pos, size_t len) {
            if (!Representable(cp))
                m_out += '?';
            else if (len == 1 && static_cast<unsigned char>(text[pos]) >= 0x80)
                AppendUtf8(m_out, cp);
            else
                m_out.append(text, pos, len);
        });
    }

    void Escaped(const xmlChar *value, bool attribute) {
        if (!value)
            return;
        EachChar(Str(value), [&](uint32_t cp, const std::string &text, size_t pos, size_t len) {
            switch (cp) {
            case '&':
                m_out += "&amp;";
                return;
            case '<':
                m_out += "&lt;";
                return;
            case '>':
                m_out += attribute ? ">" : "&gt;";
                return;
            case '"':
                m_out += attribute ? "&quot;" : "\"";
                return;
            case '\r':
                m_out += "&#13;";
                return;
            case '\n':
            case '\t':
                if (attribute)
                    m_out += cp == '\n' ? "&#10;" : "&#9;";
                else
                    m_out += static_cast<char>(cp);
                return;
            default:
                break;
            }
            if (!Representable(cp)) {
                m_out += "&#" + std::to_string(cp) + ";";
            } else if (len == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) {
                AppendUtf8(m_out, cp);
            } else {
                m_out.append(text, pos, len);
            }
        });
    }

    EncodingFit m_fit;
    xmlDocPtr m_doc;
    const Progress &m_progress;
    size_t m_nextReport = kProgressBytes;
    std::string m_out;
};

bool Encode(const std::string &utf8, EncKind kind, const std::string &name, std::string &out) {
    if (kind == EncKind::Utf8) {
        out = utf8;
        return true;
    }
    if (IsEightBit(kind)) {
        out.clear();
        out.reserve(utf8.size());
        size_t pos = 0;
        while (pos < utf8.size()) {
            uint32_t cp;
            size_t len;
            unsigned char b;
            if (!DecodeUtf8(utf8, pos, cp, len) || !EightBitByte(kind, cp, b))
                return false;
            out += static_cast<char>(b);
            pos += len;
        }
        return true;
    }
    iconv_t cd = iconv_open(name.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    std::vector<char> inbuf(utf8.begin(), utf8.end());
    char *in = inbuf.data();
    size_t inLeft = inbuf.size();
    std::vector<char> chunk(4096);
    bool ok = true;
    while (true) {
        char *o = chunk.data();
        size_t oLeft = chunk.size();
        const size_t r = iconv(cd, inLeft ? &in : nullptr, &inLeft, &o, &oLeft);
        out.append(chunk.data(), chunk.size() - oLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            ok = false;
            break;
        }
        if (inLeft == 0) {
            char *f = chunk.data();
            size_t fLeft = chunk.size();
            iconv(cd, nullptr, nullptr, &f, &fLeft);
            out.append(chunk.data(), chunk.size() - fLeft);
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

// The head of a file being loaded: enough for the byte order marks and the whole declaration.
struct SFileHead {
    std::string bytes;
    bool failed = false;
    bool atEnd = false;
    bool utf16 = false;
    size_t start = 0; // past a UTF-8 byte order mark
    bool hasDeclaration = false;
    std::string declaration; // the declaration's text between "<?xml" and "?>"
};

SFileHead ReadHead(const FileDescriptor &file) {
    SFileHead head;
    std::string &bytes = head.bytes;
    while (bytes.size() < 8 && !head.atEnd)
        head.atEnd = !ReadMore(file, bytes, head.failed);
    const unsigned char *u = reinterpret_cast<const unsigned char *>(bytes.data());
    const bool utf8Bom = bytes.size() >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF;
    head.utf16 =
        bytes.size() >= 2 && ((u[0] == 0xFF && u[1] == 0xFE) || (u[0] == 0xFE && u[1] == 0xFF));
    head.start = utf8Bom ? 3 : 0;
    if (!head.utf16 && bytes.compare(head.start, 5, "<?xml") == 0) {
        while (bytes.find("?>", head.start + 5) == std::string::npos && !head.atEnd)
            head.atEnd = !ReadMore(file, bytes, head.failed);
    }
    if (!head.failed)
        head.hasDeclaration = !head.utf16 && RawDeclaration(bytes, head.start, head.declaration);
    return head;
}

// Reads what the parser left of the file (nothing but white space may follow the root element),
// so that a digest the reads feed covers the whole file; false when a read fails.
bool DigestTheRest(const FileDescriptor &file) {
    std::string block(kBlockSize, '\0');
    ssize_t n;
    while ((n = file.Read(&block[0], block.size())) > 0) {
    }
    return n == 0;
}

// The parser gets UTF-8 wherever the text is ASCII-based and in UTF-8 or code page 1252; other
// encodings (and text whose first bytes show another encoding) go through the parser's own
// converters.
FileFeed::Mode FeedMode(const SFileHead &head) {
    if (head.utf16)
        return FileFeed::Mode::AsIs;
    const EncKind kind =
        ClassifyEncoding(head.hasDeclaration ? DeclaredEncoding(head.declaration) : "");
    if (kind == EncKind::Utf8) {
        const xmlCharEncoding detected =
            xmlDetectCharEncoding(reinterpret_cast<const xmlChar *>(head.bytes.data()),
                                  static_cast<int>(std::min<size_t>(head.bytes.size(), 4)));
        if (detected == XML_CHAR_ENCODING_NONE || detected == XML_CHAR_ENCODING_UTF8)
            return FileFeed::Mode::RepairUtf8;
        return FileFeed::Mode::AsIs;
    }
    return IsEightBit(kind) ? FileFeed::Mode::Cp1252 : FileFeed::Mode::AsIs;
}

// Watches the character data the parser hands to the tree builder. A text node holds only
// white space only when every piece of data it was built from did, so a parse that never
// handed over such a piece built no text node that a load drops: the walk over the whole tree
// that drops them can be left out. The builder's own handler still does all the work.
class BlankWatch {
public:
    // Installs the watch on a parser whose character handlers are the tree builder's (both
    // kinds of white space go to the same handler, as the parser keeps all of it); without
    // those, nothing is watched and a blank may have been seen.
    explicit BlankWatch(xmlParserCtxtPtr ctxt) {
        xmlSAXHandlerPtr sax = ctxt->sax;
        if (sax->characters != xmlSAX2Characters || sax->ignorableWhitespace != xmlSAX2Characters)
            return;
        ctxt->_private = this;
        sax->characters = Characters;
        sax->ignorableWhitespace = Characters;
        m_sawBlank = false;
    }

    // Whether a text node made of white space alone may be in the tree.
    bool SawBlank() const { return m_sawBlank; }

private:
    static bool IsBlankRun(const xmlChar *text, int len) {
        for (int i = 0; i < len; ++i)
            if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                return false;
        return true;
    }
    // The parser passes its context to the handler. A context it makes for the text of an
    // entity need not carry the watch: that text hangs off the entity, not in the tree.
    static void Characters(void *context, const xmlChar *text, int len) {
        auto *self = static_cast<BlankWatch *>(static_cast<xmlParserCtxtPtr>(context)->_private);
        if (self && !self->m_sawBlank)
            self->m_sawBlank = IsBlankRun(text, len);
        xmlSAX2Characters(context, text, len);
    }

    bool m_sawBlank = true;
};

// A parser context, freed when it goes.
struct ParserContext {
    ParserContext() : ctxt(xmlNewParserCtxt()) {}
    ~ParserContext() {
        if (ctxt)
            xmlFreeParserCtxt(ctxt);
    }
    ParserContext(const ParserContext &) = delete;
    ParserContext &operator=(const ParserContext &) = delete;
    xmlParserCtxtPtr ctxt;
};

// Parses the rest of the file after its head (whose bytes it takes); the document, or null with
// the reason in failure where there is one to give. sawBlank tells whether the document may hold
// text nodes of white space alone.
xmlDocPtr ParseFile(const FileDescriptor &file, SFileHead &head, std::string &failure,
                    const Progress &progress, bool &sawBlank) {
    const FileFeed::Mode mode = FeedMode(head);
    const bool toUtf8 = mode != FileFeed::Mode::AsIs;
    const char *encoding = toUtf8 ? "UTF-8" : nullptr;
    // Short texts (most attribute values of a project file are numbers) are kept inside their
    // text node rather than in an allocation of their own; the tree reads the same.
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    if (toUtf8)
        options |= XML_PARSE_IGNORE_ENC;
    FileFeed feed(file, std::move(head.bytes), toUtf8 ? head.start : 0, head.atEnd, mode, progress);

    xmlDocPtr doc = nullptr;
    bool tooDeep = false;
    {
        QuietParser quiet;
        ParserContext parser;
        if (parser.ctxt && parser.ctxt->sax) {
            BlankWatch watch(parser.ctxt);
            doc = xmlCtxtReadIO(parser.ctxt, FileFeed::Read, nullptr, &feed, nullptr, encoding,
                                options);
            sawBlank = watch.SawBlank();
        }
        tooDeep = !doc && quiet.TooDeep();
    }
    if (feed.Failed()) {
        xmlFreeDoc(doc);
        failure = feed.TooLarge() ? kTooLarge : kUnreadable;
        return nullptr;
    }
    if (!doc) {
        if (tooDeep)
            failure = kTooDeep;
        return nullptr;
    }
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        return nullptr;
    }
    return doc;
}

// The parser keeps no declaration node: the file's own (or, for UTF-16, one naming what the
// parser found) goes back in front of the document; false when it cannot.
bool KeepDeclaration(xmlDocPtr doc, const SFileHead &head) {
    std::string declaration = head.declaration;
    if (!head.hasDeclaration && head.utf16 && doc->encoding) {
        declaration = std::string("version=\"") + (doc->version ? Str(doc->version) : "1.0") +
                      "\" encoding=\"" + Str(doc->encoding) + "\"";
    }
    if (declaration.empty() && !head.hasDeclaration)
        return true;
    xmlNodePtr pi = xmlNewDocPI(doc, X("xml"), X(RepairUtf8(declaration).c_str()));
    if (!pi)
        return false;
    if (doc->children)
        xmlAddPrevSibling(doc->children, pi);
    else
        xmlAddChild(reinterpret_cast<xmlNodePtr>(doc), pi);
    return true;
}

} // namespace

struct CXmlDom::Impl {
    xmlDocPtr doc = nullptr;
    xmlNodePtr current = nullptr;
    std::string path;
    int accessible = 0;
    std::string loadFailure; // why the last load failed; empty after a load that worked
    ORQ::CFileStamp stamp;   // the file last loaded or saved
    Progress progress;
    std::unordered_map<void *, std::unique_ptr<NodeHandle>> handles;
    // Removed subtrees and replaced documents, freed with the wrapper.
    std::vector<xmlNodePtr> detached;
    std::vector<xmlDocPtr> retired;

    xmlNodePtr DocNode() const { return reinterpret_cast<xmlNodePtr>(doc); }
    xmlNodePtr Root() const { return doc ? xmlDocGetRootElement(doc) : nullptr; }

    void FreeDocument(xmlDocPtr d) {
        // Removed nodes of the document go first: they may use its name dictionary.
        auto it = std::remove_if(detached.begin(), detached.end(), [d](xmlNodePtr n) {
            if (n->doc != d)
                return false;
            xmlFreeNode(n);
            return true;
        });
        detached.erase(it, detached.end());
        xmlFreeDoc(d);
    }

    ~Impl() {
        handles.clear();
        for (xmlNodePtr n : detached)
            xmlFreeNode(n);
        detached.clear();
        if (doc)
            xmlFreeDoc(doc);
        for (xmlDocPtr d : retired)
            xmlFreeDoc(d);
    }
};

CXmlDom::CXmlDom() : m_impl(new Impl) {
    xmlInitParser();
    m_impl->doc = xmlNewDoc(X("1.0"));
    if (!m_impl->doc)
        throw std::bad_alloc();
}

CXmlDom::~CXmlDom() = default;

short CXmlDom::InitializeNewXmlFile(const char *comment, const char *rootName) {
    try {
        Impl &m = *m_impl;
        const std::string rootText = ToTreeText(rootName);
        if (m.doc->children || !IsValidName(rootText))
            return 0;
        xmlNodePtr decl = xmlNewDocPI(m.doc, X("xml"), X("version='1.0'"));
        xmlNodePtr root = xmlNewDocNode(m.doc, nullptr, X(rootText.c_str()), nullptr);
        xmlNodePtr note = nullptr;
        if (comment && *comment)
            note = xmlNewDocComment(m.doc, X(ToTreeText(comment).c_str()));
        if (!decl || !root || (comment && *comment && !note)) {
            xmlFreeNode(decl);
            xmlFreeNode(root);
            xmlFreeNode(note);
            return 0;
        }
        xmlAddChild(m.DocNode(), decl);
        xmlAddChild(m.DocNode(), root);
        if (note)
            xmlAddChild(root, note);
        m.current = root;
        return 1;
    } catch (...) {
        return 0;
    }
}

short CXmlDom::LoadFile(const char *pathText) {
    try {
        Impl &m = *m_impl;
        m.path = pathText ? pathText : "";
        m.accessible = ProbeExisting(m.path);
        m.loadFailure = kNotXml;
        if (m.path.empty())
            return 0;
        FileDescriptor file(m.path);
        if (file.Get() < 0) {
            m.loadFailure =
                std::string("The file could not be opened: ") + std::strerror(errno) + ".";
            return 0;
        }
        struct stat st;
        if (fstat(file.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<unsigned long long>(st.st_size) > kMaxFileSize) {
            m.loadFailure = kTooLarge;
            return 0;
        }

        // The file's state is taken before its first byte is read: a write while it is read
        // shows as a change later.
        ORQ::CFileStamp stamp = ORQ::CFileStamp::OfOpenFile(file.Get());
        ORQ::CByteDigest digest;
        if (stamp.NeedsDigest())
            file.KeepDigest(&digest);

        SFileHead head = ReadHead(file);
        if (head.failed) {
            m.loadFailure = head.bytes.size() > kMaxFileSize ? kTooLarge : kUnreadable;
            return 0;
        }
        bool sawBlank = true;
        xmlDocPtr doc = ParseFile(file, head, m.loadFailure, m.progress, sawBlank);
        if (!doc)
            return 0;
        if (stamp.NeedsDigest() && DigestTheRest(file))
            stamp.SetDigest(digest.Value());
        Report(m.progress);
        if (sawBlank)
            DropBlankText(reinterpret_cast<xmlNodePtr>(doc));
        Report(m.progress);
        if (!KeepDeclaration(doc, head)) {
            xmlFreeDoc(doc);
            return 0;
        }

        xmlDocPtr old = m.doc;
        m.doc = doc;
        m.current = xmlDocGetRootElement(doc);
        m.loadFailure.clear();
        m.stamp = stamp;
        if (m.handles.empty())
            m.FreeDocument(old);
        else
            m.retired.push_back(old);
        return 1;
    } catch (...) {
        return 0;
    }
}

bool CXmlDom::Serialize(std::string &out) const {
    try {
        const Impl &m = *m_impl;
        std::string encodingName;
        for (xmlNodePtr c = m.doc->children; c; c = c->next) {
            if (c->type == XML_PI_NODE && c->name && std::strcmp(Str(c->name), "xml") == 0) {
                encodingName = DeclaredEncoding(c->content ? Str(c->content) : "");
                break;
            }
        }
        const EncKind kind = ClassifyEncoding(encodingName);
        Writer w(kind, TrimSpace(encodingName), m.doc, m.progress);
        w.Document(m.doc);
        Report(m.progress);
        const bool encoded = Encode(w.Out(), kind, TrimSpace(encodingName), out);
        Report(m.progress);
        return encoded;
    } catch (...) {
        return false;
    }
}

short CXmlDom::SaveFile(const char *pathText) {
    try {
        Impl &m = *m_impl;
        std::string target;
        if (pathText && *pathText) {
            target = pathText;
            m.accessible = ProbeForWriting(target);
        } else {
            if (m.path.empty())
                return XML_SAVE_NO_PATH;
            target = m.path;
        }
        if (!m.accessible)
            return XML_SAVE_NOT_ACCESSIBLE;
        std::string bytes;
        if (!Serialize(bytes))
            return XML_SAVE_WRITE_FAILED;
        return WriteReplacing(target, bytes, m.progress, m.stamp);
    } catch (...) {
        return XML_SAVE_WRITE_FAILED;
    }
}

void CXmlDom::SetProgress(std::function<void()> progress) {
    m_impl->progress = std::move(progress);
}

short CXmlDom::MoveToRootNode() {
    m_impl->current = m_impl->Root();
    return 1;
}

short CXmlDom::MoveToParentNode(const char *name) {
    Impl &m = *m_impl;
    if (!m.current) {
        xmlNodePtr root = m.Root();
        if (!root)
            return 0;
        m.current = root;
        return 1;
    }
    xmlNodePtr p = m.current->type == XML_DOCUMENT_NODE ? nullptr : m.current->parent;
    if (name) {
        const std::string treeName = ToTreeText(name);
        while (p && !IsElementNamed(p, treeName.c_str()))
            p = p->parent;
    }
    if (!p)
        return 0;
    m.current = p;
    return 1;
}

short CXmlDom::MoveToFirstChildNode(const char *name) {
    Impl &m = *m_impl;
    if (!m.current)
        return 0;
    xmlNodePtr c = FirstChild(m.current);
    if (name) {
        const std::string treeName = ToTreeText(name);
        while (c && !IsElementNamed(c, treeName.c_str()))
            c = c->next;
    }
    if (!c)
        return 0;
    m.current = c;
    return 1;
}

short CXmlDom::MoveToNextSiblingNode(const char *name) {
    Impl &m = *m_impl;
    if (!m.current || m.current->type == XML_DOCUMENT_NODE)
        return 0;
    xmlNodePtr s = m.current->next;
    if (name) {
        const std::string treeName = ToTreeText(name);
        while (s && !IsElementNamed(s, treeName.c_str()))
            s = s->next;
    }
    if (!s)
        return 0;
    m.current = s;
    return 1;
}

const void *CXmlDom::GetCurrentNodeKey() const {
    return m_impl->current;
}

bool CXmlDom::HasCurrentNode() const {
    return m_impl->current != nullptr;
}

bool CXmlDom::GetNodeName(std::string &out) const {
    try {
        if (!m_impl->current)
            return false;
        out = NodeName(m_impl->current);
        FromTreeTextInPlace(out);
        return true;
    } catch (...) {
        return false;
    }
}

bool CXmlDom::GetNodeText(std::string &out) const {
    try {
        xmlNodePtr n = m_impl->current;
        if (!n)
            return false;
        if (n->type != XML_TEXT_NODE)
            n = FirstChild(n);
        if (!n || n->type != XML_TEXT_NODE)
            return false;
        out = FromTreeText(Str(n->content));
        return true;
    } catch (...) {
        return false;
    }
}

bool CXmlDom::GetNodeAttributeText(const std::string &name, std::string &out) const {
    try {
        xmlAttrPtr a = IsPlainText(name) ? FindAttribute(m_impl->current, name)
                                         : FindAttribute(m_impl->current, ToTreeText(name));
        if (!a)
            return false;
        AttributeValue(a, out);
        FromTreeTextInPlace(out);
        return true;
    } catch (...) {
        return false;
    }
}

short CXmlDom::SetNodeText(const char *text) {
    try {
        xmlNodePtr n = m_impl->current;
        if (!n)
            return 0;
        if (n->type != XML_TEXT_NODE)
            n = FirstChild(n);
        if (!n || n->type != XML_TEXT_NODE)
            return 0;
        if (IsReadBack(Str(n->content), text))
            return 1;
        xmlNodeSetContent(n, X(ToTreeText(text).c_str()));
        return 1;
    } catch (...) {
        return 0;
    }
}

short CXmlDom::SetNodeAttributeText(const char *name, const char *value) {
    try {
        xmlNodePtr n = m_impl->current;
        if (!n || n->type != XML_ELEMENT_NODE || !name)
            return 0;
        const std::string attrName = ToTreeText(name);
        xmlAttrPtr a = FindAttribute(n, attrName);
        if (!value) {
            if (a)
                xmlRemoveProp(a);
            return 1;
        }
        if (a) {
            std::string current;
            AttributeValue(a, current);
            if (IsReadBack(current.c_str(), value))
                return 1;
        }
        const std::string v = ToTreeText(value);
        if (a)
            return xmlSetNsProp(n, a->ns, a->name, X(v.c_str())) ? 1 : 0;
        if (!IsValidName(attrName))
            return 0;
        return xmlNewProp(n, X(attrName.c_str()), X(v.c_str())) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void CXmlDom::GetNodeInfo(short &hasChildren, short &hasAttributes, short &isText) const {
    xmlNodePtr n = m_impl->current;
    hasChildren = hasAttributes = isText = 0;
    if (!n)
        return;
    hasChildren = FirstChild(n) ? 1 : 0;
    hasAttributes = (n->type == XML_ELEMENT_NODE && (n->properties || n->nsDef)) ? 1 : 0;
    isText = n->type == XML_TEXT_NODE ? 1 : 0;
}

short CXmlDom::AppendChildNode(const char *name) {
    try {
        Impl &m = *m_impl;
        xmlNodePtr n = m.current;
        const std::string treeName = ToTreeText(name);
        if (!n || !IsValidName(treeName))
            return 0;
        if (n->type == XML_DOCUMENT_NODE) {
            if (m.Root())
                return 0; // a document holds one element
        } else if (n->type != XML_ELEMENT_NODE) {
            return 0;
        }
        xmlNodePtr e = xmlNewDocNode(m.doc, nullptr, X(treeName.c_str()), nullptr);
        if (!e)
            return 0;
        if (!xmlAddChild(n, e)) {
            xmlFreeNode(e);
            return 0;
        }
        m.current = e;
        return 1;
    } catch (...) {
        return 0;
    }
}

short CXmlDom::AppendTextChildNode(const char *text) {
    try {
        Impl &m = *m_impl;
        xmlNodePtr n = m.current;
        if (!n || n->type != XML_ELEMENT_NODE)
            return 0;
        xmlNodePtr t = xmlNewDocText(m.doc, X(ToTreeText(text).c_str()));
        if (!t)
            return 0;
        if (!xmlAddChild(n, t)) {
            xmlFreeNode(t);
            return 0;
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

short CXmlDom::AppendComment(const char *text) {
    try {
        Impl &m = *m_impl;
        xmlNodePtr n = m.current;
        if (!n || (n->type != XML_ELEMENT_NODE && n->type != XML_DOCUMENT_NODE))
            return 0;
        xmlNodePtr c = xmlNewDocComment(m.doc, X(ToTreeText(text).c_str()));
        if (!c)
            return 0;
        if (!xmlAddChild(n, c)) {
            xmlFreeNode(c);
            return 0;
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

short CXmlDom::RemoveCurrentNode() {
    try {
        Impl &m = *m_impl;
        xmlNodePtr n = m.current;
        if (!n || n->type == XML_DOCUMENT_NODE || !n->parent)
            return 0;
        xmlNodePtr parent = n->parent;
        m.detached.reserve(m.detached.size() + 1);
        xmlUnlinkNode(n);
        m.detached.push_back(n);
        m.current = parent;
        return 1;
    } catch (...) {
        return 0;
    }
}

void *CXmlDom::GetCurrentNodeHandle() {
    try {
        auto h = std::make_unique<NodeHandle>(NodeHandle{m_impl->current});
        void *key = h.get();
        m_impl->handles.emplace(key, std::move(h));
        return key;
    } catch (...) {
        return nullptr;
    }
}

short CXmlDom::MoveToHandleNode(void *handle) {
    auto it = m_impl->handles.find(handle);
    if (!handle || it == m_impl->handles.end())
        return 0;
    m_impl->current = it->second->node;
    return 1;
}

void CXmlDom::ReleaseNodeHandle(void *handle) {
    if (handle)
        m_impl->handles.erase(handle);
}

size_t CXmlDom::GetHandleCount() const {
    return m_impl->handles.size();
}

const std::string &CXmlDom::GetLoadFailure() const {
    return m_impl->loadFailure;
}

const ORQ::CFileStamp &CXmlDom::GetFileStamp() const {
    return m_impl->stamp;
}

const std::string &CXmlDom::GetPath() const {
    return m_impl->path;
}

int CXmlDom::IsFileAccessible() const {
    return m_impl->accessible;
}

// ---- the plain interface ----

namespace {

short CopyOut(bool found, const std::string &text, char *buffer, int *size) {
    if (!size)
        return 0;
    if (!found) {
        *size = 0;
        return 0;
    }
    const size_t need = text.size() + 1;
    const int capacity = *size;
    *size = need > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(need);
    if (!buffer || capacity <= 0 || need > static_cast<size_t>(capacity))
        return 0;
    std::memcpy(buffer, text.c_str(), need);
    return 1;
}

} // namespace

CXmlDom *XmlDom_GetHandle() {
    try {
        return new CXmlDom();
    } catch (...) {
        return nullptr;
    }
}

void XmlDom_ReleaseHandle(CXmlDom *dom) {
    delete dom;
}

short XmlDom_GetVerStr(char *buffer, int size) {
    if (!buffer || size <= 0)
        return -1;
    const size_t len = sizeof(kVersionRecord) - 1;
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t n = std::min(len, room);
    std::memcpy(buffer, kVersionRecord, n);
    buffer[n] = '\0';
    return n == len ? 0 : 1;
}

short XmlDom_InitializeNewXmlFile(CXmlDom *dom, const char *comment, const char *root) {
    return dom ? dom->InitializeNewXmlFile(comment, root) : 0;
}
short XmlDom_LoadFile(CXmlDom *dom, const char *path) {
    return dom ? dom->LoadFile(path) : 0;
}
short XmlDom_SaveFile(CXmlDom *dom, const char *path) {
    return dom ? dom->SaveFile(path) : static_cast<short>(XML_SAVE_NO_PATH);
}
short XmlDom_MoveToRootNode(CXmlDom *dom) {
    return dom ? dom->MoveToRootNode() : 0;
}
short XmlDom_MoveToParentNode(CXmlDom *dom, const char *name) {
    return dom ? dom->MoveToParentNode(name) : 0;
}
short XmlDom_MoveToFirstChildNode(CXmlDom *dom, const char *name) {
    return dom ? dom->MoveToFirstChildNode(name) : 0;
}
short XmlDom_MoveToNextSiblingNode(CXmlDom *dom, const char *name) {
    return dom ? dom->MoveToNextSiblingNode(name) : 0;
}

short XmlDom_GetNodeName(CXmlDom *dom, char *buffer, int *size) {
    std::string text;
    const bool found = dom && dom->GetNodeName(text);
    return CopyOut(found, text, buffer, size);
}

short XmlDom_GetNodeText(CXmlDom *dom, char *buffer, int *size) {
    std::string text;
    const bool found = dom && dom->GetNodeText(text);
    return CopyOut(found, text, buffer, size);
}

short XmlDom_GetNodeAttributeText(CXmlDom *dom, char *buffer, int *size) {
    if (!buffer || !size || *size <= 0)
        return CopyOut(false, std::string(), buffer, size);
    const std::string name(buffer, strnlen(buffer, static_cast<size_t>(*size)));
    std::string value;
    const bool found = dom && dom->GetNodeAttributeText(name, value);
    return CopyOut(found, value, buffer, size);
}

short XmlDom_SetNodeText(CXmlDom *dom, const char *text) {
    return dom ? dom->SetNodeText(text) : 0;
}
short XmlDom_SetNodeAttributeText(CXmlDom *dom, const char *name, const char *value) {
    return dom ? dom->SetNodeAttributeText(name, value) : 0;
}

void XmlDom_GetNodeInfo(CXmlDom *dom, short *hasChildren, short *hasAttributes, short *isText) {
    short c = 0, a = 0, t = 0;
    if (dom)
        dom->GetNodeInfo(c, a, t);
    if (hasChildren)
        *hasChildren = c;
    if (hasAttributes)
        *hasAttributes = a;
    if (isText)
        *isText = t;
}

short XmlDom_AppendChildNode(CXmlDom *dom, const char *name) {
    return dom ? dom->AppendChildNode(name) : 0;
}
short XmlDom_AppendTextChildNode(CXmlDom *dom, const char *text) {
    return dom ? dom->AppendTextChildNode(text) : 0;
}
short XmlDom_AppendComment(CXmlDom *dom, const char *text) {
    return dom ? dom->AppendComment(text) : 0;
}
short XmlDom_RemoveCurrentNode(CXmlDom *dom) {
    return dom ? dom->RemoveCurrentNode() : 0;
}

void *XmlDom_GetCurrentNodeHandle(CXmlDom *dom) {
    return dom ? dom->GetCurrentNodeHandle() : nullptr;
}
short XmlDom_MoveToHandleNode(CXmlDom *dom, void *handle) {
    return dom ? dom->MoveToHandleNode(handle) : 0;
}
void XmlDom_ReleaseNodeHandle(CXmlDom *dom, void *handle) {
    if (dom)
        dom->ReleaseNodeHandle(handle);
}
