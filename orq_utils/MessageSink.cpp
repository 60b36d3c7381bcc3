#include "orq_utils/MessageSink.h"

#include <cstdio>

namespace ORQ {
namespace {

class CStderrSink : public IMessageSink {
public:
    int Show(const std::string &text, const std::string &caption, unsigned style) override {
        if (caption.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return DefaultAnswer(style);
    }
};

CStderrSink g_stderrSink;
IMessageSink *g_sink = nullptr;

} // namespace

int DefaultAnswer(unsigned style) {
    const bool second = (style & MB_DEFBUTTON2) != 0;
    switch (style & MB_BUTTONMASK) {
    case MB_OKCANCEL:
        return second ? IDCANCEL : IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return second ? IDNO : IDYES;
    default:
        return IDOK;
    }
}

IMessageSink *SetMessageSink(IMessageSink *sink) {
    IMessageSink *old = g_sink;
    g_sink = sink;
    return old;
}

IMessageSink *GetMessageSink() {
    return g_sink ? g_sink : &g_stderrSink;
}

int ShowMessage(const std::string &text, unsigned style, const std::string &caption) {
    return GetMessageSink()->Show(text, caption, style);
}

} // namespace ORQ
