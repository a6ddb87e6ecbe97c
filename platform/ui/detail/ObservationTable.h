#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/ui/KeyValueObserving.h"

namespace ui::detail {

// The observers of one object and the changes waiting to reach them.
class ObservationTable {
  public:
    struct Registration {
        std::weak_ptr<runtime::Object> observer;
        const runtime::Object* identity = nullptr;
        std::string keyPath;
        ObservingOptions options = ObservingOptions::None;
        void* context = nullptr;
        std::uint64_t serial = 0;
    };

    std::uint64_t add(const std::shared_ptr<runtime::Object>& observer, std::string_view keyPath,
                      ObservingOptions options, void* context);
    // Removes the most recent registration matching; `anyContext` ignores the context.
    bool remove(const runtime::Object* observer, std::string_view keyPath, void* context,
                bool anyContext);
    bool observes(std::string_view keyPath) const;

    // Queues a change and, unless a delivery is already under way further up the stack,
    // delivers it and everything queued meanwhile, in order.
    void changed(runtime::Object& object, std::string_view keyPath, const ObservedValue& oldValue,
                 const ObservedValue& newValue);
    // The notification sent at registration with the Initial option.
    void deliverInitial(runtime::Object& object, std::uint64_t serial, const ObservedValue& value);

  private:
    struct Pending {
        std::string keyPath;
        ObservedValue oldValue;
        ObservedValue newValue;
    };

    bool isRegistered(std::uint64_t serial) const;
    void send(runtime::Object& object, const Registration& registration,
              const ObservedChange& change);

    std::vector<Registration> registrations_;
    std::deque<Pending> pending_;
    std::uint64_t nextSerial_ = 1;
    bool delivering_ = false;
};

}  // namespace ui::detail
