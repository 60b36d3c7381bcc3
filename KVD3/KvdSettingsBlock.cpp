#include "KVD3/KvdSettingsBlock.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockNumbers.h"
#include "KVD3/VersionRecord.h"
#include "Tamsel/Tamsel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ORQ {

CKvdSettingsBlock::~CKvdSettingsBlock() = default;

namespace {

const char *const kMissing = "\nError: Missing element in <Settings> block: <";

// The attribute's value, or its own name when the current node does not have it.
CStr Attr(CKVDXmlFile *file, const char *name) {
    CStr value(name);
    file->GetNodeAttribute(value);
    return value;
}

CStr Text(CKVDXmlFile *file) {
    CStr text;
    file->GetNodeText(text);
    return text;
}

bool Contains(const std::string &text, const char *what) {
    return text.find(what) != std::string::npos;
}

// The survey mode a text names; CMP and WARR as a header writes them count as "CMP/WARR".
// Any other text leaves the mode as it was.
int32_t SurveyModeOf(const std::string &text, int32_t current) {
    static const char *const names[] = {"Reflection", "CMP/WARR", "Trans. - MOP", "Trans. - ZOP",
                                        "Trans. - VRP"};
    for (int32_t i = 0; i < 5; ++i) {
        if (text == names[i])
            return i;
    }
    if (CStr::CompareNoCase(text, "CMP") == 0 || CStr::CompareNoCase(text, "WARR") == 0)
        return CKvdSettingsBlock_V110::SURVEY_CMP_WARR;
    return current;
}

bool Same(double a, double b) {
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

void ReadAntenna(CKVDXmlFile *file, CKvdSettingsBlock_V110::SAntenna &ant) {
    using Block = CKvdSettingsBlock_V110;
    if (file->GotoChildNode("AntPosition", 0)) {
        const CStr ref = Attr(file, "reference");
        if (ref == "relative")
            ant.PositionReference = Block::REF_RELATIVE;
        else if (ref == "absolute")
            ant.PositionReference = Block::REF_ABSOLUTE;
        else if (ref == "file")
            ant.PositionReference = Block::REF_FILE;
        else if (ref == "trace_header")
            ant.PositionReference = Block::REF_TRACE_HEADER;
        ant.X = kvdnum::Double(Attr(file, "X"));
        ant.Y = kvdnum::Double(Attr(file, "Y"));
        const CStr z = Attr(file, "Z");
        ant.Z = Contains(z, "NA") ? 0.0 : kvdnum::Double(z);
        if (ant.PositionReference == Block::REF_RELATIVE ||
            ant.PositionReference == Block::REF_ABSOLUTE) {
            const EUnitType unit = CMeasure::StringToUnit(Attr(file, "units"));
            ant.X = CMeasure::ConvertTo(ant.X, unit, UNIT_M);
            ant.Y = CMeasure::ConvertTo(ant.Y, unit, UNIT_M);
            ant.Z = CMeasure::ConvertTo(ant.Z, unit, UNIT_M);
        }
        ant.Reversed = 0;
        file->GotoParentNode();
    }
    if (file->GotoChildNode("AntOrientation", 0)) {
        const CStr ref = Attr(file, "reference");
        if (ref == "relative")
            ant.OrientationReference = Block::REF_RELATIVE;
        else if (ref == "absolute")
            ant.OrientationReference = Block::REF_ABSOLUTE;
        else if (ref == "file")
            ant.OrientationReference = Block::REF_FILE;
        ant.OrientationText = Attr(file, "units");
        const CStr &text = ant.OrientationText;
        bool absolute = ant.OrientationReference == Block::REF_ABSOLUTE;
        if (ant.OrientationReference == Block::REF_RELATIVE) {
            ant.Orientation[1] = 90.0;
            ant.Orientation[2] = 0.0;
            const bool minus = Contains(text, "-");
            if (Contains(text, "Perpendicular")) {
                ant.OrientationKind = Block::ORIENT_PERPENDICULAR;
                ant.Orientation[0] = minus ? 180.0 : 0.0;
                if (minus)
                    ant.Reversed = 1;
            } else if (Contains(text, "Parallel")) {
                ant.OrientationKind = Block::ORIENT_PARALLEL;
                ant.Orientation[0] = minus ? 270.0 : 90.0;
                if (minus)
                    ant.Reversed = 1;
            } else {
                absolute = true;
            }
        }
        if (absolute) {
            ant.OrientationKind =
                Contains(text, "Spherical") ? Block::ORIENT_SPHERICAL : Block::ORIENT_OTHER;
            ant.Orientation[0] = kvdnum::Double(Attr(file, "X"));
            ant.Orientation[1] = kvdnum::Double(Attr(file, "Y"));
            ant.Orientation[2] = kvdnum::Double(Attr(file, "Z"));
        }
        file->GotoParentNode();
    }
}

// The processing steps: each further one is written inside the previous one.
void ReadProcesses(CKVDXmlFile *file, std::list<CStr> &steps) {
    int depth = 0;
    while (file->GotoChildNode("Process", 0)) {
        ++depth;
        const CStr op = Attr(file, "operationUID");
        if (op == "STACK@") {
            CStr type("type");
            CStr count("Stack");
            if (file->GotoChildNode("Stack", 0)) {
                type = Attr(file, "type");
                file->GetNodeText(count);
                file->GotoParentNode();
            }
            steps.push_back(CStr("Stack ") + type + "=" + count);
        } else {
            steps.push_back(op);
        }
    }
    for (; depth > 0; --depth)
        file->GotoParentNode();
}

} // namespace

CKvdSettingsBlock_V110::CKvdSettingsBlock_V110() : m_StepSize(0.0, UNIT_M) {}

CKvdSettingsBlock_V110::~CKvdSettingsBlock_V110() = default;

int CKvdSettingsBlock_V110::LoadSettings(CKVDXmlFile *file, CStr &errors) {
    if (!file)
        return 0;
    CStr name;
    if (!file->GetNodeName(name) || name != "Settings")
        return 0;

    CStr version("1.2.0");
    int overall = 0, major = 0, minor = 0, patch = 0;
    if (file->NodeVersionCompatibility(version, overall, major, minor, patch) && overall > 0)
        errors += "\nWarning: KVD Settings block is of a newer version than this program.";

    // Each element is read inside it; a missing one is named in errors and fails the load.
    int result = 1;
    auto element = [&](const char *name, auto read) {
        if (!file->GotoChildNode(name, 0)) {
            errors += kMissing;
            errors += name;
            errors += ">";
            result = 0;
            return;
        }
        read();
        file->GotoParentNode();
    };

    element("Trace", [&] {
        m_SampleCnt = kvdnum::UInt(Attr(file, "sample_cnt"));
        m_TimeZero = kvdnum::Double(Attr(file, "time_zero_cnt"));
        m_SampleInterval = kvdnum::Double(Attr(file, "interval_ns"));
    });
    element("StepSize", [&] {
        const EUnitType unit = CMeasure::StringToUnit(Attr(file, "units"));
        m_StepSize = SMeasure(kvdnum::Double(Text(file)), unit);
    });
    element("NominalFrequency", [&] {
        const CStr units = Attr(file, "units");
        const double value = kvdnum::Double(Text(file));
        if (CStr::CompareNoCase(units, "mhz") == 0 || CStr::CompareNoCase(units, "megahertz") == 0)
            m_NominalFrequency = value;
        else
            m_NominalFrequency = value / 1000000.0;
    });
    element("Pulse", [&] {
        if (Attr(file, "units") != "Vpp")
            errors += "\nError: <Pulse> must be in units of \"Vpp\".";
        m_Pulse = kvdnum::Double(Text(file));
    });
    element("OdometerCal", [&] {
        m_OdometerCal = kvdnum::Double(Attr(file, "ticks_per_m"));
        m_SensorID = kvdnum::Int(Attr(file, "sensorID"));
    });
    element("Antenna", [&] {
        if (file->GotoChildNode("Receiver", 0)) {
            ReadAntenna(file, m_Receiver);
            file->GotoParentNode();
        }
        if (file->GotoChildNode("Transmitter", 0)) {
            ReadAntenna(file, m_Transmitter);
            file->GotoParentNode();
        }
    });
    element("SurveyMode", [&] { m_SurveyMode = SurveyModeOf(Text(file), m_SurveyMode); });

    ReadProcesses(file, m_ProcessList);
    return result;
}

int CKvdSettingsBlock_V110::Compare(const CKvdSettingsBlock_V110 *other) const {
    if (!other)
        return 0;
    if (other == this)
        return 1;
    const SAntenna &a = m_Receiver;
    const SAntenna &b = other->m_Receiver;
    const bool equal =
        Same(m_SampleInterval, other->m_SampleInterval) &&
        Same(m_NominalFrequency, other->m_NominalFrequency) &&
        Same(m_OdometerCal, other->m_OdometerCal) && Same(m_Pulse, other->m_Pulse) &&
        Same(m_StepSize.Value(), other->m_StepSize.Value()) &&
        m_StepSize.Units() == other->m_StepSize.Units() && Same(m_TimeZero, other->m_TimeZero) &&
        m_SurveyMode == other->m_SurveyMode && m_SensorID == other->m_SensorID &&
        m_SampleCnt == other->m_SampleCnt && a.Reversed == b.Reversed &&
        a.OrientationReference == b.OrientationReference &&
        CStr::CompareNoCase(a.OrientationText, b.OrientationText) == 0 &&
        a.OrientationKind == b.OrientationKind && Same(a.Orientation[0], b.Orientation[0]) &&
        Same(a.Orientation[1], b.Orientation[1]) && Same(a.Orientation[2], b.Orientation[2]) &&
        a.PositionReference == b.PositionReference && Same(a.X, b.X) && Same(a.Y, b.Y) &&
        Same(a.Z, b.Z);
    return equal ? 1 : 0;
}

void CKvdSettingsBlock_V110::operator=(const CKvdSettingsBlock_V110 *src) {
    if (!src || src == this)
        return;
    m_SampleCnt = src->m_SampleCnt;
    m_TimeWindow = src->m_TimeWindow;
    m_TimeZero = src->m_TimeZero;
    m_SampleInterval = src->m_SampleInterval;
    m_StepSize = src->m_StepSize;
    m_NominalFrequency = src->m_NominalFrequency;
    m_Pulse = src->m_Pulse;
    m_OdometerCal = src->m_OdometerCal;
    m_SensorID = src->m_SensorID;
    m_SurveyMode = src->m_SurveyMode;
    m_Receiver = src->m_Receiver;
}

double CKvdSettingsBlock_V110::AntennaSeparation(const SAntenna &a, const SAntenna &b) {
    const double dx = a.X - b.X;
    const double dy = a.Y - b.Y;
    const double dz = a.Z - b.Z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

namespace {

// Samples are spread over the time window; a header without samples has no interval (never
// inf or nan in a block or a file).
double IntervalOf(const STamsel &t) {
    return t.m_points > 0 ? t.m_timeWindow / t.m_points : 0.0;
}

// The orientation that reading the written element gives: perpendicular, relative.
void SetHeaderAntenna(CKvdSettingsBlock_V110::SAntenna &ant, double y) {
    ant.X = 0.0;
    ant.Y = y;
    ant.Z = 0.0;
    ant.PositionReference = CKvdSettingsBlock_V110::REF_RELATIVE;
    ant.Orientation[0] = 0.0;
    ant.Orientation[1] = 90.0;
    ant.Orientation[2] = 0.0;
    ant.OrientationKind = CKvdSettingsBlock_V110::ORIENT_PERPENDICULAR;
    ant.Reversed = 0;
    ant.OrientationReference = CKvdSettingsBlock_V110::REF_RELATIVE;
    ant.OrientationText = "Perpendicular";
}

// One antenna of a header's settings: at (0, y, 0) relative to the line, perpendicular to it.
void WriteHeaderAntenna(CKVDXmlFile *file, const char *name, double y, const CStr &unit) {
    file->AppendChildNode(name);
    file->AppendChildNode("AntPosition");
    file->SetNodeAttribute("X", "0");
    file->SetNodeAttribute("Y", kvdnum::FormatF(y));
    file->SetNodeAttribute("Z", "0");
    file->SetNodeAttribute("units", unit);
    file->SetNodeAttribute("reference", "relative");
    file->GotoParentNode();
    file->AppendChildNode("AntOrientation");
    file->SetNodeAttribute("X", "NA");
    file->SetNodeAttribute("Y", "NA");
    file->SetNodeAttribute("Z", "NA");
    file->SetNodeAttribute("units", "Perpendicular");
    file->SetNodeAttribute("reference", "relative");
    file->GotoParentNode();
    file->GotoParentNode();
}

// A stacking step of the system; the file stays in it, so that a further step goes inside.
void WriteStackStep(CKVDXmlFile *file, const char *id, const CStr &stack, const char *type) {
    file->AppendChildNode("Process");
    file->SetNodeAttribute("operationUID", "STACK@");
    file->SetNodeAttribute("implementation", "GPR System");
    file->SetNodeAttribute("version", "NA");
    file->SetNodeAttribute("DIP", "NA");
    file->SetNodeAttribute("buffer", "no");
    file->SetNodeAttribute("ID", id);
    file->AppendChildNode("Stack");
    file->SetNodeAttribute("type", type);
    file->SetNodeText(stack);
    file->GotoParentNode();
}

} // namespace

CKvdSettingsBlock_V110 *CKvdSettingsBlock_V110::FromHeader(const Tamsel &hd) {
    const STamsel *t = hd.GetTamsel();
    if (!t)
        return nullptr;
    auto *block = new CKvdSettingsBlock_V110();
    block->m_SampleCnt = static_cast<uint32_t>(t->m_points);
    block->m_TimeWindow = t->m_timeWindow;
    block->m_SampleInterval = IntervalOf(*t);
    block->m_TimeZero = t->m_timeZero;
    block->m_StepSize = t->m_stepSize;
    block->m_NominalFrequency = t->m_frequency;
    block->m_Pulse = t->m_pulserVoltage;
    block->m_OdometerCal = t->m_odometerCal;
    block->m_SensorID = 0;
    // The element is written with the separation in the position unit of the step.
    const double separation =
        CMeasure::ConvertTo(t->m_antennaSeparation.Value(), t->m_stepSize.Units(), UNIT_M);
    SetHeaderAntenna(block->m_Receiver, 0.5 * separation);
    SetHeaderAntenna(block->m_Transmitter, -0.5 * separation);
    block->m_SurveyMode = SurveyModeOf(t->m_surveyMode, SURVEY_REFLECTION);
    return block;
}

int CKvdSettingsBlock_V110::WriteFromHeader(CKVDXmlFile *file, const Tamsel &hd, double stepSize) {
    const STamsel *t = hd.GetTamsel();
    if (!file || !t)
        return 0;
    using kvdnum::FormatF;
    const CStr unit = CMeasure::UnitToString(t->m_stepSize.Units());

    file->PushPosition();
    file->AppendChildNode("Settings");
    file->SetNodeAttribute("version", "1.2.0");

    file->AppendChildNode("Trace");
    file->SetNodeAttribute("sample_cnt", kvdnum::FormatU(static_cast<uint32_t>(t->m_points)));
    file->SetNodeAttribute("time_zero_cnt", FormatF(t->m_timeZero));
    file->SetNodeAttribute("interval_ns", FormatF(IntervalOf(*t)));
    file->GotoParentNode();

    file->AppendChildNode("OdometerCal");
    file->SetNodeAttribute("ticks_per_m", FormatF(t->m_odometerCal));
    file->SetNodeAttribute("sensorID", "NA");
    file->GotoParentNode();

    file->AppendChildNode("StepSize");
    file->SetNodeAttribute("units", unit);
    file->SetNodeText(FormatF(stepSize != 0.0 ? stepSize : t->m_stepSize.Value()));
    file->GotoParentNode();

    file->AppendChildNode("NominalFrequency");
    file->SetNodeAttribute("units", "Mhz");
    file->SetNodeText(FormatF(t->m_frequency));
    file->GotoParentNode();

    file->AppendChildNode("Pulse");
    file->SetNodeAttribute("units", "Vpp");
    file->SetNodeText(FormatF(t->m_pulserVoltage));
    file->GotoParentNode();

    file->AppendChildNode("Antenna");
    WriteHeaderAntenna(file, "Receiver", 0.5 * t->m_antennaSeparation.Value(), unit);
    WriteHeaderAntenna(file, "Transmitter", -0.5 * t->m_antennaSeparation.Value(), unit);
    file->GotoParentNode();

    file->AppendChildNode("SurveyMode");
    file->SetNodeText(CStr(t->m_surveyMode));
    file->GotoParentNode();

    // The second step goes inside the first.
    WriteStackStep(file, "-1", kvdnum::FormatU(static_cast<uint32_t>(t->m_stacks)), "sample");
    if (!t->m_stackingType.empty())
        WriteStackStep(file, "-2", CStr(t->m_stackingType), "trace");

    file->GotoTopPosition();
    file->PopPosition();
    return 1;
}

} // namespace ORQ

void KVDSettingsBlock_GetVerStr(char *buffer, int length) {
    static const char record[] = "KVDSettingsBlock\t1.1.1.0\tVersion 1 Release 1\t2005-10-14\t"
                                 "KVD3-SB-0110";
    ORQ::CopyVersionRecord(record, buffer, length);
}

namespace ORQ {

// The project file's own entry points for settings from a header.
void *CKVDXmlFile::LoadSettings110FromHd(const Tamsel &hd) {
    return CKvdSettingsBlock_V110::FromHeader(hd);
}

int CKVDXmlFile::WriteSettingsBlock_V110(const Tamsel &hd, double stepSize) {
    return CKvdSettingsBlock_V110::WriteFromHeader(this, hd, stepSize);
}

} // namespace ORQ
