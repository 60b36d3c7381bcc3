#pragma once

#include "KVD_Edit/app/shell/ProgramIdentity.h"

#include <string>

class CKvdGprDataFiles;
class CMapperSettings;
class INIAccess;

// The parts of New and Open that decide and load, without windows: the document runs them
// between its dialogs and its frame. Messages go through the message sink.
class CProjectLoader {
public:
    // The template a new project starts from, in the program folder.
    static constexpr const char *kTemplateName = "BlankTemplate.kvd";

    // Creates a project at newPath from the template: loads it, reads its settings block, takes
    // the GPS display configuration from the INI (GENERAL/GPSConfiguration; no INI: the
    // default), appends this program's created-by record "FILE CREATION" (a template that has
    // one keeps it) and writes the file. True when written; on failure a message is shown and
    // the holder is left empty.
    static bool CreateFromTemplate(CKvdGprDataFiles &holder, CMapperSettings &settings,
                                   const std::string &templatePath, const std::string &newPath,
                                   INIAccess *ini, const SProgramIdentity &identity);

    // Loads a project and its settings block. With the GPS-import switch the definition's
    // EnableGPS becomes 3, so the first GPS import question of the coming reload answers
    // itself. On failure (after the library's own report) shows the hint to create a new
    // project, leaves the holder empty and returns false.
    static bool Open(CKvdGprDataFiles &holder, CMapperSettings &settings, const std::string &path,
                     bool checkGPSImport);
};

inline constexpr const char *kMsgTemplateFailed =
    "An error occured while creating new KVD file.\nUnable to load KVD template:\n";
inline constexpr const char *kMsgTemplateFailedTail =
    "\nOperation aborted.\nReinstalling application may fix this problem.";
inline constexpr const char *kMsgOpenFailedHint =
    "Creating a new KVD file and importing lines manually\nmay resolve this problem.";
