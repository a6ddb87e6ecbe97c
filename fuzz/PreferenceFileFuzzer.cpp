// Preference file loading: any bytes at a domain's path, XML or binary or neither.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/base/PropertyList.h"
#include "platform/prefs/PreferenceFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const prefs::PreferenceFileContents contents = prefs::parsePreferenceFile("fuzz.plist", bytes);
    if (!contents.dictionary || !contents.dictionary->isDictionary()) std::abort();
    if (contents.status != prefs::PreferenceFileContents::Status::Valid) return 0;

    // A domain we accepted must survive being written back: what the next write stores is what
    // the next read sees.
    for (base::PlistFormat format : {base::PlistFormat::Binary, base::PlistFormat::XML}) {
        const std::vector<uint8_t> written = contents.dictionary->serialize(format);
        if (written.empty()) continue;
        const base::PlistPtr again = base::PlistValue::parse(written);
        if (!again || !again->isDictionary()) std::abort();
        (void)again->description();
    }
    return 0;
}
