#pragma once

#include "orq_utils/MessageSink.h"

#include <string>

// The program's messages shown as message boxes over the main window.
class CWxMessageSink : public ORQ::IMessageSink {
public:
    int Show(const std::string &text, const std::string &caption, unsigned style) override;
};
