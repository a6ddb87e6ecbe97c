#pragma once

#include <utility>

namespace dispatch::detail {

// Process-wide state that must outlive every static destructor: serial queues owned by other
// modules' statics, and exit handlers that drain them, still reach the scheduler and the main
// loop while the process is tearing down. The value is built in place and never destroyed.
template <class T>
union Immortal {
    template <class... Args>
    explicit Immortal(Args&&... args) : value(std::forward<Args>(args)...) {}
    ~Immortal() {}

    T value;
};

}  // namespace dispatch::detail
