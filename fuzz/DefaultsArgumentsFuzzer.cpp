// The `quorvane defaults` argument parser: the words are split on NUL, as argv would hold them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "hosts/quorvane/DefaultsArguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += char(data[i]);
        }
    }
    const DefaultsParse parsed = parseDefaultsArguments(args);
    if (!parsed.request) return 0;
    const DefaultsRequest& request = *parsed.request;
    // A write always carries a key and a value; an accepted string value is valid text.
    if (request.verb == DefaultsRequest::Verb::Write && (!request.key || !request.value)) {
        std::abort();
    }
    if (request.value) (void)request.value->description();
    return 0;
}
