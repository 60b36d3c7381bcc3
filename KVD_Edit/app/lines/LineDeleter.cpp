#include "KVD_Edit/app/lines/LineDeleter.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "KVD_Edit/app/lines/NamedChild.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

using ORQ::CStr;

namespace {

bool EqualNoCase(const std::string &a, const std::string &b) {
    return CStr::CompareNoCase(a, b) == 0;
}

bool GotoData(ORQ::CKVDXmlFile *file) {
    return file->GotoRootNode() && file->GotoChildNode("Data", 0);
}

} // namespace

SDeleteResult CLineDeleter::DeleteKVDEntries(ORQ::CKVDXmlFile *file,
                                             const std::vector<SDeleteRow> &rows) {
    SDeleteResult result;
    if (!file)
        return result;

    std::vector<SDeleteRow> done;
    for (const SDeleteRow &row : rows) {
        bool seen = false;
        for (const SDeleteRow &d : done)
            seen = seen ||
                   (EqualNoCase(d.gridName, row.gridName) && EqualNoCase(d.lineName, row.lineName));
        if (seen)
            continue;
        done.push_back(row);

        if (!GotoData(file))
            return result;
        CStr version("version");
        const bool sets = file->GetNodeAttribute(version) && version == "1.2.0";

        if (!row.gridName.empty()) {
            if (!sets) {
                // Such a row names a line of a set; a line of the same name outside the sets
                // is another line and stays.
                ORQ::ShowMessage(ImportText::kSetsNotSupported);
                continue;
            }
            if (!GotoNamedChild(file, "LineSet", row.gridName)) {
                ORQ::ShowMessage(ImportText::kEntryNotFound);
                continue;
            }
            if (!GotoNamedChild(file, "Line", row.lineName)) {
                CStr text;
                text.Format(ImportText::kLineNotFoundFormat, row.gridName.c_str(),
                            row.lineName.c_str());
                ORQ::ShowMessage(text);
                continue;
            }
            if (file->RemoveCurrentNode()) {
                ++result.linesRemoved;
                // The cursor is on the set now.
                if (!file->GotoChildNode("Line", 0) && file->RemoveCurrentNode())
                    ++result.setsRemoved;
            }
            continue;
        }

        if (GotoNamedChild(file, "Line", row.lineName) && file->RemoveCurrentNode())
            ++result.linesRemoved;
    }
    return result;
}
