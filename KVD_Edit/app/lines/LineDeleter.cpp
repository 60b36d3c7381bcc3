#include "KVD_Edit/app/lines/LineDeleter.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <deque>
#include <memory>
#include <unordered_map>
#include <unordered_set>

using ORQ::CStr;

namespace {

// A name as the deletion compares names: without regard to case.
std::string Folded(const std::string &name) {
    CStr folded(name);
    folded.ToUpper();
    return folded;
}

// The "Line" children of one parent (a "LineSet" or "Data") that have a "name", by folded name,
// each name's lines in document order; and how many "Line" children the parent has in all.
struct SLineChildren {
    std::unordered_map<std::string, std::deque<void *>> byName;
    int lineCount = 0;
};

// A "LineSet" element of "Data", with its lines.
struct SLineSet {
    void *node = nullptr;
    SLineChildren lines;
    bool removed = false;
};

// The lines and sets of a project's "Data" element, read in one walk, with the node handles
// that remove them later: the rows are then looked up in constant time each instead of by a
// walk over the siblings of their line.
class CDataLines {
public:
    explicit CDataLines(ORQ::CKVDXmlFile *file) : m_file(file) {}
    ~CDataLines() {
        for (void *handle : m_handles)
            m_file->ReleaseNodeHandle(handle);
    }
    CDataLines(const CDataLines &) = delete;
    CDataLines &operator=(const CDataLines &) = delete;

    // Reads the children of the current node, "Data"; the cursor stands there again afterwards.
    void Read() {
        if (!m_file->GotoChildNode("", 0))
            return;
        do {
            CStr element;
            if (!m_file->GetNodeName(element))
                continue;
            if (element == "Line") {
                AddLine(m_direct);
            } else if (element == "LineSet") {
                auto set = std::make_unique<SLineSet>();
                set->node = Handle();
                CStr name("name");
                if (m_file->GetNodeAttribute(name))
                    m_setsByName[Folded(name)].push_back(set.get());
                ReadSetLines(set->lines);
                m_sets.push_back(std::move(set));
            }
        } while (m_file->GotoNextSibling());
        m_file->GotoParentNode();
    }

    // The first set named name that has not been removed; null when there is none.
    SLineSet *FindSet(const std::string &name) {
        auto it = m_setsByName.find(Folded(name));
        if (it == m_setsByName.end())
            return nullptr;
        std::deque<SLineSet *> &sets = it->second;
        while (!sets.empty() && sets.front()->removed)
            sets.pop_front();
        return sets.empty() ? nullptr : sets.front();
    }
    SLineChildren &DirectLines() { return m_direct; }

    enum ERemoval { REMOVED, NOT_FOUND, NOT_REMOVED };
    // Removes the first line named name of lines.
    ERemoval RemoveLine(SLineChildren &lines, const std::string &name) {
        auto it = lines.byName.find(Folded(name));
        if (it == lines.byName.end() || it->second.empty())
            return NOT_FOUND;
        void *node = it->second.front();
        it->second.pop_front();
        if (!m_file->MoveToHandleNode(node) || !m_file->RemoveCurrentNode())
            return NOT_REMOVED;
        --lines.lineCount;
        return REMOVED;
    }
    bool RemoveSet(SLineSet &set) {
        if (!m_file->MoveToHandleNode(set.node) || !m_file->RemoveCurrentNode())
            return false;
        set.removed = true;
        return true;
    }

private:
    void *Handle() {
        void *handle = m_file->GetCurrentNodeHandle();
        if (handle)
            m_handles.push_back(handle);
        return handle;
    }
    // Counts the "Line" at the cursor into lines, and keeps it by its name when it has one.
    void AddLine(SLineChildren &lines) {
        ++lines.lineCount;
        CStr name("name");
        if (m_file->GetNodeAttribute(name))
            if (void *handle = Handle())
                lines.byName[Folded(name)].push_back(handle);
    }
    void ReadSetLines(SLineChildren &lines) {
        if (!m_file->GotoChildNode("Line", 0))
            return;
        do
            AddLine(lines);
        while (m_file->GotoNextSibling("Line"));
        m_file->GotoParentNode();
    }

    ORQ::CKVDXmlFile *m_file;
    std::vector<void *> m_handles;
    std::vector<std::unique_ptr<SLineSet>> m_sets;
    std::unordered_map<std::string, std::deque<SLineSet *>> m_setsByName;
    SLineChildren m_direct;
};

bool GotoData(ORQ::CKVDXmlFile *file) {
    return file->GotoRootNode() && file->GotoChildNode("Data", 0);
}

} // namespace

SDeleteResult CLineDeleter::DeleteKVDEntries(ORQ::CKVDXmlFile *file,
                                             const std::vector<SDeleteRow> &rows) {
    SDeleteResult result;
    if (!file || rows.empty() || !GotoData(file))
        return result;
    CStr version("version");
    const bool sets = file->GetNodeAttribute(version) && version == "1.2.0";
    CDataLines data(file);
    data.Read();

    std::unordered_set<std::string> done;
    for (const SDeleteRow &row : rows) {
        // The rows of one line (one per data file of it) count once.
        if (!done.insert(Folded(row.gridName) + '\n' + Folded(row.lineName)).second)
            continue;
        if (row.gridName.empty()) {
            if (data.RemoveLine(data.DirectLines(), row.lineName) == CDataLines::REMOVED)
                ++result.linesRemoved;
            continue;
        }
        if (!sets) {
            // Such a row names a line of a set; a line of the same name outside the sets is
            // another line and stays.
            ORQ::ShowMessage(ImportText::kSetsNotSupported);
            continue;
        }
        SLineSet *set = data.FindSet(row.gridName);
        if (!set) {
            ORQ::ShowMessage(ImportText::kEntryNotFound);
            continue;
        }
        const CDataLines::ERemoval removal = data.RemoveLine(set->lines, row.lineName);
        if (removal == CDataLines::NOT_FOUND) {
            CStr text;
            text.Format(ImportText::kLineNotFoundFormat, row.gridName.c_str(),
                        row.lineName.c_str());
            ORQ::ShowMessage(text);
        }
        if (removal != CDataLines::REMOVED)
            continue;
        ++result.linesRemoved;
        // A set left without lines goes with its last one.
        if (set->lines.lineCount == 0 && data.RemoveSet(*set))
            ++result.setsRemoved;
    }
    GotoData(file);
    return result;
}
