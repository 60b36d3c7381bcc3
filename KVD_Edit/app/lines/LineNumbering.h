#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One chosen trace file of an import: its base name (no folder, no extension, case kept) and
// the number that places it across the grid (-1 until numbered).
struct SFileListEntry {
    std::string name;
    int64_t number = -1;
};

// How the names of a file list carry numbers.
struct SNumberingCheck {
    bool anyNumbered = false;
    bool anyUnnumbered = false;
    bool Mixed() const { return anyNumbered && anyUnnumbered; }
    bool NoneNumbered() const { return anyUnnumbered && !anyNumbered; }
};

// The naming and numbering rules of the line import, free of any window.
namespace LineNumbering {

// The file name after the last "\" or "/", cut before its last ".".
std::string BaseName(const std::string &path);

// Sorts by name without regard to case: for each position, every later entry that compares
// below the entry there is exchanged with it.
void Sort(std::vector<SFileListEntry> &files);

// The value of the last group of decimal digits in name; false when there is none. Groups too
// long for 64 bits saturate at the largest value.
bool LastDigitGroup(const std::string &name, int64_t &value);

SNumberingCheck Check(const std::vector<SFileListEntry> &files);

// Numbers every file: a file with digits takes their value; then, in list order, every file
// without digits takes the smallest number that no file holds yet.
void Assign(std::vector<SFileListEntry> &files);

// True when a name holds an upper-case X or Y (the import then offers X and Y lines).
bool HintsXAndY(const std::vector<SFileListEntry> &files);

// The next name tried when a line name is taken: the first change appends "a", later ones raise
// the last character by one, a last character from "z" to "~" becoming "aa"
// (L5, L5a, L5b, ..., L5z, L5aa, L5ab, ...). changes counts the changes made so far.
std::string NextFreeName(const std::string &name, int changes);

} // namespace LineNumbering
