#pragma once

#include "KVD3/Kvd3Export.h"
#include "orq_utils/Measure.h"
#include "orq_utils/Str.h"

#include <cstdint>
#include <list>

namespace ORQ {

class CKVDXmlFile;
class Tamsel;

// Base of the versioned settings blocks; the data block and the editor hold blocks through it.
class KVD3_API CKvdSettingsBlock {
public:
    CKvdSettingsBlock() = default;
    CKvdSettingsBlock(const CKvdSettingsBlock &) = default;
    CKvdSettingsBlock &operator=(const CKvdSettingsBlock &) = default;
    virtual ~CKvdSettingsBlock();
};

// The acquisition settings of a "Settings" element: they apply to a data file, a line, a line
// set or the whole data block, the innermost one applying.
class KVD3_API CKvdSettingsBlock_V110 : public CKvdSettingsBlock {
public:
    // Survey modes and their element texts.
    enum ESurveyMode {
        SURVEY_REFLECTION = 0,
        SURVEY_CMP_WARR = 1,
        SURVEY_TRANS_MOP = 2,
        SURVEY_TRANS_ZOP = 3,
        SURVEY_TRANS_VRP = 4
    };
    // Antenna position and orientation references.
    enum EReference { REF_RELATIVE = 0, REF_ABSOLUTE = 1, REF_FILE = 2, REF_TRACE_HEADER = 3 };
    // Antenna orientation kinds.
    enum EOrientation {
        ORIENT_SPHERICAL = 0,
        ORIENT_PERPENDICULAR = 1,
        ORIENT_PARALLEL = 2,
        ORIENT_OTHER = 3
    };

    struct SAntenna {
        // Metres once read with a relative or absolute position reference.
        double X = 0.0;
        double Y = 0.0;
        double Z = 0.0;
        int32_t PositionReference = REF_RELATIVE;
        // Degrees; -1 means not given.
        double Orientation[3] = {0.0, 0.0, 0.0};
        int32_t OrientationKind = ORIENT_SPHERICAL;
        // 1 when the orientation text holds a minus sign.
        int32_t Reversed = 0;
        int32_t OrientationReference = REF_RELATIVE;
        // The "units" text of "AntOrientation" as read.
        CStr OrientationText;
    };

    CKvdSettingsBlock_V110();
    CKvdSettingsBlock_V110(const CKvdSettingsBlock_V110 &) = default;
    CKvdSettingsBlock_V110 &operator=(const CKvdSettingsBlock_V110 &) = default;
    ~CKvdSettingsBlock_V110() override;

    // Reads the "Settings" element that is the file's current node; the cursor is back on it
    // afterwards. Error and warning lines are appended to errors. 1 when every required element
    // was present, else 0 (the values found are kept either way).
    int LoadSettings(CKVDXmlFile *file, CStr &errors);

    // 1 when both blocks hold the same settings as far as a "Settings" element records them:
    // the time window, the transmitter antenna and the processing steps are not compared,
    // numbers are equal within 1e-6 and the orientation texts without regard to case.
    int Compare(const CKvdSettingsBlock_V110 *other) const;

    // Identity test: 1 when other is another object than this one.
    int operator!=(const CKvdSettingsBlock_V110 *other) const { return other != this ? 1 : 0; }

    // Copies everything but the transmitter antenna and the processing steps.
    void operator=(const CKvdSettingsBlock_V110 *src);

    // Distance between two antenna positions, in the positions' unit.
    static double AntennaSeparation(const SAntenna &a, const SAntenna &b);

    // A new block holding the settings of a loaded radar line header (null when the header is
    // not loaded); the caller owns it. Reading the element that WriteFromHeader writes for the
    // same header gives a block that compares equal to this one.
    static CKvdSettingsBlock_V110 *FromHeader(const Tamsel &hd);

    // Appends a "Settings" element built from a loaded radar line header as the last child of
    // the file's current node; the cursor is left where it was. A step size of 0 writes the
    // header's own step. 1 written, 0 when the header is not loaded (nothing written).
    static int WriteFromHeader(CKVDXmlFile *file, const Tamsel &hd, double stepSize);

    uint32_t m_SampleCnt = 0;        // samples per trace
    double m_TimeWindow = 0.0;       // total time window, ns (only from a header)
    double m_TimeZero = 0.0;         // time zero, samples
    double m_SampleInterval = 0.0;   // ns
    SMeasure m_StepSize;             // trace step with its unit
    double m_NominalFrequency = 0.0; // MHz
    double m_Pulse = 0.0;            // pulser voltage, V
    double m_OdometerCal = 0.0;      // ticks per metre
    int32_t m_SensorID = 0;
    int32_t m_SurveyMode = SURVEY_REFLECTION;
    std::list<CStr> m_ProcessList; // one text per processing step
    SAntenna m_Receiver;
    SAntenna m_Transmitter;
};

} // namespace ORQ

// The settings module's version record, at most length - 1 characters, always terminated.
KVD3_API void KVDSettingsBlock_GetVerStr(char *buffer, int length);
