// Versions and authorship records of the project file object: the version comparison of
// blocks, the created-by and modified-by records, and the process and component readers.

#include "KVD3/KVDXmlFile.h"

#include <cctype>
#include <cstdlib>

namespace ORQ {

namespace {

const char kCreatedBy[] = "CreatedBy";
const char kModifiedBy[] = "ModifiedBy";
const char kDateFormat[] = "%Y-%m-%d";
const char kTimeFormat[] = "%H:%M:%S";

// The leading decimal digits of text as a number (0 when there are none).
int LeadingNumber(const std::string &text) {
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 1000000000L)
            break;
    }
    return static_cast<int>(value);
}

int Sign(int a, int b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Keeps the cursor where the caller had it: remembers the position on entry and returns to it
// (top, then pop) when the operation ends, whichever way it ends.
class ScopedPosition {
public:
    explicit ScopedPosition(CKVDXmlFile &file) : m_file(file), m_pushed(file.PushPosition()) {}
    ~ScopedPosition() {
        if (m_pushed) {
            m_file.GotoTopPosition();
            m_file.PopPosition();
        }
    }
    bool Ok() const { return m_pushed != 0; }

private:
    CKVDXmlFile &m_file;
    int m_pushed;
};

// A record's time as written in the file.
CDateTime ParseWhen(const CStr &date, const CStr &time) {
    const std::string text = date + " " + time;
    CDateTime when;
    if (when.Parse(text, "%Y-%m-%d %H:%M:%S"))
        return when;
    if (when.ParseDateTime(text))
        return when;
    when.SetStatus(CDateTime::invalid);
    return when;
}

} // namespace

CStr CKVDXmlFile::KVDVersionToStr(const SVersion &version) {
    CStr text;
    text.Format("%i.%i.%i", version.major, version.minor, version.patch);
    return text;
}

int CKVDXmlFile::KVDVersionToNum(CStr text, SVersion &out) {
    out.text = text;
    out.major = out.minor = out.patch = 0;
    const size_t first = text.find('.');
    out.major = LeadingNumber(text.substr(0, first));
    if (first == std::string::npos)
        return 1;
    const size_t second = text.find('.', first + 1);
    out.minor = LeadingNumber(text.substr(first + 1, second - first - 1));
    if (second == std::string::npos)
        return 1;
    out.patch = LeadingNumber(text.substr(second + 1));
    return 1;
}

int CKVDXmlFile::NodeVersionCompatibility(CStr &versionInOut, int &overall, int &major, int &minor,
                                          int &patch) {
    CStr nodeVersion = "version";
    if (!GetNodeAttribute(nodeVersion))
        return 0;
    SVersion given, found;
    KVDVersionToNum(versionInOut, given);
    KVDVersionToNum(nodeVersion, found);
    versionInOut = nodeVersion;
    major = Sign(found.major, given.major);
    minor = Sign(found.minor, given.minor);
    patch = Sign(found.patch, given.patch);
    overall = major != 0 ? major : (minor != 0 ? minor : patch);
    return 1;
}

int CKVDXmlFile::AppendCreatedByBlock(const SCreatedBy &record) {
    ScopedPosition here(*this);
    if (!here.Ok() || GotoChildNode(kCreatedBy, 0))
        return 0;
    if (!AppendChildNode(kCreatedBy))
        return 0;
    SetNodeAttribute("name", record.name);
    SetNodeAttribute("version", record.version);
    SetNodeAttribute("DIP", record.DIP);
    SetNodeAttribute("date", record.when.Format(kDateFormat));
    SetNodeAttribute("time", record.when.Format(kTimeFormat));
    return 1;
}

