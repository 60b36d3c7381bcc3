#include "KVD_Edit/app/document/MapperSettings.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/ProgramIdentity.h"
#include "orq_utils/Measure.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const char *const kGeneral = "General";
const char *const kLocalWorld = "LocalWorld_Settings";
const char *const kLineDisplay = "LineDisplay_Settings";

std::string ColourText(uint32_t c) {
    return FormatC("%d,%d,%d", ColourRed(c), ColourGreen(c), ColourBlue(c));
}

// Moves to the child `name` of the current node, appending it when missing.
bool GotoOrAppend(ORQ::CKVDXmlFile *file, const char *name) {
    return file->GotoChildNode(name, 0) || file->AppendChildNode(name);
}

// Removes every child `name` of the current node; the cursor ends on the node again.
void RemoveChildren(ORQ::CKVDXmlFile *file, const char *name) {
    while (file->GotoChildNode(name, 0))
        file->RemoveCurrentNode();
}

std::string EntryElementName(int entry) {
    return std::string(LineDisplayKindName(entry / 2)) + ((entry % 2) ? "InActive" : "Active");
}

bool ContainsLowerM(const std::string &text) {
    return text.find('m') != std::string::npos;
}

// A whole number as "%d" writes it, blanks around it allowed; false for any other text.
bool ParseStoredInt(const std::string &text, int &out) {
    const char *begin = text.c_str();
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return false;
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end != '\0')
        return false;
    out = static_cast<int>(value);
    return true;
}

// "%d,%d,%d" of red, green and blue, each 0 to 255; false (out untouched) for any other text.
bool ParseStoredColour(const std::string &text, uint32_t &out) {
    int rgb[3] = {0, 0, 0};
    size_t from = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t comma = text.find(',', from);
        if ((k < 2) != (comma != std::string::npos))
            return false;
        const std::string piece =
            text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (!ParseStoredInt(piece, rgb[k]) || rgb[k] < 0 || rgb[k] > 255)
            return false;
        from = comma + 1;
    }
    out = MakeColourRef(rgb[0], rgb[1], rgb[2]);
    return true;
}

} // namespace

CMapperSettings::CMapperSettings() {
    SetDefaults();
}

void CMapperSettings::SetDefaults() {
    GPSConfiguration = DEFAULT_GPS_CONFIGURATION;
    CursorColour = 255;
    LocalWorld.SetDefaults();
    SetDefaultLineDisplaySettings(LineDisplay);
    AutoImport = true;
    FiducialsNotImported = true;
    RebuildGPSFormat();
}

void CMapperSettings::RebuildGPSFormat() {
    int ellipsoid = LocalWorld.Ellipsoid;
    GPSFormat = BuildGPSFormatString(GPSConfiguration, &ellipsoid);
    LocalWorld.Ellipsoid = ellipsoid;
}

// ---- node helpers ---------------------------------------------------------------------------

bool CMapperSettings::ReadText(ORQ::CKVDXmlFile *file, const char *name, std::string &out) {
    if (!file->GotoChildNode(name, 0))
        return false;
    ORQ::CStr text;
    const bool ok = file->GetNodeText(text) == 1;
    file->GotoParentNode();
    if (ok)
        out = text;
    return ok;
}

bool CMapperSettings::ReadInt(ORQ::CKVDXmlFile *file, const char *name, int &out) {
    std::string text;
    if (!ReadText(file, name, text))
        return false;
    out = ParseIntC(text);
    return true;
}

bool CMapperSettings::ReadDouble(ORQ::CKVDXmlFile *file, const char *name, double &out) {
    std::string text;
    if (!ReadText(file, name, text))
        return false;
    out = ParseDoubleC(text);
    return true;
}

bool CMapperSettings::ReadFlag(ORQ::CKVDXmlFile *file, const char *name, bool &out) {
    std::string text;
    if (!ReadText(file, name, text))
        return false;
    out = text.size() == 1 && std::toupper(static_cast<unsigned char>(text[0])) == 'Y';
    return true;
}

