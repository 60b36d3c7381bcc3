#pragma once

#include "Tamsel/DT1File.h"
#include "Tamsel/LvrDataPtr.h"
#include "Tamsel/Tamsel.h"
#include "Tamsel/TamselExport.h"

#include <string>

// A source of sample blocks: the available index ranges, and blocks cut to a
// requested range.
class TAMSEL_API ICdpDataSource {
public:
    // The line's summary values.
    struct STamsel {
        double m_stepSize = 0; // metres
        double m_timeZero = 0;
        double m_spare = 0;
        double m_frequency = 0;
        double m_further = 0;
    };

    virtual const STamsel *TamselPtr() const = 0;
    virtual bool GetAvailableRange(Clvr3DDataAxis *axes, int axis) const = 0;
    virtual int GetDataCdp(ClvrDataPtr &out, const Clvr3DDataAxis *request,
                           const void *context) const = 0;
    virtual bool SourceChanged(const void *context) const = 0;
    virtual unsigned int EdgeEffect(bool flag) const = 0;
    virtual ~ICdpDataSource() = default;
};

// Position of one trace, from its trace header and the line's header.
struct TAMSEL_API GPSPos {
    double m_x = 0;
    double m_y = 0;
    double m_z = 0;
    EGpsType m_gpsType = GPS_NONE;
    std::string m_zone;
};

// One radar line (.hd and .dt1 with one base path) as a data source.
class TAMSEL_API CRawGprLine : public ICdpDataSource {
public:
    CRawGprLine() = default;
    ~CRawGprLine() override = default;
    CRawGprLine(const CRawGprLine &) = delete;
    CRawGprLine &operator=(const CRawGprLine &) = delete;

    // Loads base + ".hd" and base + ".dt1": 0 loaded; -2 the header cannot be
    // loaded; -4 the folder does not exist or cannot be used; -5 the folder (or
    // the line's .ini) is not writable; -1 the trace file gave -2 (counts,
    // storage or file failure); -3 any other trace-file failure. Failures are
    // shown through the message sink.
    int LoadData(const std::string &base);

    const STamsel *TamselPtr() const override;
    bool GetAvailableRange(Clvr3DDataAxis *axes, int axis) const override;
    int GetDataCdp(ClvrDataPtr &out, const Clvr3DDataAxis *request,
                   const void *context) const override;
    bool SourceChanged(const void *) const override { return m_base.empty(); }
    unsigned int EdgeEffect(bool) const override { return 0; }

    bool GetGPSInformation(GPSPos &out, long trace);
    bool GetGPSInformation(GPSPos &out, double trace);
    bool GetGPSInformation(GPSPos &out, int trace) { return GetGPSInformation(out, long(trace)); }

    CDT1File *GetDT1File() { return &m_dt1; }
    ORQ::Tamsel &GetHDFile() { return m_hd; }
    std::string GetFilename() const { return m_base; }

private:
    std::string m_base;
    ORQ::Tamsel m_hd;
    CDT1File m_dt1;
    STamsel m_summary;
};
