#pragma once
// The cells of the statement areas (LCD, keypad, UART formats, ...), held by their type.
// Each area declares its cells in a small header of its own; the compiler state holds them
// here without knowing their definitions, so a new cell rebuilds only the files that
// include that area's header, not every file that includes the state.
//
// An area's cells are created on their first use with their default member initializers,
// and Clear drops them all: the next compilation starts from the defaults again.
#include <map>
#include <memory>

namespace qbc {

class AreaCells {
 public:
  AreaCells() = default;
  AreaCells(const AreaCells& other) { CopyFrom(other); }
  AreaCells& operator=(const AreaCells& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  AreaCells(AreaCells&&) = default;
  AreaCells& operator=(AreaCells&&) = default;
  ~AreaCells() = default;

  template <class T>
  T& Get() {
    return Find<T>();
  }
  // An area that was never used reads as its defaults, so a const holder creates it too.
  template <class T>
  const T& Get() const {
    return Find<T>();
  }

  void Clear() { slots_.clear(); }

 private:
  struct Slot {
    virtual ~Slot() = default;
    virtual std::unique_ptr<Slot> Clone() const = 0;
  };
  template <class T>
  struct Held final : Slot {
    T cells{};
    std::unique_ptr<Slot> Clone() const override { return std::make_unique<Held>(*this); }
  };
  // One address per area type: the key of its slot.
  template <class T>
  static constexpr char kKey = 0;

  template <class T>
  T& Find() const {
    std::unique_ptr<Slot>& slot = slots_[&kKey<T>];
    if (!slot) slot = std::make_unique<Held<T>>();
    return static_cast<Held<T>&>(*slot).cells;
  }

  void CopyFrom(const AreaCells& other) {
    slots_.clear();
    for (const auto& [key, slot] : other.slots_) slots_.emplace(key, slot->Clone());
  }

  mutable std::map<const void*, std::unique_ptr<Slot>> slots_;
};

}  // namespace qbc
