#pragma once
// Handlers that any number of parties join and leave, in any order. Join hands
// back a link; the handler stays joined while the link lives (or until its Leave).
// Call runs the joined handlers in the order they joined. A handler that leaves
// while the list is being called is not called any more; one that joins then is
// called from the next call on. Links may outlive the list: they then leave nothing.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace HandlerListDetail {
struct TCore {
  virtual ~TCore() = default;
  virtual void Remove(unsigned long long id) = 0;
};
} // namespace HandlerListDetail

class THandlerLink {
public:
  THandlerLink() = default;
  THandlerLink(std::weak_ptr<HandlerListDetail::TCore> list, unsigned long long id) : list_(std::move(list)), id_(id) {}
  THandlerLink(THandlerLink&& other) noexcept : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
  THandlerLink& operator=(THandlerLink&& other) noexcept {
    if (this != &other) {
      Leave();
      list_ = std::move(other.list_);
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  THandlerLink(const THandlerLink&) = delete;
  THandlerLink& operator=(const THandlerLink&) = delete;
  ~THandlerLink() { Leave(); }

  bool Joined() const { return id_ != 0 && !list_.expired(); }
  void Leave() {
    if (id_ == 0) return;
    if (const auto list = list_.lock()) list->Remove(id_);
    list_.reset();
    id_ = 0;
  }

private:
  std::weak_ptr<HandlerListDetail::TCore> list_;
  unsigned long long id_ = 0;
};

template <class... Args>
class THandlerList {
public:
  using THandler = std::function<void(Args...)>;

  THandlerList() : core_(std::make_shared<Core>()) {}
  ~THandlerList() { core_->changed = nullptr; }
  THandlerList(const THandlerList&) = delete;
  THandlerList& operator=(const THandlerList&) = delete;

  [[nodiscard]] THandlerLink Join(THandler handler) {
    Core& c = *core_;
    const unsigned long long id = c.nextId++;
    (c.calling > 0 ? c.joining : c.entries).push_back({id, std::move(handler)});
    c.Changed();
    return THandlerLink(core_, id);
  }

  void Call(Args... args) const {
    const std::shared_ptr<Core> keep = core_; // a handler may take the list's owner down
    Core& c = *keep;
    struct Guard {
      Core& c;
      ~Guard() {
        if (--c.calling == 0) c.Settle();
      }
    } guard{c};
    ++c.calling;
    // By index: entries do not move while calling (joins wait in c.joining).
    const size_t n = c.entries.size();
    for (size_t i = 0; i < n; ++i)
      if (c.entries[i].handler) c.entries[i].handler(args...);
  }

  // The handlers joined now.
  int Count() const {
    int n = 0;
    for (const auto* list : {&core_->entries, &core_->joining})
      for (const Entry& e : *list) n += e.handler ? 1 : 0;
    return n;
  }

  // Runs after every join and leave, once the list is not being called (owners keep
  // something in step with Count).
  void SetOnChanged(std::function<void()> changed) { core_->changed = std::move(changed); }

private:
  struct Entry {
    unsigned long long id;
    THandler handler;
  };
  struct Core : HandlerListDetail::TCore {
    std::vector<Entry> entries, joining;
    unsigned long long nextId = 1;
    int calling = 0;
    bool pending = false; // joined or left while calling
    std::function<void()> changed;

    void Remove(unsigned long long id) override {
      for (auto* list : {&entries, &joining})
        for (auto it = list->begin(); it != list->end(); ++it) {
          if (it->id != id) continue;
          if (calling > 0) it->handler = nullptr; // erased once the call is over
          else list->erase(it);
          Changed();
          return;
        }
    }
    void Changed() {
      if (calling > 0) pending = true;
      else if (changed) changed();
    }
    void Settle() {
      std::erase_if(entries, [](const Entry& e) { return !e.handler; });
      for (Entry& e : joining)
        if (e.handler) entries.push_back(std::move(e));
      joining.clear();
      if (std::exchange(pending, false) && changed) changed();
    }
  };
  std::shared_ptr<Core> core_;
};
