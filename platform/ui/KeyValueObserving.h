#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "platform/base/AffineTransform.h"
#include "platform/base/Geometry.h"
#include "platform/runtime/Runtime.h"

namespace ui {

// Observation of view properties by key path ("bounds", "center", "frame", "alpha", "hidden",
// "transform"; scroll views add "contentOffset", "contentSize" and "contentInset").
//
// An observer is a runtime object that implements kObserveValueForKeyPath; it is held weakly.
// Changes are delivered on the thread that makes them (the main thread), synchronously, to the
// observers of the key path in the order they registered. A change made while changes of the
// same object are being delivered waits until they are done, so every observer sees the
// object's changes in the order they happened.

enum class ObservingOptions : std::uint32_t {
    None = 0,
    New = 1,      // the change carries the new value
    Old = 2,      // the change carries the old value
    Initial = 4,  // one notification at registration, with the current value as new
};

constexpr ObservingOptions operator|(ObservingOptions a, ObservingOptions b) {
    return ObservingOptions(std::uint32_t(a) | std::uint32_t(b));
}
constexpr bool hasOption(ObservingOptions options, ObservingOptions option) {
    return (std::uint32_t(options) & std::uint32_t(option)) != 0;
}

using ObservedValue = std::variant<std::monostate, bool, double, base::Point, base::Size,
                                   base::Rect, base::EdgeInsets, base::AffineTransform>;

struct ObservedChange {
    ObservedValue newValue;  // monostate unless the observer asked for New
    ObservedValue oldValue;  // monostate unless the observer asked for Old
    bool initial = false;    // the notification sent at registration
};

// observeValueForKeyPath:ofObject:change:context: — (key path, observed object, change,
// the context given at registration).
inline const runtime::Message<void(const std::string&, runtime::Object*, const ObservedChange&,
                                   void*)>
    kObserveValueForKeyPath{"observeValueForKeyPath:ofObject:change:context:"};

// An observer that hands every notification to a function: for code that has no runtime class
// of its own to observe with.
class BlockObserver : public runtime::Object {
    QV_OBJECT(BlockObserver, runtime::Object);

  public:
    using Callback = std::function<void(const std::string& keyPath, runtime::Object* object,
                                        const ObservedChange& change, void* context)>;

    explicit BlockObserver(Callback callback = {}) : callback_(std::move(callback)) {}
    static std::shared_ptr<BlockObserver> create(Callback callback) {
        return std::make_shared<BlockObserver>(std::move(callback));
    }

  private:
    static void registerMethods(runtime::MethodList<BlockObserver>& methods);
    void observe(const std::string& keyPath, runtime::Object* object, const ObservedChange& change,
                 void* context);

    Callback callback_;
};

}  // namespace ui
