#pragma once

namespace norvo::plataforma {

// While one lives, this thread's LC_CTYPE is UTF-8 if it was ASCII (the C locale); nothing
// else in the process changes. On Windows it does nothing: there is no such thread locale,
// and what needs it (the Firebird client's file names) is told UTF-8 outright.
class CtypeUtf8 {
public:
    CtypeUtf8();
    ~CtypeUtf8();
    CtypeUtf8(const CtypeUtf8&) = delete;
    CtypeUtf8& operator=(const CtypeUtf8&) = delete;

private:
    void* proprio_ = nullptr;  // locale_t
    void* anterior_ = nullptr; // locale_t
};

} // namespace norvo::plataforma
