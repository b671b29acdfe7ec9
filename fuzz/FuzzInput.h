#pragma once
// What both fuzz targets need: the input read byte by byte (zeros once it is
// used up), and a broken invariant stopping the run where libFuzzer sees it.

#include <cstddef>
#include <cstdint>

inline void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

class Reader {
  public:
    Reader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

  private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
