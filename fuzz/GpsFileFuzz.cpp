// GPS file and position/elevation file of a line: the first byte picks the reader and its
// trace-layer switch, the next four the line's trace count, the rest is the file. Every trace
// of a line that read gets its point.

#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    kvdfuzz::Bytes bytes(data, size);
    const uint32_t choice = size > 0 ? data[0] : 0;
    kvdfuzz::Bytes rest(size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
    const int traces = int(rest.Take32() % 5000) + 1;
    const bool topo = (choice & 1) != 0;
    const bool traceLayerOnly = (choice & 2) != 0;
    const std::string path = kvdfuzz::Scratch(topo ? "line.CTP" : "line.GPS");
    kvdfuzz::WriteBytes(path, rest.Data(), rest.Size());

    CGPSInfo gps;
    CGPSDataSample sample;
    sample.AddLine(&gps, 0, 0, 1, 0.05, traces, "line");
    if (topo) {
        sample.LoadTopoFile(&gps, path.c_str(), 0, 1, traces, traceLayerOnly);
    } else {
        ORQ::CStr errors;
        sample.LoadGpsFile(&gps, path.c_str(), 0, 1, traces, errors, traceLayerOnly);
        sample.LoadLineGps(&gps, path.c_str(), nullptr, 0, 1, traces, &errors);
    }
    for (int t = 1; t <= traces; ++t)
        kvdfuzz::Check(gps.GetPoint(0, 1, t) != nullptr, "every trace of the line has its point");
    for (int source = 0; source < CGPSInfo::SOURCE_COUNT; ++source) {
        CGPSInfo::SExtent extent;
        gps.ComputeExtents(&extent, source);
    }
    return 0;
}
