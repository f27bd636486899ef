#pragma once
// How far the upper time bounds of the tests stretch: the factor in KORVO_TEST_TIME_SCALE, 1 when
// it is unset or no number of at least 1. An instrumented build (sanitizers) runs the code several
// times slower and sets it; the waits of the program itself are not scaled, so a test scales the
// allowance for its own work and keeps a time-out it checks against as it is.

#include <cstdlib>

namespace korvo::test {

inline double timeScale() {
    static const double scale = [] {
        const char* text = std::getenv("KORVO_TEST_TIME_SCALE");
        const double value = text ? std::strtod(text, nullptr) : 1.0;
        return value >= 1.0 ? value : 1.0;
    }();
    return scale;
}

}  // namespace korvo::test