bool CMapperSettings::ReadMeasure(ORQ::CKVDXmlFile *file, const char *name, double &value,
                                  int &unit) {
    if (!file->GotoChildNode(name, 0))
        return false;
    ORQ::CStr text;
    ORQ::CStr units("units");
    const bool ok = file->GetNodeText(text) == 1 && file->GetNodeAttribute(units) == 1;
    file->GotoParentNode();
    if (!ok)
        return false;
    value = ParseDoubleC(text);
    unit = static_cast<int>(ORQ::CMeasure::StringToUnit(units));
    return true;
}

bool CMapperSettings::WriteText(ORQ::CKVDXmlFile *file, const char *name, const std::string &text) {
    if (!file->AppendChildNode(name))
        return false;
    const bool ok = file->SetNodeText(text) == 1;
    file->GotoParentNode();
    return ok;
}

bool CMapperSettings::WriteInt(ORQ::CKVDXmlFile *file, const char *name, int value) {
    return WriteText(file, name, FormatC("%d", value));
}

bool CMapperSettings::WriteDouble(ORQ::CKVDXmlFile *file, const char *name, double value) {
    return WriteText(file, name, FormatC("%.15f", value));
}

bool CMapperSettings::WriteFlag(ORQ::CKVDXmlFile *file, const char *name, bool value) {
    return WriteText(file, name, value ? "Y" : "N");
}

bool CMapperSettings::WriteMeasure(ORQ::CKVDXmlFile *file, const char *name, double value,
                                   int unit) {
    if (!file->AppendChildNode(name))
        return false;
    bool ok = file->SetNodeText(FormatC("%f", value)) == 1;
    ok = file->SetNodeAttribute(
             "units", ORQ::CMeasure::UnitToString(static_cast<ORQ::EUnitType>(unit))) == 1 &&
         ok;
    file->GotoParentNode();
    return ok;
}

// ---- Load -----------------------------------------------------------------------------------

int CMapperSettings::Load(CKvdGprDataFiles *holder, CMapperSettings *target) {
    if (!holder || !holder->GetKvdXmlFile())
        return -1;
    CMapperSettings &record = target ? *target : *this;
    record.LoadFrom(holder->GetKvdXmlFile());
    return 0;
}

void CMapperSettings::LoadFrom(ORQ::CKVDXmlFile *file) {
    SetDefaults();
    const bool pushed = file->PushPosition() == 1;
    if (file->GotoRootNode() && file->GotoChildNode(kMapperSettingsElement, 0)) {
        std::string text;
        if (GotoOrAppend(file, kGeneral)) {
            if (ReadText(file, "Cursor_Colour", text))
                CursorColour = ParseColour(text);
            file->GotoParentNode();
        }
        if (GotoOrAppend(file, kLocalWorld)) {
            LoadLocalWorld(file);
            file->GotoParentNode();
        }
        if (GotoOrAppend(file, kLineDisplay)) {
            LoadLineDisplay(file);
            file->GotoParentNode();
        }
    }
    if (LocalWorld.TwoPointDefinition) {
        LocalWorld.ZoneA = LocalWorld.Zone;
        LocalWorld.ZoneLetterA = LocalWorld.ZoneLetter;
    }
    if (pushed) {
        file->GotoTopPosition();
        file->PopPosition();
    }
    HideTraceGpsStyles(LineDisplay);
}

