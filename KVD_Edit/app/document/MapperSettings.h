#pragma once

#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/planview/LineDisplayTable.h"

#include <cstdint>
#include <string>

class CKvdGprDataFiles;
namespace ORQ {
class CKVDXmlFile;
}

// The editor's settings of one project, kept in the project file's "Lurra_Mapper_Settings"
// element under the root: the GPS display configuration and the format string built from it,
// the cursor colour, the local-to-world definition, the plan view's line display table and two
// import flags. Load reads the element (defaults for whatever is missing); Save writes it into
// the XML document in memory (writing the file is the document's job). The radar lines' styles
// (the "LocalXY" entries) load as they were saved; an entry that is missing or damaged takes
// its defaults. The trace GPS entries always draw neither line nor marker.
class CMapperSettings {
public:
    // Holds the same defaults that Load starts from.
    CMapperSettings();

    // Resets target (this record when null) to the defaults and reads the block into it. 0 when
    // done, whether or not the project holds the block; -1 (nothing changed) without a holder
    // or project file.
    int Load(CKvdGprDataFiles *holder, CMapperSettings *target = nullptr);
    // Writes source (this record when null) into the project's XML document, adding a
    // modified-by record to the block (or creating the block with its created-by record), and
    // refreshes the source's GPSFormat and ellipsoid id. 0 done, -1 without holder or file.
    int Save(CKvdGprDataFiles *holder, CMapperSettings *source = nullptr);

    // Back to the defaults, GPSFormat and ellipsoid id included.
    void SetDefaults();
    // Rebuilds GPSFormat and LocalWorld.Ellipsoid from GPSConfiguration.
    void RebuildGPSFormat();

    // Node helpers: each works on the child `name` of the current node and leaves the cursor
    // where it was. Reads return true only when the child exists and has text, and leave the
    // output untouched otherwise. Numbers read as atoi/atof do; a flag is true for "y" or "Y".
    static bool ReadText(ORQ::CKVDXmlFile *file, const char *name, std::string &out);
    static bool ReadInt(ORQ::CKVDXmlFile *file, const char *name, int &out);
    static bool ReadDouble(ORQ::CKVDXmlFile *file, const char *name, double &out);
    static bool ReadFlag(ORQ::CKVDXmlFile *file, const char *name, bool &out);
    // A double from the text and a unit from the "units" attribute; fails when either is
    // missing.
    static bool ReadMeasure(ORQ::CKVDXmlFile *file, const char *name, double &value, int &unit);
    // Writes append a new child holding the text: "%d", "%.15f", "Y"/"N".
    static bool WriteText(ORQ::CKVDXmlFile *file, const char *name, const std::string &text);
    static bool WriteInt(ORQ::CKVDXmlFile *file, const char *name, int value);
    static bool WriteDouble(ORQ::CKVDXmlFile *file, const char *name, double value);
    static bool WriteFlag(ORQ::CKVDXmlFile *file, const char *name, bool value);
    // "%f" text and a "units" attribute with the unit's symbol.
    static bool WriteMeasure(ORQ::CKVDXmlFile *file, const char *name, double value, int unit);

    std::string GPSConfiguration;
    std::string GPSFormat;
    uint32_t CursorColour = 255;
    SLocalWorldDef LocalWorld;
    SLineDisplayTable LineDisplay;
    bool AutoImport = true;
    bool FiducialsNotImported = true;

private:
    void LoadFrom(ORQ::CKVDXmlFile *file);
    // The children of the local-world and the line display elements (the file stands in it).
    void LoadLocalWorld(ORQ::CKVDXmlFile *file);
    void LoadLineDisplay(ORQ::CKVDXmlFile *file);
    // One style element: each value read as atoi reads it, or checked (a damaged value brings
    // the fallback back for the whole entry).
    static void LoadEntry(ORQ::CKVDXmlFile *file, SLineDisplayEntry &entry);
    static void LoadCheckedEntry(ORQ::CKVDXmlFile *file, SLineDisplayEntry &entry,
                                 const SLineDisplayEntry &fallback);
    void SaveInto(ORQ::CKVDXmlFile *file);
};

// Names of the settings block and its groups in the project file.
inline constexpr const char *kMapperSettingsElement = "Lurra_Mapper_Settings";
