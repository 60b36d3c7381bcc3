#pragma once

#include "KVD3/KVDXmlFile.h"
#include "KVD3/Kvd3Export.h"
#include "orq_utils/Measure.h"
#include "orq_utils/Str.h"

namespace ORQ {

// Reads and writes one typed value at the current node of a project file: the attribute called
// name, or the node's own text when name is null. Every member stores its result in m_bOk and,
// when error is given and the operation failed, sets *error to 1 (it never clears it, so one flag
// collects the failures of a series of calls). Numbers are written and read in the C locale.
class KVD3_API CKVDNodeValue {
public:
    CKVDNodeValue() = default;
    CKVDNodeValue(const CKVDNodeValue &) = default;
    CKVDNodeValue &operator=(const CKVDNodeValue &) = default;
    virtual ~CKVDNodeValue() = default;

    // The text as it is: 1 found, 0 not. A failed attribute read leaves the attribute's name in
    // value, a failed text read leaves value unchanged.
    static int Get(CStr &value, CKVDXmlFile *file, const char *name, int *error);
    // Numbers: the leading number of the text. A text without a number ("NA") fails and sets the
    // value to 0; a missing text fails and leaves the value unchanged.
    static int Get(int &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(long &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(unsigned long &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(short &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(long long &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(double &value, CKVDXmlFile *file, const char *name, int *error);
    static int Get(float &value, CKVDXmlFile *file, const char *name, int *error);
    // The text packed by Str2UID.
    static int GetUID(int &value, CKVDXmlFile *file, const char *name, int *error);

    static int Set(const CStr &value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(const char *value, CKVDXmlFile *file, const char *name, int *error);
    // The measure's value only, "%f"; no unit is written.
    static int Set(const SMeasure &value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(int value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(long value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(unsigned int value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(unsigned long value, CKVDXmlFile *file, const char *name, int *error);
    static int Set(long long value, CKVDXmlFile *file, const char *name, int *error);
    // "%f": six decimals.
    static int Set(double value, CKVDXmlFile *file, const char *name, int *error);
    // The identifier as its decimal number.
    static int SetUID(int value, CKVDXmlFile *file, const char *name, int *error);

    // The last text formatted or read, and the result of the last operation.
    static CStr m_str;
    static int m_bOk;

private:
    static void SetErrFlag(int *error);
    // Reads the text into m_str; true when found.
    static bool ReadText(CKVDXmlFile *file, const char *name);
    static int WriteText(CKVDXmlFile *file, const char *name, int *error);
    template <class T, class Parse>
    static int GetNumber(T &value, CKVDXmlFile *file, const char *name, int *error, Parse parse);
};

} // namespace ORQ
