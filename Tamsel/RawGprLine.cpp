#include "Tamsel/RawGprLine.h"

#include "Tamsel/LinePair.h"
#include "Tamsel/LinePath.h"
#include "orq_utils/MessageSink.h"

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void ShowError(const std::string &text) {
    ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
}

} // namespace

int CRawGprLine::LoadData(const std::string &base) {
    m_base.clear();
    m_summary = STamsel();

    // Both files as one write left them.
    const std::string hdPath = base + ".hd";
    const std::string dt1Path = base + ".dt1";
    const int pair = ORQ::LoadLinePair(hdPath, dt1Path, m_hd, m_dt1);
    if (pair == ORQ::LINE_PAIR_BUSY)
        return -2;
    if (pair == ORQ::LINE_PAIR_NO_HEADER) {
        ShowError(m_hd.GetLastMessage().empty() ? "Unable to read the header " + hdPath
                                                : m_hd.GetLastMessage());
        return -2;
    }
    const ORQ::STamsel *hd = m_hd.GetTamsel();

    // The line's folder must exist and be usable. Paths written on Windows use
    // backslashes.
    const size_t cut = base.find_last_of("/\\");
    if (cut == std::string::npos) {
        ShowError("The radar line " + base + " names no folder.");
        m_dt1 = CDT1File();
        return -4;
    }
    const std::string folder = ORQ::ResolveLinePath(base.substr(0, cut + 1));
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        ::access(folder.c_str(), R_OK | X_OK) != 0) {
        ShowError("The folder " + folder + " of the radar line " + base +
                  " does not exist or cannot be opened.");
        m_dt1 = CDT1File();
        return -4;
    }
    // The line's .ini goes beside its data: check that it could be written,
    // without creating or touching any file there.
    const std::string ini = ORQ::ResolveLinePath(base + ".ini");
    const bool iniExists = ::access(ini.c_str(), F_OK) == 0;
    if (iniExists ? ::access(ini.c_str(), W_OK) != 0 : ::access(folder.c_str(), W_OK | X_OK) != 0) {
        ShowError("Unable to write " + ini + ": the folder of the radar line is read-only.");
        m_dt1 = CDT1File();
        return -5;
    }

    if (pair == ORQ::LINE_PAIR_NO_TRACES) {
        // A trace file shorter than its header (-3), or one that could not be taken at all.
        const long long holds = CDT1File::TraceCapacity(dt1Path.c_str(), hd->m_points);
        const bool shorter =
            hd->m_traces > 0 && hd->m_points > 0 && holds >= 0 && holds < hd->m_traces;
        return shorter ? -3 : -1;
    }

    m_summary.m_stepSize = ORQ::CMeasure::ConvertTo(hd->m_stepSize, ORQ::UNIT_M).value;
    m_summary.m_timeZero = hd->m_timeZero;
    m_summary.m_spare = hd->m_spare;
    m_summary.m_frequency = hd->m_frequency;
    m_summary.m_further = 0;
    m_base = base;
    return 0;
}

const ICdpDataSource::STamsel *CRawGprLine::TamselPtr() const {
    return m_base.empty() ? nullptr : &m_summary;
}

bool CRawGprLine::GetAvailableRange(Clvr3DDataAxis *axes, int axis) const {
    if (m_base.empty() || !axes || axis >= 3)
        return false;
    const Clvr3DDataAxis &block = m_dt1.GetCDP()->Axes();
    if (axis < 0)
        *axes = block;
    else
        axes->m_axis[axis] = block.m_axis[axis];
    return true;
}

int CRawGprLine::GetDataCdp(ClvrDataPtr &out, const Clvr3DDataAxis *request, const void *) const {
    if (m_base.empty())
        return -1;
    if (!m_dt1.GetDataCdp(out, IDT1File::TraceSamples)) {
        out.Release();
        return -2;
    }
    if (!request)
        return 0;
    Clvr3DDataAxis overlap;
    const int r = ClvrDataPtr::IntersectAxes(overlap, out.Axes(), *request, 3);
    if (r < 0) {
        out.Release();
        return -1;
    }
    if (r != 0) {
        const Slvr3DDescriptor wanted{out.Origin(), out.ElementSize(), overlap};
        if (!out.CutToRange(wanted, false)) {
            out.Release();
            return -2;
        }
    }
    return (r & 2) ? r : 0;
}

bool CRawGprLine::GetGPSInformation(GPSPos &out, long trace) {
    const ORQ::STamsel *hd = m_hd.GetTamsel();
    if (m_base.empty() || !hd)
        return false;
    const DT1TraceHeader *header = m_dt1.GetTraceHdrPtr(trace);
    if (!header)
        return false;
    out.m_x = header->m_x;
    out.m_y = header->m_y;
    out.m_z = header->m_z;
    out.m_gpsType = hd->m_gpsType;
    out.m_zone = hd->m_utmZone;
    return true;
}

bool CRawGprLine::GetGPSInformation(GPSPos &out, double trace) {
    const double r = std::floor(trace + 0.5);
    if (!(r >= -2147483647.0 && r <= 2147483647.0))
        return false;
    return GetGPSInformation(out, static_cast<long>(r));
}
