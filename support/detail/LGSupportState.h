#pragma once

#include <functional>
#include <memory>
#include <string_view>

namespace dispatch {
class Queue;
}

// Internals of the shared support that its own files share, and the seams its tests use to start
// each case from a clean process state.
namespace lg::detail {

// The serial queue "com.velk.quorvane.prefswrite", created on first use; nullptr only when no
// thread could be started.
std::shared_ptr<dispatch::Queue> prefsWriteQueue();

// The serial queue "com.velk.quorvane.logfile" if a message has created it, else nullptr.
std::shared_ptr<dispatch::Queue> existingLogQueue();

// Sends every console line ("[Quorvane] ...", no line feed) to `sink` instead of stderr; an empty
// function restores stderr.
void setConsoleSinkForTesting(std::function<void(std::string_view line)> sink);

// Forget the cached process facts, so that the next request reads them again.
void resetProcessFactsForTesting();
// Forget the snapshot and drop the reload subscription, as in a fresh process.
void resetPrefsStoreForTesting();
// Cancel a pending publish timer, waiting for the write queue.
void resetPrefsWriterForTesting();
// Wait until every queued log append has run, close the file and forget the log path, so that
// the next message resolves it again under the current device root.
void resetLogForTesting();

}  // namespace lg::detail
