#pragma once
// A small set of enumeration values, in place of Pascal's "set of": one bit
// per value, so sets compare, combine and copy as plain integers.
#include <cstdint>
#include <initializer_list>

namespace platform {

template <typename E, typename Storage = std::uint64_t>
class EnumSet
{
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ |= Bit(v);
    }
    static constexpr EnumSet FromBits(std::uint64_t bits)
    {
        EnumSet s;
        s.bits_ = static_cast<Storage>(bits);
        return s;
    }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }
    // Sets kept in many objects may use a narrower Storage.

    constexpr EnumSet &Include(E v)
    {
        bits_ = static_cast<Storage>(bits_ | Bit(v));
        return *this;
    }
    constexpr EnumSet &Exclude(E v)
    {
        bits_ = static_cast<Storage>(bits_ & ~Bit(v));
        return *this;
    }
    constexpr EnumSet &Set(E v, bool on) { return on ? Include(v) : Exclude(v); }

    constexpr EnumSet operator+(EnumSet o) const { return FromBits(std::uint64_t(bits_) | o.bits_); }
    constexpr EnumSet operator-(EnumSet o) const { return FromBits(std::uint64_t(bits_) & ~std::uint64_t(o.bits_)); }
    constexpr EnumSet operator*(EnumSet o) const { return FromBits(std::uint64_t(bits_) & o.bits_); }
    constexpr EnumSet operator+(E v) const { return FromBits(std::uint64_t(bits_) | Bit(v)); }
    constexpr EnumSet operator-(E v) const { return FromBits(std::uint64_t(bits_) & ~Bit(v)); }
    constexpr EnumSet &operator+=(EnumSet o)
    {
        bits_ = static_cast<Storage>(bits_ | o.bits_);
        return *this;
    }
    constexpr EnumSet &operator-=(EnumSet o)
    {
        bits_ = static_cast<Storage>(bits_ & ~o.bits_);
        return *this;
    }
    constexpr EnumSet &operator+=(E v) { return Include(v); }
    constexpr EnumSet &operator-=(E v) { return Exclude(v); }
    constexpr bool operator==(EnumSet o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(EnumSet o) const { return bits_ != o.bits_; }

private:
    static constexpr std::uint64_t Bit(E v) { return std::uint64_t(1) << static_cast<unsigned>(v); }
    Storage bits_ = 0;
};

} // namespace platform
