#pragma once

#include "orq_utils/OrqExport.h"

#include <string>

namespace ORQ {

// Style bits and answers of a message box, with the values the Windows platform gave them, so
// that the program's logic reads as the message boxes it shows.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_BUTTONMASK = 0xF,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON2 = 0x100,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The one place where libraries and the program show a message to a person. The program routes
// it to its message boxes; tests install a sink that records and answers.
class ORQ_UTILS_API IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Shows text with the given style and returns the answer (IDOK, IDYES, ...).
    virtual int Show(const std::string &text, const std::string &caption, unsigned style) = 0;
};

// Installs a sink (not owned; null restores the default) and returns the previous one.
ORQ_UTILS_API IMessageSink *SetMessageSink(IMessageSink *sink);
ORQ_UTILS_API IMessageSink *GetMessageSink();

// Shows a message through the current sink. The default sink writes to stderr and answers
// with the default button (the first one, or the second with MB_DEFBUTTON2).
ORQ_UTILS_API int ShowMessage(const std::string &text, unsigned style = MB_OK,
                              const std::string &caption = std::string());

// The answer a sink gives when nobody can be asked.
ORQ_UTILS_API int DefaultAnswer(unsigned style);

} // namespace ORQ
