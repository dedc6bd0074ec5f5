// Owns a region handle for the length of a test.
#pragma once
#include "platform/wingdi.h"

struct Rgn {
    HRGN h;
    explicit Rgn(HRGN region) : h(region) {}
    ~Rgn() {
        if (h) DeleteObject(h);
    }
    Rgn(const Rgn&) = delete;
    Rgn& operator=(const Rgn&) = delete;
};
