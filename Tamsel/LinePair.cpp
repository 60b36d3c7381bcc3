#include "Tamsel/LinePair.h"

#include "Tamsel/DT1File.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FileStamp.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/PathName.h"
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/ReplacementLock.h"
#include "orq_utils/ReplacementRecord.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ORQ {

namespace {

// Reads without the line's lock before one under it: a reader that keeps meeting writes of a
// line it cannot lock (a folder where no lock file can be made) gives up after these.
constexpr int kUnlockedReads = 4;

// The messages shown while it is installed, kept to be shown later or dropped: those of a read
// that turns out mixed are read again, and a person must not see them twice or at all.
class CHeldMessages : public IMessageSink {
public:
    CHeldMessages() : m_previous(SetMessageSink(this)) {}
    ~CHeldMessages() override { Restore(); }
    CHeldMessages(const CHeldMessages &) = delete;
    CHeldMessages &operator=(const CHeldMessages &) = delete;

    int Show(const std::string &text, const std::string &caption, unsigned style) override {
        m_messages.push_back({text, caption, style});
        return DefaultAnswer(style);
    }
    // Puts the sink found back.
    void Restore() {
        if (!m_installed)
            return;
        SetMessageSink(m_previous);
        m_installed = false;
    }
    // Shows what was kept, through the sink found.
    void Show() {
        Restore();
        for (const auto &m : m_messages)
            ShowMessage(m.text, m.style, m.caption);
        m_messages.clear();
    }

private:
    struct SMessage {
        std::string text, caption;
        unsigned style;
    };
    IMessageSink *m_previous;
    bool m_installed = true;
    std::vector<SMessage> m_messages;
};

// Both loads, each finishing a pending record of the line first.
int LoadBoth(const std::string &hdPath, const std::string &dt1Path, Tamsel &header,
             CDT1File &traces) {
    if (header.Load(hdPath.c_str(), ST_FILE) || !header.GetTamsel())
        return LINE_PAIR_NO_HEADER;
    const STamsel *hd = header.GetTamsel();
    return traces.Load(dt1Path.c_str(), hd->m_traces, hd->m_points) == 0 ? LINE_PAIR_LOADED
                                                                         : LINE_PAIR_NO_TRACES;
}

int OpenToCheck(const std::string &path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// Whether path still leads to the file open as fd (links followed, as the writers follow them);
// a name that could not be opened (fd -1) must still lead nowhere.
bool StillAt(const std::string &path, int fd) {
    struct stat byName {
    }, byFd{};
    if (fd < 0)
        return ::stat(path.c_str(), &byName) != 0 && errno == ENOENT;
    return ::stat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 &&
           byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

void ReportBusy(const std::string &hdPath) {
    ShowMessage("The line " + StemOf(LeafOf(hdPath)) + " (" + hdPath +
                    ") was not read: " + CFileGroupReplacement::BusyText(hdPath) + ".",
                MB_OK | MB_ICONWARNING);
}

} // namespace

int LoadLinePair(const std::string &hdName, const std::string &dt1Name, Tamsel &header,
                 CDT1File &traces) {
    const std::string hdPath = ResolveLinePath(hdName);
    const std::string dt1Path = ResolveLinePath(dt1Name);
    const std::string lockPath = ReplacementLockPath(hdPath);
    // This thread's own read-change-write of the line: no other writer can come in.
    if (CReplacementLock::HeldHere(lockPath))
        return LoadBoth(hdPath, dt1Path, header, traces);

    for (int read = 0;; ++read) {
        {
            CHeldMessages held;
            const CLinePairCheck check(hdPath, dt1Path);
            const int result = LoadBoth(hdPath, dt1Path, header, traces);
            if (check.Whole()) {
                held.Show();
                return result;
            }
        }
        // A writer was under way: its turn is waited for, and the line read holding it from
        // both kinds of writers (those that hold lines, and those that only lock them).
        CLineHold hold;
        CReplacementLock lock;
        const bool holdHad =
            hold.Take(hdPath, CFileGroupReplacement::LockWait()) || errno == ENOENT;
        const int holdErr = errno;
        if (holdHad && lock.Take(lockPath, CFileGroupReplacement::LockWait())) {
            CHeldMessages held;
            const int result = LoadBoth(hdPath, dt1Path, header, traces);
            held.Restore();
            lock.Release();
            hold.Release();
            held.Show();
            return result;
        }
        if ((holdHad ? errno : holdErr) == EWOULDBLOCK || read + 1 >= kUnlockedReads)
            break;
    }
    header.GprClear();
    traces = CDT1File();
    ReportBusy(hdPath);
    return LINE_PAIR_BUSY;
}

CLinePairCheck::CLinePairCheck(const std::string &hdPath, const std::string &dt1Path)
    : m_hdPath(hdPath), m_dt1Path(dt1Path), m_recordPath(ReplacementRecordPath(hdPath)) {
    const EPendingReplacement pending = FinishPendingReplacementOf(hdPath, kLineFileExtensions);
    // A record left alone holds the line's writers back: the files are read as they are.
    m_record = OpenToCheck(m_recordPath);
    m_writing =
        pending == PENDING_BUSY || (m_record >= 0 && pending != PENDING_UNREADABLE &&
                                    pending != PENDING_FAILED && pending != PENDING_REFUSED);
    m_hd = OpenToCheck(hdPath);
    m_dt1 = OpenToCheck(dt1Path);
}

CLinePairCheck::~CLinePairCheck() {
    for (int fd : {m_hd, m_dt1, m_record})
        if (fd >= 0)
            ::close(fd);
}

bool CLinePairCheck::Whole() const {
    // The record first, the names after it.
    return !m_writing && StillAt(m_recordPath, m_record) && StillAt(m_hdPath, m_hd) &&
           StillAt(m_dt1Path, m_dt1);
}

bool CLinePairCheck::WholeWith(const CFileStamp &headerState) const {
    return Whole() && headerState.Compare(m_hdPath) == CFileStamp::FILE_UNCHANGED;
}

bool CLinePairCheck::WaitForWriter(const std::string &hdPath) {
    CLineHold hold;
    if (!hold.Take(hdPath, CFileGroupReplacement::LockWait()) && errno != ENOENT)
        return false;
    CReplacementLock lock;
    return lock.Take(ReplacementLockPath(hdPath), CFileGroupReplacement::LockWait());
}

ELinePairRead ReadLinePair(const std::string &hdPath, const std::string &dt1Path,
                           const CFileStamp *headerState,
                           const std::function<bool(const CLinePairCheck &, int)> &read) {
    for (int n = 0;; ++n) {
        {
            const CLinePairCheck check(hdPath, dt1Path);
            if (!read(check, n))
                return PAIR_READ_STOPPED;
            if ((n == 0 && headerState) ? check.WholeWith(*headerState) : check.Whole())
                return PAIR_READ_WHOLE;
        }
        if (n >= kPairReads || !CLinePairCheck::WaitForWriter(hdPath))
            return PAIR_READ_BUSY;
    }
}

} // namespace ORQ
