#include <algorithm>

#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/detail/ObservationTable.h"

namespace ui {

QV_DEFINE_CLASS(BlockObserver, "QVBlockObserver");

void BlockObserver::registerMethods(runtime::MethodList<BlockObserver>& methods) {
    methods.add<&BlockObserver::observe>(kObserveValueForKeyPath);
}

void BlockObserver::observe(const std::string& keyPath, runtime::Object* object,
                            const ObservedChange& change, void* context) {
    if (callback_) callback_(keyPath, object, change, context);
}

// ---- View's observation members ---------------------------------------------------------------

void View::addObserver(const std::shared_ptr<runtime::Object>& observer, std::string_view keyPath,
                       ObservingOptions options, void* context) {
    if (!observer || keyPath.empty()) return;
    if (!observations_) observations_ = std::make_unique<detail::ObservationTable>();
    const std::uint64_t serial = observations_->add(observer, keyPath, options, context);
    if (hasOption(options, ObservingOptions::Initial)) {
        observations_->deliverInitial(*this, serial, observableValue(keyPath));
    }
}

bool View::removeObserver(const runtime::Object* observer, std::string_view keyPath,
                          void* context) {
    return observations_ && observations_->remove(observer, keyPath, context, false);
}

bool View::removeObserver(const runtime::Object* observer, std::string_view keyPath) {
    return observations_ && observations_->remove(observer, keyPath, nullptr, true);
}

bool View::hasObservers(std::string_view keyPath) const {
    return observations_ && observations_->observes(keyPath);
}

void View::didChangeValue(std::string_view keyPath, const ObservedValue& oldValue,
                          const ObservedValue& newValue) {
    if (!hasObservers(keyPath)) return;
    observations_->changed(*this, keyPath, oldValue, newValue);
}

ObservedValue View::observableValue(std::string_view keyPath) const {
    if (keyPath == "bounds") return bounds();
    if (keyPath == "frame") return frame();
    if (keyPath == "center") return center();
    if (keyPath == "transform") return transform();
    if (keyPath == "alpha") return alpha();
    if (keyPath == "hidden") return isHidden();
    return {};
}

namespace detail {

std::uint64_t ObservationTable::add(const std::shared_ptr<runtime::Object>& observer,
                                    std::string_view keyPath, ObservingOptions options,
                                    void* context) {
    Registration r;
    r.observer = observer;
    r.identity = observer.get();
    r.keyPath = std::string(keyPath);
    r.options = options;
    r.context = context;
    r.serial = nextSerial_++;
    registrations_.push_back(std::move(r));
    return registrations_.back().serial;
}

bool ObservationTable::remove(const runtime::Object* observer, std::string_view keyPath,
                              void* context, bool anyContext) {
    for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it) {
        if (it->identity == observer && it->keyPath == keyPath &&
            (anyContext || it->context == context)) {
            registrations_.erase(std::next(it).base());
            return true;
        }
    }
    return false;
}

bool ObservationTable::observes(std::string_view keyPath) const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [&](const Registration& r) { return r.keyPath == keyPath; });
}

bool ObservationTable::isRegistered(std::uint64_t serial) const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [&](const Registration& r) { return r.serial == serial; });
}

void ObservationTable::send(runtime::Object& object, const Registration& registration,
                            const ObservedChange& change) {
    std::shared_ptr<runtime::Object> observer = registration.observer.lock();
    if (!observer) return;
    kObserveValueForKeyPath.send(observer.get(), registration.keyPath, &object, change,
                                 registration.context);
}

void ObservationTable::deliverInitial(runtime::Object& object, std::uint64_t serial,
                                      const ObservedValue& value) {
    auto it = std::find_if(registrations_.begin(), registrations_.end(),
                           [&](const Registration& r) { return r.serial == serial; });
    if (it == registrations_.end()) return;
    ObservedChange change;
    change.initial = true;
    if (hasOption(it->options, ObservingOptions::New)) change.newValue = value;
    const Registration registration = *it;
    send(object, registration, change);
}

void ObservationTable::changed(runtime::Object& object, std::string_view keyPath,
                               const ObservedValue& oldValue, const ObservedValue& newValue) {
    pending_.push_back({std::string(keyPath), oldValue, newValue});
    if (delivering_) return;
    // The observed object must outlive the delivery, which may drop the last other reference.
    std::shared_ptr<runtime::Object> keepAlive = runtime::retained(&object);
    delivering_ = true;
    while (!pending_.empty()) {
        const Pending change = std::move(pending_.front());
        pending_.pop_front();
        // Observers registered while this change is delivered do not receive it; observers
        // removed meanwhile no longer do. Observers that died are forgotten.
        std::erase_if(registrations_, [](const Registration& r) { return r.observer.expired(); });
        std::vector<Registration> targets;
        for (const Registration& r : registrations_) {
            if (r.keyPath == change.keyPath) targets.push_back(r);
        }
        for (const Registration& r : targets) {
            if (!isRegistered(r.serial)) continue;
            ObservedChange c;
            if (hasOption(r.options, ObservingOptions::New)) c.newValue = change.newValue;
            if (hasOption(r.options, ObservingOptions::Old)) c.oldValue = change.oldValue;
            send(object, r, c);
        }
    }
    delivering_ = false;
}

}  // namespace detail

}  // namespace ui
