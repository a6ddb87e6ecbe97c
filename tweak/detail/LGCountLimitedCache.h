#pragma once

#include <cassert>
#include <cstddef>
#include <list>
#include <optional>
#include <unordered_map>
#include <utility>

namespace lg::detail {

// A map that holds at most `limit` entries: storing one more drops the entry used least
// recently. Not thread-safe; the owner guards it.
template <class Key, class Value>
class LGCountLimitedCache {
  public:
    explicit LGCountLimitedCache(size_t limit) : limit_(limit) { assert(limit > 0); }

    // The value under `key`, which becomes the most recently used entry.
    std::optional<Value> find(const Key& key) {
        auto it = index_.find(key);
        if (it == index_.end()) return std::nullopt;
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }

    void store(const Key& key, Value value) {
        if (auto it = index_.find(key); it != index_.end()) {
            it->second->second = std::move(value);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(key, std::move(value));
        index_.emplace(key, order_.begin());
        if (order_.size() > limit_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    size_t size() const { return order_.size(); }
    void clear() {
        index_.clear();
        order_.clear();
    }

  private:
    size_t limit_;
    std::list<std::pair<Key, Value>> order_;  // most recently used first
    std::unordered_map<Key, typename std::list<std::pair<Key, Value>>::iterator> index_;
};

}  // namespace lg::detail
