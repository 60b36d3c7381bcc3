#include "KVD_Edit/app/ChildFrame.h"

#include "KVD_Edit/app/CodeLogger.h"

// Line import, line deletion and fiducial re-import of the child frame. They are part of the
// line editing work that is not in this build yet: each reports that it did nothing, so that no
// caller takes a change for done (the fiducial request of a project stays set, for example).

bool CChildFrame::Import() {
    KVD_LOG_CALL();
    return false;
}

bool CChildFrame::DeleteKVDEntries() {
    KVD_LOG_CALL();
    return false;
}

bool CChildFrame::UpdateFidDetails() {
    KVD_LOG_CALL();
    return false;
}
