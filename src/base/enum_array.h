// A fixed array indexed by an enum class whose last value is kCount.
#pragma once

#include <array>
#include <cstddef>

namespace piko {

template <typename E, typename T>
struct EnumArray {
  static constexpr std::size_t kSize = static_cast<std::size_t>(E::kCount);
  std::array<T, kSize> items{};

  constexpr T& operator[](E e) { return items[static_cast<std::size_t>(e)]; }
  constexpr const T& operator[](E e) const { return items[static_cast<std::size_t>(e)]; }
  constexpr auto begin() { return items.begin(); }
  constexpr auto end() { return items.end(); }
  constexpr auto begin() const { return items.begin(); }
  constexpr auto end() const { return items.end(); }
};

// The values of E in order, for range-for loops.
template <typename E>
constexpr std::array<E, static_cast<std::size_t>(E::kCount)> AllOf() {
  std::array<E, static_cast<std::size_t>(E::kCount)> all{};
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<E>(i);
  return all;
}

}  // namespace piko
