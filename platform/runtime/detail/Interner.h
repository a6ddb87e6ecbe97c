#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace runtime::detail {

// A process-wide set of strings handing out one stable record per distinct text. Records are
// never freed: the pointers are identities that other tables and other libraries keep.
template <class Record>
class Interner {
  public:
    const Record* intern(std::string_view text) {
        {
            std::shared_lock lock(mutex_);
            if (auto it = records_.find(text); it != records_.end()) return it->second.get();
        }
        std::unique_lock lock(mutex_);
        if (auto it = records_.find(text); it != records_.end()) return it->second.get();
        auto record = std::make_unique<Record>(std::string(text));
        const Record* result = record.get();
        // The key views the record's own copy of the text, which lives as long as the map entry.
        records_.emplace(std::string_view(result->text), std::move(record));
        return result;
    }

  private:
    std::shared_mutex mutex_;
    std::unordered_map<std::string_view, std::unique_ptr<Record>> records_;
};

}  // namespace runtime::detail
