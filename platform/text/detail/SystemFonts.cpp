#include "platform/text/detail/SystemFonts.h"

#include <fontconfig/fontconfig.h>
#include <hb.h>

#include <strings.h>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/text/FontWeight.h"

namespace text::detail {

namespace {

constexpr const char* kSystemFamily = "Inter";
// The rounded design, in order of preference.
constexpr const char* kRoundedFamilies[] = {"Quicksand", "Comfortaa"};

std::mutex gMutex;

struct Located {
    std::string file;
    unsigned index = 0;
};

bool ensureFontconfig() {
    static const bool ok = FcInit() == FcTrue;
    return ok;
}

std::optional<Located> located(FcPattern* font) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    // Named instances of a variable font carry the instance number in the high bits; the face
    // is the low 16 bits, and instances are made through the axes instead.
    return Located{reinterpret_cast<const char*>(file), unsigned(index) & 0xFFFFu};
}

std::shared_ptr<const FontFace> load(const Located& where) {
    return FontFace::fromFile(where.file, where.index, nullptr);
}

bool familyIs(FcPattern* font, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (strcasecmp(reinterpret_cast<const char*>(name), family) == 0) return true;
    }
    return false;
}

bool familyStartsWith(FcPattern* font, const char* prefix) {
    FcChar8* name = nullptr;
    const std::size_t n = std::strlen(prefix);
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (strncasecmp(reinterpret_cast<const char*>(name), prefix, n) == 0) return true;
    }
    return false;
}

// The best match for a pattern after the usual substitutions; takes the pattern.
FcPattern* match(FcPattern* pattern) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* font = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return font;
}

std::shared_ptr<const FontFace> findSystemFace() {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(kSystemFamily));
    FcPatternAddBool(p, FC_VARIABLE, FcTrue);
    FcPattern* font = match(p);
    std::shared_ptr<const FontFace> face;
    if (font && familyIs(font, kSystemFamily)) {
        if (auto where = located(font)) face = load(*where);
    }
    if (font) FcPatternDestroy(font);
    if (face) return face;

    font = match(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
    if (font) {
        if (auto where = located(font)) face = load(*where);
        FcPatternDestroy(font);
    }
    return face;
}

}  // namespace

std::shared_ptr<const FontFace> systemFace() {
    std::lock_guard lock(gMutex);
    if (!ensureFontconfig()) return nullptr;
    static std::shared_ptr<const FontFace> face = findSystemFace();
    return face;
}

std::shared_ptr<const FontFace> roundedFace(double weight) {
    std::lock_guard lock(gMutex);
    if (!ensureFontconfig()) return nullptr;
    const double wanted = wghtForWeight(weight);
    static std::map<int, std::shared_ptr<const FontFace>> byWeight;
    const int key = int(std::lround(wanted));
    if (auto it = byWeight.find(key); it != byWeight.end()) return it->second;

    // Static rounded families name some weights as families of their own ("Quicksand Light"),
    // which a plain match never offers; list every face of the family and take the nearest.
    std::shared_ptr<const FontFace> face;
    for (const char* family : kRoundedFamilies) {
        FcPattern* all = FcPatternCreate();
        FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, nullptr);
        FcFontSet* set = FcFontList(nullptr, all, fields);
        FcObjectSetDestroy(fields);
        FcPatternDestroy(all);
        std::optional<Located> best;
        double bestDistance = INFINITY;
        for (int i = 0; set && i < set->nfont; ++i) {
            FcPattern* font = set->fonts[i];
            if (!familyStartsWith(font, family)) continue;
            double fcWeight = FC_WEIGHT_REGULAR;
            FcPatternGetDouble(font, FC_WEIGHT, 0, &fcWeight);
            const double distance = std::abs(FcWeightToOpenTypeDouble(fcWeight) - wanted);
            if (distance < bestDistance) {
                if (auto where = located(font)) {
                    best = where;
                    bestDistance = distance;
                }
            }
        }
        if (set) FcFontSetDestroy(set);
        if (best && (face = load(*best))) break;
    }
    byWeight[key] = face;
    return face;
}

std::shared_ptr<const FontFace> installedFace(const std::string& postScriptName) {
    if (postScriptName.empty()) return nullptr;
    std::lock_guard lock(gMutex);
    if (!ensureFontconfig()) return nullptr;
    static std::map<std::string, std::shared_ptr<const FontFace>> byName;
    if (auto it = byName.find(postScriptName); it != byName.end()) return it->second;

    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_POSTSCRIPT_NAME,
                       reinterpret_cast<const FcChar8*>(postScriptName.c_str()));
    FcPattern* font = match(p);
    std::shared_ptr<const FontFace> face;
    if (font) {
        FcChar8* name = nullptr;
        // A match always comes back; only an exact name counts.
        if (FcPatternGetString(font, FC_POSTSCRIPT_NAME, 0, &name) == FcResultMatch &&
            postScriptName == reinterpret_cast<const char*>(name)) {
            if (auto where = located(font)) face = load(*where);
        }
        FcPatternDestroy(font);
    }
    byName[postScriptName] = face;
    return face;
}

std::shared_ptr<const FontFace> fallbackFace(char32_t codepoint) {
    std::lock_guard lock(gMutex);
    if (!ensureFontconfig()) return nullptr;
    static std::map<char32_t, std::shared_ptr<const FontFace>> byCodepoint;
    if (auto it = byCodepoint.find(codepoint); it != byCodepoint.end()) return it->second;

    // A face that already covered other characters usually covers this one too (a run of Chinese
    // text), and asking it is far cheaper than a fontconfig sort.
    struct Known {
        std::shared_ptr<const FontFace> face;
        std::unique_ptr<hb_font_t, decltype(&hb_font_destroy)> font;
    };
    static std::vector<Known> known;
    for (const Known& k : known) {
        hb_codepoint_t glyph = 0;
        if (hb_font_get_nominal_glyph(k.font.get(), codepoint, &glyph)) {
            byCodepoint[codepoint] = k.face;
            return k.face;
        }
    }

    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, codepoint);
    FcPatternAddCharSet(p, FC_CHARSET, wanted);
    FcCharSetDestroy(wanted);
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcFontSet* sorted = FcFontSort(nullptr, p, FcTrue, nullptr, &result);
    FcPatternDestroy(p);

    // The sort ranks by family first; the first font that really covers the character wins.
    std::shared_ptr<const FontFace> face;
    for (int i = 0; sorted && i < sorted->nfont && !face; ++i) {
        FcCharSet* cs = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &cs) != FcResultMatch) continue;
        if (!FcCharSetHasChar(cs, codepoint)) continue;
        if (auto where = located(sorted->fonts[i])) face = load(*where);
    }
    if (sorted) FcFontSetDestroy(sorted);
    byCodepoint[codepoint] = face;
    if (face) {
        bool seen = false;
        for (const Known& k : known) seen = seen || k.face == face;
        if (!seen) known.push_back({face, {hb_font_create(face->hbFace()), hb_font_destroy}});
    }
    return face;
}

}  // namespace text::detail
