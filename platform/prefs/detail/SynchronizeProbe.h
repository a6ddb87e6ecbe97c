#pragma once

#include <functional>

namespace prefs::detail {

// The points of a synchronise at which a test may stop the writing process, to show that a
// writer killed there leaves the old file or the new one and never a torn one.
enum class SynchronizeStage {
    Locked,            // holds the domain's lock, nothing written yet
    TemporaryWritten,  // the new contents are complete and flushed in the temporary file
    Replaced,          // the temporary file has replaced the domain's file
};

// Installs a function called at each stage of every synchronise that writes; an empty function
// removes it. Meant for test helpers only.
void setSynchronizeProbe(std::function<void(SynchronizeStage)> probe);
void runSynchronizeProbe(SynchronizeStage stage);

}  // namespace prefs::detail
