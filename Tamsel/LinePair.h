#pragma once

// Reading both files of a radar line as one write left them. A line's .hd and .dt1 are replaced
// together (CFileGroupReplacement), but a reader that loads one and then the other may meet a
// write of another program between the two and keep a header of one write with the traces of
// another, which nothing would notice when their counts agree. LoadLinePair reads without the
// line's lock and then makes sure that neither name was given a new file meanwhile and that no
// write of the line was under way (its intent record); when one was, it waits for that writer,
// which is usually done within milliseconds, and reads again under the line's lock. A reader in
// a thread that holds the line (a read-change-write) reads once: no other writer can come in.

#include "Tamsel/TamselExport.h"

#include <functional>
#include <string>

class CDT1File;

namespace ORQ {

class CFileStamp;
class Tamsel;

// Results of LoadLinePair.
enum ELinePair {
    LINE_PAIR_LOADED = 0,    // both files loaded, as one write made them
    LINE_PAIR_NO_HEADER = 1, // the header did not load (header.GetLastMessage() says why)
    LINE_PAIR_NO_TRACES = 2, // the trace file did not load (its message was shown)
    LINE_PAIR_BUSY = 3,      // another program kept writing the line; a message was shown
};

// Loads the header at hdPath and the trace file at dt1Path with the header's counts. A pending
// record of the line is finished first, as the single loads do. The messages of the loads are
// shown once the pair read is known to be whole (a mixed read is read again, and says nothing).
// A line another program writes for longer than the writers' wait
// (CFileGroupReplacement::LockWait) is reported busy, in the words of a refused write.
TAMSEL_API int LoadLinePair(const std::string &hdPath, const std::string &dt1Path, Tamsel &header,
                            CDT1File &traces);

// The check of one read of a line's pair without its lock, for readers that load the files their
// own way: made before the read (it finishes a pending record of the line, then opens both
// files), asked after it. The proof: a write renames its two files only while its record
// exists. A read that kept a file of one write and a file of another opened one file before a
// rename of a write and the other after a rename of the same write: either that write's second
// rename came before the names were asked again, and a name leads elsewhere, or its record still
// stood when it was looked for, after both files were opened and before the names were asked.
// Files kept open meanwhile are not freed, so no later file takes their inode numbers.
class TAMSEL_API CLinePairCheck {
public:
    CLinePairCheck(const std::string &hdPath, const std::string &dt1Path);
    ~CLinePairCheck();
    CLinePairCheck(const CLinePairCheck &) = delete;
    CLinePairCheck &operator=(const CLinePairCheck &) = delete;

    // Whether what was read since the check was made is one write's pair: neither name has a new
    // file and no write of the line is under way (a record left alone, which holds the line's
    // writers back, stays as it was).
    bool Whole() const;
    // Whole, for a reader that read the header before the check was made: the header's file is
    // still in the state headerState took at that read.
    bool WholeWith(const CFileStamp &headerState) const;
    // Waits until the writer of the line under way is done (its lock, up to the writers' wait);
    // false when it kept the line all that time (errno EWOULDBLOCK) or the lock cannot be had.
    static bool WaitForWriter(const std::string &hdPath);

private:
    std::string m_hdPath, m_dt1Path, m_recordPath;
    int m_hd = -1, m_dt1 = -1, m_record = -1;
    bool m_writing = false; // a write was under way when the check was made
};

// How often ReadLinePair reads a line's pair again at most after the first read, while another
// program's write keeps coming between its two files.
constexpr int kPairReads = 4;

// Results of ReadLinePair.
enum ELinePairRead {
    PAIR_READ_WHOLE = 0,   // the last read was of one write's pair
    PAIR_READ_STOPPED = 1, // the read said to stop (a header that did not load): no more reads
    PAIR_READ_BUSY = 2,    // another program kept writing the line, or its lock could not be had
};

// The loop of a reader that loads a line's files its own way (CLinePairCheck): read runs with a
// check made just before it, 0 for the first read and 1 to kPairReads for the reads again, and
// says whether to go on (true) or stop. A read that went on is asked of its check: the first
// with WholeWith(*headerState) when headerState is given (a reader that read the header before),
// else with Whole(). A read that was not whole is read again once WaitForWriter let the writer
// finish. Nothing is shown: what a stopped or busy read leaves and how a busy line is reported
// are the reader's.
TAMSEL_API ELinePairRead
ReadLinePair(const std::string &hdPath, const std::string &dt1Path, const CFileStamp *headerState,
             const std::function<bool(const CLinePairCheck &check, int read)> &read);

} // namespace ORQ
