// Radar line header (.hd): load, save, reload. A header that loads saves; the saved file loads
// again with the values it was saved with, and saving that gives the same bytes.

#include "Tamsel/Tamsel.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string input = kvdfuzz::Scratch("in.hd");
    const std::string first = kvdfuzz::Scratch("first.hd");
    const std::string second = kvdfuzz::Scratch("second.hd");
    kvdfuzz::WriteBytes(input, data, size);

    ORQ::Tamsel header;
    if (header.Load(input.c_str(), ORQ::ST_FILE))
        return 0;
    kvdfuzz::Check(header.GetTamsel() != nullptr, "a loaded header has a record");
    kvdfuzz::Check(header.Save(first, ORQ::ST_FILE) == 0, "a loaded header saves");

    ORQ::Tamsel reloaded;
    kvdfuzz::Check(!reloaded.Load(first.c_str(), ORQ::ST_FILE), "a saved header loads again");
    kvdfuzz::Check(reloaded.Save(second, ORQ::ST_FILE) == 0, "a reloaded header saves");
    kvdfuzz::Check(kvdfuzz::ReadBytes(first) == kvdfuzz::ReadBytes(second),
                   "saving a reloaded header gives the same bytes");

    ORQ::Tamsel again;
    kvdfuzz::Check(!again.Load(second.c_str(), ORQ::ST_FILE), "the second save loads");
    kvdfuzz::Check(*again.GetTamsel() == *reloaded.GetTamsel(),
                   "a saved header loads with the values it was saved with");
    return 0;
}
