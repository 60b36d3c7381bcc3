#include "KVD_Edit/app/RowWriteBack.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD3/KvdSettingsBlock.h"
#include "KVD_Edit/app/FiducialImporter.h"
#include "KVD_Edit/app/ImportText.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <memory>
#include <utility>

using ORQ::CKvdSettingsBlock_V110;
using ORQ::CMeasure;
using ORQ::CStr;
using ORQ::EUnitType;

namespace {

bool EqualNoCase(const std::string &a, const std::string &b) {
    return CStr::CompareNoCase(a, b) == 0;
}

CStr Fixed3(double value) {
    CStr text;
    text.Format("%.3f", value);
    return text;
}

double Convert(double value, EUnitType from, EUnitType to) {
    if (from == to || !CMeasure::IsDistanceUnit(from) || !CMeasure::IsDistanceUnit(to))
        return value;
    return CMeasure::ConvertTo(value, from, to);
}

CStr Attribute(ORQ::CKVDXmlFile *file, const char *name, bool &present) {
    CStr value(name);
    present = file->GetNodeAttribute(value) != 0;
    return present ? value : CStr();
}

// The unit a "Position" element's values are read in: metres for a "units" text that begins
// with "m", feet for any other; an element without the attribute is read as metres.
EUnitType PositionElementUnit(ORQ::CKVDXmlFile *file) {
    bool present = false;
    const CStr units = Attribute(file, "units", present);
    if (!present)
        return ORQ::UNIT_M;
    return (!units.empty() && (units[0] == 'm' || units[0] == 'M')) ? ORQ::UNIT_M : ORQ::UNIT_FT;
}

// The unit an "Odometer" element's values are read in: a length unit named by "units", else
// metres.
EUnitType OdometerElementUnit(ORQ::CKVDXmlFile *file) {
    bool present = false;
    const CStr units = Attribute(file, "units", present);
    const EUnitType unit = present ? CMeasure::StringToUnit(units) : ORQ::UNIT_M;
    return CMeasure::IsDistanceUnit(unit) ? unit : ORQ::UNIT_M;
}

// The "Settings" child of the current node, when it loads completely (as the project reader
// takes it); the cursor stays.
std::unique_ptr<CKvdSettingsBlock_V110> ReadSettingsChild(ORQ::CKVDXmlFile *file, CStr &errors) {
    if (!file->GotoChildNode("Settings", 0))
        return nullptr;
    auto block = std::make_unique<CKvdSettingsBlock_V110>();
    const int ok = block->LoadSettings(file, errors);
    file->GotoParentNode();
    return ok ? std::move(block) : nullptr;
}

// Removes every child element of the current node with that name; the cursor stays.
void RemoveChildren(ORQ::CKVDXmlFile *file, const char *name) {
    while (file->GotoChildNode(name, 0))
        file->RemoveCurrentNode();
}

} // namespace

CRowWriteBack::CRowWriteBack(ORQ::CKVDXmlFile *file, const std::string &projectPath)
    : m_file(file) {
    const size_t sep = projectPath.find_last_of("/\\");
    m_projectFolder = sep == std::string::npos ? std::string(".") : projectPath.substr(0, sep);
}

std::string CRowWriteBack::HeaderPath(const std::string &dataFileName) const {
    std::string name = dataFileName;
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    const size_t start = name.find_first_not_of("\\/.");
    name = start == std::string::npos ? std::string() : name.substr(start);
    return ORQ::ResolveLinePath(m_projectFolder + "/" + name + ".hd");
}

bool CRowWriteBack::ModifyRow(const SRowValues &row, const std::string &oldGridName,
                              const std::string &oldLineName, int selectedCount) {
    return Write(row, oldGridName, oldLineName, selectedCount, false);
}

bool CRowWriteBack::RewriteFiducials(const SRowValues &row, const std::string &gridName,
                                     const std::string &lineName) {
    SRowValues same = row;
    same.lineName = lineName;
    return Write(same, gridName, lineName, 0, true);
}