int CKVDXmlFile::AppendModifiedByBlock(const SCreatedBy &record) {
    ScopedPosition here(*this);
    if (!here.Ok())
        return 0;
    if (!GotoChildNode(kCreatedBy, 0)) {
        CStr name;
        if (!GetNodeName(name) || name != kCreatedBy)
            return 0;
    }
    if (!AppendChildNode(kModifiedBy))
        return 0;
    SetNodeAttribute("name", record.name);
    SetNodeAttribute("version", record.version);
    SetNodeAttribute("DIP", record.DIP);
    SetNodeAttribute("date", record.when.Format(kDateFormat));
    SetNodeAttribute("time", record.when.Format(kTimeFormat));
    SetNodeAttribute("comment", record.comment);
    return 1;
}

int CKVDXmlFile::GetCreatedByBlock(SCreatedBy *records, int capacity) {
    if (!records || capacity <= 0)
        return 0;
    ScopedPosition here(*this);
    if (!here.Ok())
        return 0;
    CStr name;
    if (!GetNodeName(name) || name != kCreatedBy) {
        if (!GotoChildNode(kCreatedBy, 0))
            return 0;
    }
    auto readWhen = [this](SCreatedBy &r) {
        CStr date = "date", time = "time";
        GetNodeAttribute(date);
        GetNodeAttribute(time);
        r.when = ParseWhen(date, time);
    };
    SCreatedBy &first = records[0];
    first.name = "name";
    GetNodeAttribute(first.name);
    first.DIP = "DIP";
    GetNodeAttribute(first.DIP);
    first.version = "version";
    GetNodeAttribute(first.version);
    readWhen(first);

    int count = 1;
    if (count < capacity && GotoChildNode(kModifiedBy, 0)) {
        do {
            SCreatedBy &r = records[count++];
            r.name = "name";
            GetNodeAttribute(r.name);
            r.DIP = "DIP";
            GetNodeAttribute(r.DIP);
            r.comment = "comment";
            GetNodeAttribute(r.comment);
            r.version = "version";
            GetNodeAttribute(r.version);
            readWhen(r);
        } while (count < capacity && GotoNextSibling(kModifiedBy));
    }
    return count;
}

int CKVDXmlFile::GetProcess(SProcess *out) {
    CStr name;
    if (!out || !GetNodeName(name) || name != "Process")
        return 0;
    // A field is read from the attribute of its name, else from the text of a child so named.
    auto read = [this](const char *field, CStr &value) {
        value = field;
        if (GetNodeAttribute(value))
            return true;
        value = field;
        return GetSubNodeText(value, 0) != 0;
    };
    bool all = true;
    CStr value;
    if (read("operationUID", value))
        out->operationId = static_cast<int>(Str2UID(value.c_str()));
    else
        all = false;
    all = read("implementation", out->implementation) && all;
    all = read("version", out->version) && all;
    all = read("DIP", out->DIP) && all;
    bool bufferOk = false;
    if (read("buffer", value) && !value.empty()) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        if (c == 'Y' || c == 'N') {
            out->buffer = c == 'Y' ? 1 : 0;
            bufferOk = true;
        }
    }
    all = all && bufferOk;
    if (read("ID", value))
        out->ID = static_cast<short>(std::strtol(value.c_str(), nullptr, 10));
    else
        all = false;
    return all ? 1 : 0;
}

int CKVDXmlFile::GetComponent(SComponent *out) {
    CStr name;
    if (!out || !GetNodeName(name) || name != "Component")
        return 0;
    CStr type = "typeUID";
    GetNodeAttribute(type);
    out->typeId = static_cast<int>(Str2UID(type.c_str()));
    out->name = "name";
    GetNodeAttribute(out->name);
    out->SN = "SN";
    GetNodeAttribute(out->SN);
    out->version = "version";
    GetNodeAttribute(out->version);
    out->sensorStatus = 0;
    out->sensorID = 0;
    if (GotoChildNode("Sensor", 0)) {
        CStr id = "ID", status = "status";
        if (GetNodeAttribute(id))
            out->sensorID = static_cast<int>(std::strtol(id.c_str(), nullptr, 10));
        const bool on = GetNodeAttribute(status) && status == "on";
        out->sensorStatus = on ? 1 : -1;
        GotoParentNode();
    }
    return 1;
}

} // namespace ORQ