void CMapperSettings::LoadLocalWorld(ORQ::CKVDXmlFile *file) {
    std::string text;
    SLocalWorldDef &lw = LocalWorld;
    ReadFlag(file, "AutoImport", AutoImport);
    ReadFlag(file, "FiducialsNotImported", FiducialsNotImported);
    ReadText(file, "GPSConfiguration", GPSConfiguration);
    RebuildGPSFormat();
    int value = 0;
    if (ReadInt(file, "LastGPSView", value))
        lw.LastGPSView = value;
    if (ReadInt(file, kLocalWorld, value))
        lw.GlobalKind = value;
    if (ReadInt(file, "EnableGPS", value))
        lw.EnableGPS = value;
    ReadFlag(file, "TwoPointDefinition", lw.TwoPointDefinition);
    ReadFlag(file, "Ratio_CHeckBox", lw.RatioCheckBox);
    ReadFlag(file, "Fit_Grid", lw.FitGrid);
    if (ReadText(file, "Zone", text))
        ParseZoneText(text, lw.Zone, lw.ZoneLetter);
    ReadDouble(file, "Shift_X", lw.ShiftX);
    ReadDouble(file, "Shift_Y", lw.ShiftY);
    ReadDouble(file, "Rotation", lw.Rotation);
    for (int n = 0; n < 2; ++n) {
        SLocalWorldDef::SRefPoint &p = lw.RefPoint[n];
        const int k = n + 1;
        ReadDouble(file, FormatC("Local_X_P%d", k).c_str(), p.LocalX);
        ReadDouble(file, FormatC("Local_Y_P%d", k).c_str(), p.LocalY);
        ReadDouble(file, FormatC("EASTING_LATITUDE_P%d", k).c_str(), p.EastingOrLongitude);
        ReadDouble(file, FormatC("NORTHING_LONGITUDE_P%d", k).c_str(), p.NorthingOrLatitude);
        if (ReadText(file, FormatC("Zone%d", k).c_str(), text))
            ParseZoneText(text, p.Zone, p.ZoneLetter);
    }
    if (ReadText(file, "Unit", text))
        lw.Unit = ContainsLowerM(text) ? 1 : 5;
}

void CMapperSettings::LoadLineDisplay(ORQ::CKVDXmlFile *file) {
    for (int i = 0; i < SLineDisplayTable::kEntryCount; ++i) {
        if (!GotoOrAppend(file, EntryElementName(i).c_str()))
            continue;
        if (i % 2 == 0)
            ReadFlag(file, "Selected", LineDisplay.LayerShown[i / 2]);
        if (i / 2 == LINE_KIND_LOCAL_XY)
            LoadCheckedEntry(file, LineDisplay.Entry[i], DefaultLineDisplayEntry(i));
        else
            LoadEntry(file, LineDisplay.Entry[i]);
        file->GotoParentNode();
    }
}

void CMapperSettings::LoadEntry(ORQ::CKVDXmlFile *file, SLineDisplayEntry &e) {
    std::string text;
    int value = 0;
    if (ReadInt(file, "Line_Style", value))
        e.LineStyle = value;
    if (ReadText(file, "Line_Color", text))
        e.LineColour = ParseColour(text);
    if (ReadInt(file, "Line_Weight", value))
        e.LineWidth = value;
    if (ReadInt(file, "MarkerStyle", value))
        e.MarkerStyle = value;
    if (ReadInt(file, "MarkerSize", value))
        e.MarkerSize = value;
    if (ReadText(file, "MarkerColor", text))
        e.MarkerColour = ParseColour(text);
}

void CMapperSettings::LoadCheckedEntry(ORQ::CKVDXmlFile *file, SLineDisplayEntry &e,
                                       const SLineDisplayEntry &fallback) {
    // The radar lines' own styles are read as they were written; a value that is no number as
    // "%d" writes it, or lies outside what the dialog offers, takes the whole entry back to its
    // defaults, so that the lines never vanish or draw with a style nobody chose.
    e = fallback;
    bool sound = true;
    std::string text;
    const auto number = [&](const char *name, int32_t &out) {
        int value = 0;
        if (ReadText(file, name, text)) {
            if (ParseStoredInt(text, value))
                out = value;
            else
                sound = false;
        }
    };
    const auto colour = [&](const char *name, uint32_t &out) {
        if (ReadText(file, name, text) && !ParseStoredColour(text, out))
            sound = false;
    };
    number("Line_Style", e.LineStyle);
    colour("Line_Color", e.LineColour);
    number("Line_Weight", e.LineWidth);
    number("MarkerStyle", e.MarkerStyle);
    number("MarkerSize", e.MarkerSize);
    colour("MarkerColor", e.MarkerColour);
    if (!sound || !IsLineDisplayEntryInRange(e))
        e = fallback;
}

// ---- Save -----------------------------------------------------------------------------------

int CMapperSettings::Save(CKvdGprDataFiles *holder, CMapperSettings *source) {
    if (!holder || !holder->GetKvdXmlFile())
        return -1;
    CMapperSettings &record = source ? *source : *this;
    record.SaveInto(holder->GetKvdXmlFile());
    return 0;
}