bool CRowWriteBack::Write(const SRowValues &row, const std::string &oldGridName,
                          const std::string &oldLineName, int selectedCount, bool fiducialsOnly) {
    if (!m_file || !m_file->GotoRootNode() || !m_file->GotoChildNode("Data", 0))
        return false;

    // Settings in force for the line: the innermost complete block of the data block, the set
    // and the line.
    std::unique_ptr<CKvdSettingsBlock_V110> inForce;
    {
        const bool present = m_file->GotoChildNode("Settings", 0);
        if (present)
            m_file->GotoParentNode();
        CStr errors;
        inForce = ReadSettingsChild(m_file, errors);
        if (present && !inForce && !errors.empty() && !fiducialsOnly)
            ORQ::ShowMessage(errors, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    }

    const std::string headerPath = HeaderPath(row.dataFileName);
    ORQ::Tamsel hd;
    if (hd.Load(headerPath.c_str(), ORQ::ST_FILE) || !hd.GetTamsel()) {
        CStr text;
        text.Format(ImportText::kUnableToReadFormat, headerPath.c_str());
        ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }
    const ORQ::STamsel &t = *hd.GetTamsel();
    EUnitType hu = t.m_startPosition.unit;
    if (!CMeasure::IsDistanceUnit(hu))
        hu = ORQ::UNIT_M;
    std::unique_ptr<CKvdSettingsBlock_V110> fromHeader(CKvdSettingsBlock_V110::FromHeader(hd));
    const double stepHu = Convert(row.step, row.unit, hu);
    if (fromHeader)
        fromHeader->m_StepSize.value = Convert(row.step, row.unit, fromHeader->m_StepSize.unit);

    // The set, by the name the grid showed.
    if (!oldGridName.empty() && m_file->GotoChildNode("LineSet", 0)) {
        bool found = false;
        do {
            CStr name("name");
            if (m_file->GetNodeAttribute(name) && EqualNoCase(name, oldGridName)) {
                found = true;
                break;
            }
        } while (m_file->GotoNextSibling("LineSet"));
        if (!found) {
            CStr text;
            text.Format(ImportText::kInvalidSetFormat, oldGridName.c_str());
            ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
            return false;
        }
        CStr errors;
        if (auto block = ReadSettingsChild(m_file, errors))
            inForce = std::move(block);
    }

    // The line, and whether its new name is free among its neighbours.
    const std::string &newName = row.lineName;
    const bool renaming = !EqualNoCase(oldLineName, newName);
    bool found = false, used = false;
    if (!oldLineName.empty() && m_file->GotoChildNode("Line", 0)) {
        do {
            CStr name("name");
            if (!m_file->GetNodeAttribute(name))
                continue;
            if (!found && EqualNoCase(name, oldLineName)) {
                found = true;
                m_file->PushPosition();
            } else if (renaming && EqualNoCase(name, newName)) {
                used = true;
            }
        } while (m_file->GotoNextSibling("Line"));
        if (found) {
            m_file->GotoTopPosition();
            m_file->PopPosition();
        } else {
            m_file->GotoParentNode();
        }
    }
    if (!found) {
        CStr text;
        text.Format(ImportText::kInvalidLineFormat, oldLineName.c_str());
        ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }
    if (used) {
        CStr text;
        text.Format(ImportText::kLineUsedFormat, newName.c_str());
        ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }

    // The cursor is on the line. From here on the file changes.
    {
        CStr errors;
        if (auto block = ReadSettingsChild(m_file, errors))
            inForce = std::move(block);
    }
    if (selectedCount == 1 && !fiducialsOnly)
        m_file->SetNodeAttribute("name", newName);

    // The data file the row shows: its name and folder.
    std::string rowRelative = row.dataFileName;
    {
        const size_t dot = rowRelative.find_last_of('.');
        if (dot != std::string::npos)
            rowRelative.erase(dot);
        const size_t start = rowRelative.find_first_not_of("\\/.");
        rowRelative = start == std::string::npos ? std::string() : rowRelative.substr(start);
    }

    const bool xLine = row.orientation == 2;
    const bool yLine = row.orientation == 3;
    if (m_file->GotoChildNode("DataFile", 0)) {
        do {
            m_file->PushPosition();

            bool present = false;
            const CStr name = Attribute(m_file, "name", present);
            const CStr ext = Attribute(m_file, "ext", present);
            CStr dirPath;
            if (m_file->GotoChildNode("FileDirPath", 0)) {
                m_file->GetNodeText(dirPath);
                m_file->GotoParentNode();
            }
            const std::string relative =
                dirPath.empty() ? std::string(name) : dirPath + "\\" + name;
            CStr a = relative, b = rowRelative;
            a.Substitute("/", "\\");
            b.Substitute("/", "\\");
            const bool rowsEntry = EqualNoCase(a, b) && ORQ::CKvdDataBlockInterface_V110::IsGPRData(
                                                            ext.empty() ? name : ext);

            // Positions: the first two "Position" children, missing ones appended.
            double first[2] = {row.xMin, row.yMin}, second[2] = {row.xMax, row.yMax};
            if (row.reversed)
                std::swap(first, second);
            int written = fiducialsOnly ? 2 : 0;
            if (!fiducialsOnly && m_file->GotoChildNode("Position", 0)) {
                do {
                    const double *p = written == 0 ? first : second;
                    const EUnitType pu = PositionElementUnit(m_file);
                    m_file->SetNodeAttribute("X", Fixed3(Convert(p[0], row.unit, pu)));
                    m_file->SetNodeAttribute("Y", Fixed3(Convert(p[1], row.unit, pu)));
                } while (++written < 2 && m_file->GotoNextSibling("Position"));
                m_file->GotoParentNode();
            }
            for (; written < 2; ++written) {
                const double *p = written == 0 ? first : second;
                const EUnitType pu = hu == ORQ::UNIT_FT ? ORQ::UNIT_FT : ORQ::UNIT_M;
                m_file->AppendChildNode("Position");
                m_file->SetNodeAttribute("X", Fixed3(Convert(p[0], row.unit, pu)));
                m_file->SetNodeAttribute("Y", Fixed3(Convert(p[1], row.unit, pu)));
                m_file->SetNodeAttribute("Z", "0.00");
                m_file->SetNodeAttribute("units", CMeasure::UnitToString(pu));
                m_file->SetNodeAttribute("normalized_file_pos", written == 0 ? "0.0" : "1.0");
                m_file->GotoParentNode();
            }

            if (m_file->GotoChildNode("Odometer", 0)) {
                const EUnitType ou = OdometerElementUnit(m_file);
                const double start = xLine ? row.xMin : row.yMin;
                const double end = xLine ? row.xMax : row.yMax;
                if (!fiducialsOnly) {
                    m_file->SetNodeAttribute("step", Fixed3(Convert(row.step, row.unit, ou)));
                    m_file->SetNodeAttribute("start", Fixed3(Convert(start, row.unit, ou)));
                    m_file->SetNodeAttribute("end", Fixed3(Convert(end, row.unit, ou)));
                }
                m_file->GotoParentNode();
                if (rowsEntry) {
                    RemoveChildren(m_file, "FIDComment");
                    if (xLine || yLine) {
                        double y0 = Convert(xLine ? row.xMin : row.yMin, row.unit, hu);
                        double y1 = Convert(xLine ? row.xMax : row.yMax, row.unit, hu);
                        if (row.reversed)
                            std::swap(y0, y1);
                        CFiducialImporter::UpdateFidDetails(m_file, headerPath, hu, stepHu,
                                                            t.m_startPosition.value,
                                                            t.m_finalPosition.value, y0, y1);
                    }
                }
            }

            if (rowsEntry && !fiducialsOnly) {
                RemoveChildren(m_file, "Settings");
                if (fromHeader && (!inForce || !inForce->Compare(fromHeader.get())))
                    m_file->WriteSettingsBlock_V110(hd, stepHu);
            }

            m_file->GotoTopPosition();
            m_file->PopPosition();
        } while (m_file->GotoNextSibling("DataFile"));
    }
    return true;
}
