#pragma once
// Fixed-size table whose every access is bound-checked. Passing the bound is a fault of
// the compiler, never a user error: it raises CompileFailure, which ends the compilation.
#include <array>
#include <cstddef>
#include <string>

#include "compiler/base/compile_failure.h"

namespace qbc {

template <class T, std::size_t N>
class BoundedTable {
 public:
  static constexpr std::size_t kSize = N;

  T& operator[](long index) { return items_[Check(index)]; }
  const T& operator[](long index) const { return items_[Check(index)]; }
  std::size_t size() const { return N; }
  void Clear() { items_.fill(T{}); }

 private:
  static std::size_t Check(long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N)
      throw CompileFailure("Subscript out of range (" + std::to_string(index) + ")");
    return static_cast<std::size_t>(index);
  }
  std::array<T, N> items_{};
};

}  // namespace qbc
