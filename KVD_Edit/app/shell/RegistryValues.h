#pragma once

#include <cstddef>
#include <string>

// Values left for programs outside the editor under the key "SOFTWARE\<company>" of the user's
// registry store: "LAST_SAVE" (the project last saved) and "NEW FILE" (a project created by the
// command-line word "new"). A missing key is created volatile: it and its values disappear
// with the user's session; a key that exists persistently stays persistent.

// Stores the first byteCount bytes of text (up to its first zero byte) as the value. True when
// the value was written.
bool WriteRegString(const std::string &company, const std::string &valueName,
                    const std::string &text, size_t byteCount);
// Removes the value; true when it was there and is gone.
bool DeleteRegValue(const std::string &company, const std::string &valueName);
// The value from the user's persistent keys, the user's volatile keys or the machine's keys,
// the first place that has it whole: a value is taken only when its length plus its
// terminating zero is at most maxLength. Otherwise an empty string.
std::string ReadRegString(const std::string &company, const std::string &valueName,
                          size_t maxLength);
// The system's text for the calling thread's last error (errno); with showBox it is also shown
// (caption "Registry Error", information icon).
std::string GetLastErrorText(bool showBox);
