// Radar trace file (.dt1): the first eight bytes give the trace and sample counts (as a header
// would), the rest is the file. The file loads through the trace reader and the block reader;
// every trace header, fiducial and skip trace they report is reachable.

#include "KVD_Edit/GPSINFO/Array3D.h"
#include "Tamsel/DT1File.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    kvdfuzz::Bytes bytes(data, size);
    // Counts as a header gives them, kept small enough that a block stays within a few MiB;
    // negative and zero counts are part of what the readers must refuse.
    const long traces = long(int32_t(bytes.Take32())) % 4096;
    const long points = long(int32_t(bytes.Take32())) % 1024;
    const std::string path = kvdfuzz::Scratch("in.dt1");
    kvdfuzz::WriteBytes(path, bytes.Data(), bytes.Size());

    CDT1File file;
    const int result = file.Load(path.c_str(), traces, points);
    if (result == 0) {
        kvdfuzz::Check(file.TrcCnt() == static_cast<unsigned long>(traces),
                       "a loaded trace file has the traces asked for");
        for (long t = 0; t < traces; ++t)
            kvdfuzz::Check(file.GetTraceHdrPtr(t) != nullptr, "every trace has a header");
        short sample = 0;
        file.GetRawData(sample, traces - 1, points - 1);
        for (int i = 0; i < file.GetFiducialCount(); ++i) {
            const CDT1File::SFiducialData fid = file.GetFiducial(i);
            kvdfuzz::Check(fid.m_trace >= 0 && fid.m_trace < traces, "a fiducial lies on a trace");
            kvdfuzz::Check(fid.m_text.size() <= 28, "a fiducial holds at most 28 characters");
        }
        for (int i = 0; i < file.GetSkipTraceCount(); ++i) {
            const int t = file.GetSkipTraceIndex(i);
            kvdfuzz::Check(t >= 0 && t < traces, "a skip trace lies on a trace");
        }
    }

    CArray3D block;
    const int read = block.ReadDt1(path.c_str(), int(traces), int(points));
    if (read == 0 || read == 2) {
        kvdfuzz::Check(block.Seek(-64, int(traces) - 1, 0) != 0,
                       "the last trace header is reachable");
        kvdfuzz::Check(block.Element() != nullptr, "a read block holds its data");
    }
    return 0;
}
