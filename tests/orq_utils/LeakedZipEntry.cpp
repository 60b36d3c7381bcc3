// A helper of the sanitizer build's leak check: writes a small archive to the path given, opens
// its entry through libzip's zip_fopen_index (as the unzipper does) and, with "leak", drops the
// opened entry without closing it. LeakSanitizer must report that leak, whatever the project's
// suppressions say about libzip's own.

#include <zip.h>

#include <cstdio>
#include <cstring>

namespace {

bool WriteArchive(const char *path) {
    int error = 0;
    zip_t *za = zip_open(path, ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    static const char text[] = "an entry that is opened and forgotten";
    zip_source_t *source = zip_source_buffer(za, text, sizeof text - 1, 0);
    if (!source || zip_file_add(za, "entry.txt", source, 0) < 0) {
        zip_source_free(source);
        zip_discard(za);
        return false;
    }
    return zip_close(za) == 0;
}

// Opens the entry and keeps no pointer to it once it returns.
__attribute__((noinline)) bool OpenAndDrop(zip_t *za, bool close) {
    zip_file_t *file = zip_fopen_index(za, 0, 0);
    if (!file)
        return false;
    char byte = 0;
    const bool read = zip_fread(file, &byte, 1) == 1;
    if (close)
        zip_fclose(file);
    return read;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3 || !WriteArchive(argv[1])) {
        std::fprintf(stderr, "usage: leaked_zip_entry <archive to write> leak|close\n");
        return 2;
    }
    int error = 0;
    zip_t *za = zip_open(argv[1], ZIP_RDONLY, &error);
    if (!za || !OpenAndDrop(za, std::strcmp(argv[2], "close") == 0))
        return 3;
    zip_discard(za);
    return 0;
}
