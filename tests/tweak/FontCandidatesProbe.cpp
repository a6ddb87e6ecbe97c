// A stand-in for the tweak library in the candidate tests: loaded from inside a device root, it
// reports the candidates the loader derives from its own location, one per line.
#include <string>

#include "tweak/LGClockFontCandidates.h"

extern "C" __attribute__((visibility("default"))) const char* qv_probe_font_candidates() {
    static std::string text;
    text.clear();
    for (const std::string& candidate : LGClockFontCandidates()) text += candidate + "\n";
    return text.c_str();
}
