#pragma once

// Outside XML readers as a check of the files the library writes: xmllint (libxml2-utils) and
// Python's xml.etree.ElementTree, both installed by scripts/setup.

#include <string>
#include <vector>

namespace kvdtest {

// Whether `xmllint --noout` accepts the files; what it printed goes to messages.
bool XmllintAccepts(const std::vector<std::string> &paths, std::string &messages);
bool XmllintAccepts(const std::string &path, std::string &messages);

// The values of attribute on every element named element, in document order, as ElementTree
// reads them, in UTF-8 (an element without the attribute is skipped): one list per file. False
// when Python could not read a file; messages then holds what it printed. One Python run reads
// all files.
bool ElementTreeValues(const std::vector<std::string> &paths, const std::string &element,
                       const std::string &attribute,
                       std::vector<std::vector<std::string>> &utf8Values, std::string &messages);
bool ElementTreeValues(const std::string &path, const std::string &element,
                       const std::string &attribute, std::vector<std::string> &utf8Values,
                       std::string &messages);

// Code page 1252 text in UTF-8, to compare the library's 8-bit text with outside readers.
std::string Cp1252AsUtf8(const std::string &text);

} // namespace kvdtest
