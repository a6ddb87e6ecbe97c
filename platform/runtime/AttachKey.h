#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace runtime {

// The key of a value attached to an object: either an address used only for its identity
// (`static char kOverlayKey; ... &kOverlayKey`) or a name.
//
// A string literal or std::string is a name. A bare char pointer is an identity, not a name:
// pass std::string_view to use the text it points to.
class AttachKey {
  public:
    AttachKey(const void* identity) : key_(identity) {}
    AttachKey(std::string_view name) : key_(std::string(name)) {}
    AttachKey(const std::string& name) : key_(name) {}
    template <std::size_t N>
    AttachKey(const char (&name)[N]) : key_(std::string(name)) {}

    // The null identity names nothing: nothing can be attached under it.
    bool isNull() const {
        const auto* identity = std::get_if<const void*>(&key_);
        return identity != nullptr && *identity == nullptr;
    }

    friend bool operator<(const AttachKey& a, const AttachKey& b) { return a.key_ < b.key_; }
    friend bool operator==(const AttachKey& a, const AttachKey& b) { return a.key_ == b.key_; }

  private:
    std::variant<const void*, std::string> key_;
};

}  // namespace runtime
