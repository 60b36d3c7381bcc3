#pragma once

#include "orq_utils/FileReplacement.h"
#include "orq_utils/OrqExport.h"
// The reading side of a group: every user of groups finishes and tidies them.
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/ReplacementRecord.h"
#include "orq_utils/ReplacementSweep.h"

#include <memory>
#include <string>
#include <vector>

namespace ORQ {

class CLineHold;
class CReplacementLock;

// Replaces several files of one folder as a group (a radar line's .hd and .dt1): after a crash,
// a kill or a power loss at any moment, the next reader finds either all old files or all new
// ones, never a mix. The files of a group are those of one line: they share the name before
// their last "." (letter case aside), each has one of the line's extensions, and only that
// line's record may name them: the rule the reader applies to a record it finds
// (CheckReplacementTargets), so the writer never makes a record the reader would refuse. The
// steps:
//  1. every new file is written and flushed into its temporary file beside its target (through
//     the CFileReplacement that Add returns), then all of them are given their names;
//  2. an intent record naming each temporary and its target is written and flushed (the
//     folder's ReplacementRecordPath of the first target);
//  3. each temporary is renamed over its target, and the folder flushed;
//  4. the record is removed, and the folder flushed.
// Whoever next reads or writes one of the files calls FinishPendingReplacementOf first: a
// record it finds is carried out (step 3 for what still waits) and removed. Until the record
// exists the old files stay; from then on the new ones count.
//
// Each temporary file is locked (an advisory lock) from its creation until it is renamed or
// removed, so stale temporaries of killed writes are told from those a live write uses. And
// one process at a time writes a line: Commit takes the line's lock (ReplacementLockPath)
// before the temporaries are named and holds it until the record is gone, waiting a while for
// another writer of the line (in this process or another) to finish. Records are finished, and
// stale temporaries removed, only by a holder of their line's lock, so none of them is taken
// from a write that is still under way, and a writer removes only its own record.
class ORQ_UTILS_API CFileGroupReplacement {
public:
    // extensions: those of the line's files (without "."), as its readers pass them to
    // FinishPendingReplacementOf.
    explicit CFileGroupReplacement(std::vector<std::string> extensions);
    ~CFileGroupReplacement();
    CFileGroupReplacement(const CFileGroupReplacement &) = delete;
    CFileGroupReplacement &operator=(const CFileGroupReplacement &) = delete;

    // For a read-change-write of a line: holds the line (CLineHold on hdFile, its header) before
    // the caller reads its files, waiting as Commit does, until Commit is done (or the group
    // goes), so that no other read-change-write of the line comes between the read and the
    // commit. Commit refuses (EBUSY) to write over a header that another program replaced
    // meanwhile, so a read that met a writer not holding lines is never written back as if
    // whole. Commit of a held line without a record needs no lock file. false, with errno and a
    // text in Why(), when the line cannot be had; the caller
    // then reads and writes nothing. A header that is not there is not held (true): its read
    // fails. The group's members must be of that line.
    bool Hold(const std::string &hdFile);

    // A member's replacement: Open, Write and Finish it as any replacement, but do not Commit:
    // the group's Commit does. All members must lie in one folder.
    CFileReplacement &Add(const std::string &target);

    // Steps 1 (naming) to 4, once every member is finished; false with errno, a text in Why()
    // and every target unchanged when it fails before the record exists. A failure after it
    // (a rename refused) leaves the record for the next reader to finish. Members that are not
    // files of one line (EINVAL) are refused before anything is written, and so is a group
    // whose line another writer kept longer than the wait (EBUSY). The temporaries of a group
    // that failed before its record are removed.
    bool Commit();
    // Why the last Commit failed, in words for a message.
    const std::string &Why() const { return m_why; }

    // For tests that stop the group as a kill would: after the step given, Commit leaves every
    // file as it is (temporaries unlocked, record in place) and returns false with EINTR.
    // STEP_FIRST_RENAME comes between the record and the last rename: one member is in place.
    enum EStep {
        STEP_NONE = 0,
        STEP_TEMPORARIES = 1,
        STEP_RECORD = 2,
        STEP_RENAMES = 3,
        STEP_FIRST_RENAME = 4
    };
    static void SetStopAfter(EStep step);
    // For tests that hold a writing process at a step, to act beside it or kill it there: called
    // in Commit after each step with its number (before a stop there). Null clears.
    using StepHook = void (*)(EStep step);
    static void SetStepHook(StepHook hook);
    // How long Commit waits for another writer of its line (about 15 s unless set; a negative
    // value restores that). For tests, which wait less.
    static void SetLockWait(int milliseconds);
    static int LockWait();
    // Why a writer (or a reader waiting for the writers) of the line of lineFile was kept from it
    // for the whole wait, in words for a message; nothing was changed.
    static std::string BusyText(const std::string &lineFile);
    // Called about every tenth of a second while a writer or reader waits for a busy line (on
    // its thread): the program keeps its busy display alive with it. Null calls nothing.
    static void SetWaitHook(void (*hook)());

private:
    bool Fail(int error, const std::string &why);
    // Calls the step hook, then tells whether the group stops after step.
    bool Stopped(EStep step);
    // Whether the members form a group a reader would carry out; false through Fail.
    bool CheckMembers(const std::string &recordPath);
    // Fails the Commit or Hold whose line's lock could not be taken (errno tells why).
    bool LockRefused(const std::string &lineFile);
    // Steps 1 to 4 under the line's lock.
    bool CommitHeld(const std::string &recordPath);

    std::vector<std::string> m_extensions;
    std::unique_ptr<CReplacementLock> m_lock;
    std::unique_ptr<CLineHold> m_hold;
    std::vector<std::unique_ptr<CFileReplacement>> m_members;
    std::string m_why;
};

} // namespace ORQ
