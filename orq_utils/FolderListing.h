#pragma once

#include "orq_utils/OrqExport.h"

#include <sys/stat.h>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ORQ {

// The names of one folder, read once, to answer the questions a reader of many files in it
// asks of each: which name a file has on disk, whether a name is there (a pending intent record,
// a leftover temporary) and how large a plain file is. A project's line folder holds thousands
// of files and each line asks these questions on every open; with a listing the folder costs
// one pass, and a file is opened or measured only where the listing says it is there.
//
// A listing is what the folder held when it was read; it does not follow later changes. The one
// change a reader must not miss is an intent record appearing: a writer of such an entry in this
// process (CFileGroupReplacement) notes it first (NoteNewEntry), so a listing knows when one may
// have appeared since its reading (MayLackNewEntries). A record another process writes is that
// process's own while it holds the line's lock, and the tidy of a listing looks for a line's
// record on disk, under that lock, before it removes any temporary of the line.
class ORQ_UTILS_API CFolderListing {
public:
    enum EType { TYPE_NONE = 0, TYPE_FILE = 1, TYPE_FOLDER = 2, TYPE_OTHER = 3, TYPE_UNKNOWN = 4 };

    CFolderListing() = default;
    // Reads folder's names ("" reads "."); false, holding no names, when it cannot be read.
    explicit CFolderListing(const std::string &folder) { Read(folder); }
    // A listing refers into its own names: it moves, it is not copied.
    CFolderListing(CFolderListing &&) = default;
    CFolderListing &operator=(CFolderListing &&) = default;
    CFolderListing(const CFolderListing &) = delete;
    CFolderListing &operator=(const CFolderListing &) = delete;
    bool Read(const std::string &folder);

    const std::string &Folder() const { return m_folder; }
    bool IsRead() const { return m_read; }
    size_t Count() const { return m_types.size(); }

    // The entry of the folder that name (the program's code page 1252 text, or a name from the
    // disk) stands for: its UTF-8 spelling, then its bytes widened from code page 1252, then its
    // bytes as they are (files copied from Windows with raw code page 1252 names), then any
    // entry of the same FileNameKey (letter case and spelling ignored). Empty when none; type,
    // when given, receives the entry's type (TYPE_NONE when none).
    std::string Find(const std::string &name, EType *type = nullptr) const;
    // Whether the folder held exactly this name.
    bool Has(const std::string &entry) const { return m_types.count(entry) > 0; }
    // The type of an entry: TYPE_NONE when the folder did not hold it; TYPE_UNKNOWN where the
    // file system does not type its entries (a stat tells, see IsFile).
    EType TypeOf(const std::string &entry) const;
    // Whether the entry is a plain file (or a link to one): from the listing, or by a stat
    // where the listing could not tell.
    bool IsFile(const std::string &entry) const;
    // The size in bytes of the plain file entry (links followed), measured now: -1 when the
    // folder did not hold it or it is no plain file.
    long long SizeOf(const std::string &entry) const;
    // The entry's path: the folder, "/" and the entry.
    std::string PathOf(const std::string &entry) const;
    // The entry path names when it is PathOf an entry of this folder (the listing need not hold
    // it); empty when path lies elsewhere.
    std::string EntryOf(const std::string &path) const;
    // Opens the entry with open(2)'s flags, found in the folder as it was read (without walking
    // the folder's path again); a file descriptor, or -1 with errno set.
    int Open(const std::string &entry, int flags) const;

    // Calls visit(entry) for each entry, in the order the folder lists them.
    template <typename Visit> void ForEachEntry(Visit visit) const {
        for (const std::string *entry : m_order)
            visit(*entry);
    }
    // Whether the folder held a hidden entry (a name beginning with ".", other than "." and
    // ".."): the replacement's temporaries and intent records are hidden.
    bool HasHiddenEntries() const { return m_hidden; }

    // Whether no entry of the folder was made, renamed or removed since the reading began (the
    // folder's modification and change times are those it had then): a reader of a line's files
    // that finds it so read both as one write left them, for a write gives them their names.
    // false when that cannot be told: the times lay in the clock's last tick at the reading,
    // where a change in the same tick would leave them as they are, or the folder cannot be
    // looked at.
    bool UnchangedSinceReading() const;

    // Called by a writer of this process about to create an entry that readers holding a
    // listing must not miss (an intent record).
    static void NoteNewEntry();
    // Whether such an entry was noted since the reading began: then the listing's lack of one
    // proves nothing.
    bool MayLackNewEntries() const;

private:
    // The folder, open while the listing lives: its entries are measured and opened through it.
    struct SFolderHandle {
        int fd = -1;
        bool held = false; // counted among the listings that hold their folder open
        SFolderHandle() = default;
        SFolderHandle(SFolderHandle &&other) noexcept : fd(other.fd), held(other.held) {
            other.fd = -1;
            other.held = false;
        }
        SFolderHandle &operator=(SFolderHandle &&other) noexcept;
        ~SFolderHandle() { Close(); }
        void Close();
    };
    // Notes the folder's times (open as fd) as the reading begins.
    void StampFolder(int fd);
    // stat(2) of the entry, through the folder when it is open.
    int StatEntry(const std::string &entry, struct stat *st) const;

    std::string m_folder;
    SFolderHandle m_handle;
    bool m_read = false;
    bool m_hidden = false;
    // The folder's times when the reading began, and whether a later change must alter them.
    struct timespec m_folderMtime {};
    struct timespec m_folderCtime {};
    bool m_stampTells = false;
    unsigned long m_newEntriesAtReading = 0;
    std::unordered_map<std::string, char> m_types; // entry -> EType
    // The extensions of the entries, in lower case; all of them when every one is ASCII.
    std::unordered_set<std::string> m_extensions;
    bool m_allExtensionsKnown = true;
    // The entries (keys of m_types) in the order the folder lists them.
    std::vector<const std::string *> m_order;
    // FileNameKey -> the first entry of that key; made on the first question it answers.
    mutable std::unordered_map<std::string, const std::string *> m_byKey;
    mutable bool m_keyed = false;
};

} // namespace ORQ
