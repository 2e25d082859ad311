// A small least-recently-used map, bounded both by a number of entries and by bytes: what a
// site chooses (long addresses, big pictures) can fill it only up to the byte bound. An entry's
// bytes are its key's, a fixed bookkeeping share, and what the caller says its value holds. The
// newest entry is always kept, even when it alone is over the byte bound: a picture too big for
// the cache must still reach the panel that is about to show it.
#pragma once

#include <QHash>
#include <QString>
#include <list>
#include <utility>

namespace web {

template <typename Value>
class LruCache {
 public:
  // The list node, the hash node and the key's header, roughly: what an entry costs beyond its
  // key's characters and its value's own bytes.
  static constexpr qint64 kEntryOverheadBytes = 128;

  LruCache(int maxEntries, qint64 maxBytes) : maxEntries_(maxEntries), maxBytes_(maxBytes) {}

  const Value* find(const QString& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it.value());
    return &it.value()->value;
  }

  void insert(const QString& key, Value value, qint64 valueBytes = 0) {
    remove(key);
    const qint64 bytes = kEntryOverheadBytes + qint64(sizeof(Value)) +
                         key.size() * qint64(sizeof(QChar)) + valueBytes;
    order_.push_front(Entry{key, std::move(value), bytes});
    index_.insert(key, order_.begin());
    bytes_ += bytes;
    while ((bytes_ > maxBytes_ || int(order_.size()) > maxEntries_) && order_.size() > 1) {
      bytes_ -= order_.back().bytes;
      index_.remove(order_.back().key);
      order_.pop_back();
    }
  }

  void remove(const QString& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    bytes_ -= it.value()->bytes;
    order_.erase(it.value());
    index_.erase(it);
  }

  qint64 bytes() const { return bytes_; }
  int size() const { return int(index_.size()); }

 private:
  struct Entry {
    QString key;
    Value value;
    qint64 bytes;
  };
  int maxEntries_;
  qint64 maxBytes_;
  qint64 bytes_ = 0;
  std::list<Entry> order_;
  QHash<QString, typename std::list<Entry>::iterator> index_;
};

}  // namespace web
