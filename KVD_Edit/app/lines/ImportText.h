#pragma once

// Texts the line import, the deletion and the row write-back show.
namespace ImportText {

constexpr const char *kOutsideProject =
    "We can only import files from the current folder or sub folder.";
constexpr const char *kMixedNumbering =
    "You have a mix of numbered and unnumbered files\nDo you wish to proceed?";
constexpr const char *kAlphabetical =
    "All imported files will be sorted alphabetically and\nnumbered accordingly and combined "
    "with the Conversion Factor.";
constexpr const char *kNoStepSize = "Unable to retrieve Step Size";
constexpr const char *kSurveyModeFormat =
    "File %s\nsurvey mode is %s.\nDo you wish to add non reflection data to your KVD file?";
// A chosen file whose name (or folder) holds a letter code page 1252 lacks: one line per file,
// its path as the file system spells it, then kNothingImported.
constexpr const char *kUnstorableNameFormat =
    "%s contains characters that project files cannot store.\n";
constexpr const char *kNothingImported =
    "No lines were imported. Rename the files with letters of the Western European languages "
    "and import them again.";
constexpr const char *kNoDataBlock = "The KVD file holds no Data block to import lines into.";

constexpr const char *kSetsNotSupported = "Deleting sets are not supported";
constexpr const char *kEntryNotFound = "Entry not found";
constexpr const char *kLineNotFoundFormat = "Line %s %s, not found";

constexpr const char *kUnableToReadFormat = "Unable to read from %s";
constexpr const char *kInvalidSetFormat = "Invalid Set Name %s, Aborting";
constexpr const char *kInvalidLineFormat = "Invalid Line Name %s.  Aborting update.";
constexpr const char *kLineUsedFormat = "Line %s already used.  Aborting update.";
constexpr const char *kUnableToUpdateName = "Unable to Update name";

// The re-import of fiducials names the lines whose comments it kept because their files cannot
// be read or disagree with their headers: kFiducialsKept, then one kKeptLineFormat (line name,
// reason) per line.
constexpr const char *kFiducialsKept =
    "The fiducial comments of these lines were kept as they were, because their files cannot be "
    "read or disagree with their headers:";
constexpr const char *kKeptLineFormat = "%s: %s";
constexpr const char *kHeaderUnreadableFormat = "the header %s cannot be read";
constexpr const char *kHeaderEmptyFormat = "the header %s gives no traces or no samples per trace";
constexpr const char *kTraceFileMissingFormat = "the trace file %s is missing";
constexpr const char *kTraceFileShortFormat = "the trace file %s is shorter than its header says";
constexpr const char *kTraceFileLongFormat = "the trace file %s is longer than its header says";
constexpr const char *kTraceFileUnreadableFormat = "the trace file %s cannot be read";
constexpr const char *kMoreKeptFormat = "... and %d more";

} // namespace ImportText
