#pragma once

#include <mutex>
#include <utility>

namespace dispatch {

// Runs `fn` exactly once per flag, however many threads race to it; the losers wait until the
// winner has finished, so everything it initialised is visible to them.
using OnceFlag = std::once_flag;

template <class Fn>
void once(OnceFlag& flag, Fn&& fn) {
    std::call_once(flag, std::forward<Fn>(fn));
}

}  // namespace dispatch
