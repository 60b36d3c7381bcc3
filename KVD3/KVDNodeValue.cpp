#include "KVD3/KVDNodeValue.h"

#include "orq_utils/CLocale.h"

#include <cstdlib>
#include <cstring>

namespace ORQ {

CStr CKVDNodeValue::m_str;
int CKVDNodeValue::m_bOk = 0;

void CKVDNodeValue::SetErrFlag(int *error) {
    if (error && !m_bOk)
        *error = 1;
}

bool CKVDNodeValue::ReadText(CKVDXmlFile *file, const char *name) {
    if (!file)
        return false;
    if (name) {
        m_str = name;
        return file->GetNodeAttribute(m_str) != 0;
    }
    return file->GetNodeText(m_str) != 0;
}

int CKVDNodeValue::WriteText(CKVDXmlFile *file, const char *name, int *error) {
    if (!file)
        m_bOk = 0;
    else if (name)
        m_bOk = file->SetNodeAttribute(name, m_str) ? 1 : 0;
    else
        m_bOk = file->SetNodeText(m_str) ? 1 : 0;
    SetErrFlag(error);
    return m_bOk;
}

template <class T, class Parse>
int CKVDNodeValue::GetNumber(T &value, CKVDXmlFile *file, const char *name, int *error,
                             Parse parse) {
    if (!ReadText(file, name)) {
        m_bOk = 0;
    } else {
        value = parse(m_str.c_str());
        // A zero read from a text without a '0' was no number at all ("NA").
        m_bOk = (value != 0 || std::strchr(m_str.c_str(), '0')) ? 1 : 0;
    }
    SetErrFlag(error);
    return m_bOk;
}

int CKVDNodeValue::Get(CStr &value, CKVDXmlFile *file, const char *name, int *error) {
    if (!file) {
        m_bOk = 0;
    } else if (name) {
        value = name;
        m_bOk = file->GetNodeAttribute(value) ? 1 : 0;
    } else {
        m_bOk = file->GetNodeText(value) ? 1 : 0;
    }
    if (m_bOk)
        m_str = value;
    SetErrFlag(error);
    return m_bOk;
}

int CKVDNodeValue::Get(int &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return static_cast<int>(std::strtol(t, nullptr, 10)); });
}

int CKVDNodeValue::Get(long &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return std::strtol(t, nullptr, 10); });
}

int CKVDNodeValue::Get(unsigned long &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return std::strtoul(t, nullptr, 10); });
}

int CKVDNodeValue::Get(short &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return static_cast<short>(std::strtol(t, nullptr, 10)); });
}

int CKVDNodeValue::Get(long long &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return std::strtoll(t, nullptr, 10); });
}

int CKVDNodeValue::Get(double &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error, [](const char *t) { return AtofC(t); });
}

int CKVDNodeValue::Get(float &value, CKVDXmlFile *file, const char *name, int *error) {
    return GetNumber(value, file, name, error,
                     [](const char *t) { return static_cast<float>(AtofC(t)); });
}

int CKVDNodeValue::GetUID(int &value, CKVDXmlFile *file, const char *name, int *error) {
    m_bOk = ReadText(file, name) ? 1 : 0;
    if (m_bOk)
        value = static_cast<int>(Str2UID(m_str.c_str()));
    SetErrFlag(error);
    return m_bOk;
}

int CKVDNodeValue::Set(const CStr &value, CKVDXmlFile *file, const char *name, int *error) {
    m_str = value;
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(const char *value, CKVDXmlFile *file, const char *name, int *error) {
    m_str = value ? value : "";
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(const SMeasure &value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%f", value.value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(int value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%d", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(long value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%ld", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(unsigned int value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%u", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(unsigned long value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%lu", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(long long value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%lld", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::Set(double value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%f", value);
    return WriteText(file, name, error);
}

int CKVDNodeValue::SetUID(int value, CKVDXmlFile *file, const char *name, int *error) {
    m_str.Format("%d", value);
    return WriteText(file, name, error);
}

} // namespace ORQ
