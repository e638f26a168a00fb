#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace sonvarek {

// Resizes a work buffer whose size comes from settings or a library, where a refused
// allocation is a failure to log rather than an exception. False leaves `buffer` as it was.
template <typename T>
bool TryResize(std::vector<T>& buffer, size_t size) {
  try {
    buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace sonvarek
