// A small least-recently-used map, bounded by a total cost (entries count 1 each unless a
// cost is given). Used for the image size cache and the decoded image cache. The newest entry
// is always kept, even when it alone costs more than the bound: a picture too big for the
// cache must still reach the panel that is about to show it.
#pragma once

#include <QHash>
#include <QString>
#include <list>
#include <utility>

namespace web {

template <typename Value>
class LruCache {
 public:
  explicit LruCache(qint64 capacity) : capacity_(capacity) {}

  const Value* find(const QString& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it.value());
    return &it.value()->value;
  }

  void insert(const QString& key, Value value, qint64 cost = 1) {
    remove(key);
    order_.push_front(Entry{key, std::move(value), cost});
    index_.insert(key, order_.begin());
    total_ += cost;
    while (total_ > capacity_ && order_.size() > 1) {
      total_ -= order_.back().cost;
      index_.remove(order_.back().key);
      order_.pop_back();
    }
  }

  void remove(const QString& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    total_ -= it.value()->cost;
    order_.erase(it.value());
    index_.erase(it);
  }

  qint64 totalCost() const { return total_; }
  int size() const { return int(index_.size()); }

 private:
  struct Entry {
    QString key;
    Value value;
    qint64 cost;
  };
  qint64 capacity_;
  qint64 total_ = 0;
  std::list<Entry> order_;
  QHash<QString, typename std::list<Entry>::iterator> index_;
};

}  // namespace web
