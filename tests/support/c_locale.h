#pragma once
// The ball writes its numbers with a decimal point whatever the user's locale, so a test that
// reads them with the C library reads them in the C locale.

#include <locale.h>

// The C locale for the calling thread while it lives.
class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(Locale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t Locale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t previous_;
};
