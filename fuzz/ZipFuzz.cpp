// Zip archive reading: the input is an archive in memory. Every entry lists, is found again by
// its name, and unzips into memory in parts; names never reach outside their folder.

#include "fuzz/FuzzSupport.h"
#include "orq_utils/ZipArchive.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// No leading slash, no backslash and no ".." component: unzipped below a folder, the name stays
// below it.
bool StaysInside(const std::string &name) {
    if (!name.empty() && name[0] == '/')
        return false;
    if (name.find('\\') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    for (const char *password : {static_cast<const char *>(nullptr), "secret"}) {
        HZIP zip = OpenZip(data, static_cast<unsigned>(size), password);
        if (!zip)
            continue;
        ZIPENTRY all;
        if (GetZipItem(zip, -1, &all) == ZR_OK) {
            const int count = all.index < 64 ? all.index : 64;
            std::vector<char> buffer(4096);
            for (int i = 0; i < count; ++i) {
                ZIPENTRY entry;
                if (GetZipItem(zip, i, &entry) != ZR_OK)
                    continue;
                kvdfuzz::Check(std::memchr(entry.name, 0, sizeof entry.name) != nullptr,
                               "an entry name is terminated");
                kvdfuzz::Check(StaysInside(entry.name), "an entry name stays inside its folder");
                int found = -1;
                FindZipItem(zip, entry.name, false, &found, nullptr);
                // Bounded: at most 1 MiB of any entry, whatever its recorded size.
                EZResult r = ZR_MORE;
                for (int part = 0; part < 256 && r == ZR_MORE; ++part)
                    r = UnzipItem(zip, i, buffer.data(), static_cast<unsigned>(buffer.size()));
            }
        }
        char message[64];
        FormatZipMessageU(ZR_RECENT, message, sizeof message);
        kvdfuzz::Check(CloseZipU(zip) == ZR_OK, "an open archive closes");
    }
    return 0;
}
