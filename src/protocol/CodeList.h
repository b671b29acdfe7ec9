#pragma once
// A short list of command codes, sent one per transmit tick: what a page
// reads when it is opened, or a command followed by the reads that show its
// effect. Written as a braced list, `{9, 2, 3, 4}`.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

class CodeList {
  public:
    static constexpr std::size_t Capacity = 9;

    constexpr CodeList() = default;
    // Codes beyond the capacity are left out.
    constexpr CodeList(std::initializer_list<std::uint8_t> codes) {
        for (std::uint8_t c : codes)
            push(c);
    }

    constexpr void push(std::uint8_t code) {
        if (count_ < Capacity)
            codes_[count_++] = code;
    }
    // This list after `first`.
    constexpr CodeList after(std::uint8_t first) const {
        CodeList l{first};
        for (std::uint8_t c : *this)
            l.push(c);
        return l;
    }
    // This list without its first code.
    constexpr CodeList tail() const {
        CodeList l;
        for (std::size_t i = 1; i < count_; ++i)
            l.push(codes_[i]);
        return l;
    }

    constexpr const std::uint8_t *begin() const { return codes_.data(); }
    constexpr const std::uint8_t *end() const { return codes_.data() + count_; }
    constexpr std::size_t size() const { return count_; }
    constexpr bool empty() const { return count_ == 0; }
    constexpr std::uint8_t front() const { return codes_[0]; }
    constexpr bool operator==(const CodeList &other) const {
        if (count_ != other.count_)
            return false;
        for (std::size_t i = 0; i < count_; ++i)
            if (codes_[i] != other.codes_[i])
                return false;
        return true;
    }

  private:
    std::array<std::uint8_t, Capacity> codes_{};
    std::size_t count_ = 0;
};
