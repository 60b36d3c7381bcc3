#include "KVD_Edit/planview/PrgFont.h"

#include "KVD_Edit/platform/SystemFont.h"

#include <wx/font.h>

CPrgFont::CPrgFont() {
    CreateFromLogFont(nullptr);
}

CPrgFont::~CPrgFont() = default;

int CPrgFont::CreateFromLogFont(const SLogFont *record) {
    m_held = false;
    m_record = SLogFont();
    if (record == nullptr)
        return 0;
    m_record = *record;
    m_record.Sanitize();
    m_held = true;
    return 1;
}

int CPrgFont::LoadSave(int direction, const std::string &path) {
    if (direction < 0) {
        if (!m_held)
            return 0;
        return WriteLogFontFile(path, m_record) ? 1 : 0;
    }
    SLogFont loaded;
    if (!ReadLogFontFile(path, loaded))
        return 0;
    return CreateFromLogFont(&loaded);
}

int CPrgFont::PickFont() {
    SLogFont chosen;
    if (!PickFontRecord(chosen))
        return 0;
    return CreateFromLogFont(&chosen);
}

int CPrgFont::GetStockLogFont(SLogFont *record) {
    if (record == nullptr)
        return 0;
    return GetSystemFontRecord(*record) ? 1 : 0;
}

bool CPrgFont::GetLogFont(SLogFont &out) const {
    if (!m_held)
        return false;
    out = m_record;
    return true;
}

wxFont CPrgFont::GetWxFont() const {
    if (!m_held)
        return wxFont();
    return m_record.ToWxFont();
}