void CMapperSettings::SaveInto(ORQ::CKVDXmlFile *file) {
    const bool pushed = file->PushPosition() == 1;
    if (file->GotoRootNode()) {
        if (file->GotoChildNode("Parameters", 0))
            file->RemoveCurrentNode();
        if (GotoOrAppend(file, kMapperSettingsElement)) {
            const SProgramIdentity identity = GetProgramIdentity();
            if (!file->AppendModifiedByBlock(MakeCreatedBy(identity, "Updated Parameters")))
                file->AppendCreatedByBlock(MakeCreatedBy(identity, "Section Created"));

            RemoveChildren(file, kGeneral);
            if (file->AppendChildNode(kGeneral)) {
                WriteText(file, "Cursor_Colour", ColourText(CursorColour));
                file->GotoParentNode();
            }

            RemoveChildren(file, kLocalWorld);
            if (file->AppendChildNode(kLocalWorld)) {
                const SLocalWorldDef &lw = LocalWorld;
                WriteFlag(file, "AutoImport", AutoImport);
                WriteFlag(file, "FiducialsNotImported", FiducialsNotImported);
                WriteText(file, "GPSConfiguration", GPSConfiguration);
                RebuildGPSFormat();
                WriteInt(file, kLocalWorld, lw.GlobalKind);
                WriteInt(file, "EnableGPS", lw.EnableGPS);
                WriteFlag(file, "TwoPointDefinition", lw.TwoPointDefinition);
                WriteFlag(file, "Ratio_CHeckBox", lw.RatioCheckBox);
                WriteFlag(file, "Fit_Grid", lw.FitGrid);
                if (lw.Zone >= 1 && lw.Zone <= 60)
                    WriteText(file, "Zone", FormatZoneText(lw.Zone, lw.ZoneLetter));
                WriteDouble(file, "Shift_X", lw.ShiftX);
                WriteDouble(file, "Shift_Y", lw.ShiftY);
                WriteDouble(file, "Rotation", lw.Rotation);
                for (int n = 0; n < 2; ++n) {
                    const SLocalWorldDef::SRefPoint &p = lw.RefPoint[n];
                    const int k = n + 1;
                    WriteDouble(file, FormatC("Local_X_P%d", k).c_str(), p.LocalX);
                    WriteDouble(file, FormatC("Local_Y_P%d", k).c_str(), p.LocalY);
                    WriteDouble(file, FormatC("EASTING_LATITUDE_P%d", k).c_str(),
                                p.EastingOrLongitude);
                    WriteDouble(file, FormatC("NORTHING_LONGITUDE_P%d", k).c_str(),
                                p.NorthingOrLatitude);
                    WriteText(file, FormatC("Zone%d", k).c_str(),
                              FormatZoneText(p.Zone, p.ZoneLetter));
                }
                WriteText(file, "Unit", lw.Unit == 5 ? "f" : "m");
                file->GotoParentNode();
            }

            RemoveChildren(file, kLineDisplay);
            if (file->AppendChildNode(kLineDisplay)) {
                for (int i = 0; i < SLineDisplayTable::kEntryCount; ++i) {
                    if (!GotoOrAppend(file, EntryElementName(i).c_str()))
                        continue;
                    const SLineDisplayEntry &e = LineDisplay.Entry[i];
                    if (i % 2 == 0)
                        WriteFlag(file, "Selected", LineDisplay.LayerShown[i / 2]);
                    WriteInt(file, "Line_Style", e.LineStyle);
                    WriteInt(file, "Line_Weight", e.LineWidth);
                    WriteText(file, "Line_Color", ColourText(e.LineColour));
                    WriteInt(file, "MarkerStyle", e.MarkerStyle);
                    WriteInt(file, "MarkerSize", e.MarkerSize);
                    WriteText(file, "MarkerColor", ColourText(e.MarkerColour));
                    file->GotoParentNode();
                }
                file->GotoParentNode();
            }
        }
    }
    if (pushed) {
        file->GotoTopPosition();
        file->PopPosition();
    }
}
