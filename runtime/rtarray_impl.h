// rtarray_impl.h: the RtArray class template and the bodies of the array
// operations declared in rtarray.h (included from there only).
//
// Storage is a run of `capacity` elements, first index fastest. Number arrays
// keep up to 16 elements in an inline buffer inside the array value; all
// other storage is on the heap and its elements are constructed and destroyed
// with it.
#pragma once

#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

// Records the error code and ends the program (rterror.cpp); repeated here so
// that arrays need not include the whole runtime contract.
[[noreturn]] void rt_fatal(int code);

namespace rt_detail {

// The inline element buffer: 16 doubles for number arrays, nothing otherwise.
template <class T> struct InlineBuffer {
    static constexpr std::int32_t kCount = 0;
    T* data() const { return nullptr; }
};
template <> struct InlineBuffer<double> {
    static constexpr std::int32_t kCount = 16;
    double values[16];
    double* data() { return values; }
    const double* data() const { return values; }
};

// Largest element count an array may hold; more is error 7.
inline constexpr double kMaxElements = 268435456.0; // 2^28

// A size as stored: truncated toward zero, kept inside the int range.
inline std::int32_t stored_size(double size) {
    if (size <= -kMaxElements) return -static_cast<std::int32_t>(kMaxElements);
    if (size >= kMaxElements) return static_cast<std::int32_t>(kMaxElements);
    return static_cast<std::int32_t>(size);
}

// A size as it counts in products and strides: below 1 counts as 1.
inline std::int32_t counted(std::int32_t size) {
    return size < 1 ? 1 : size;
}

// The next stride, in 64 bits and held at the int range. Only an array that
// is not dimensioned (first size 0, so the element count stays 0 whatever
// the other sizes) gets this far past the element limit, and it is never
// indexed.
inline std::int32_t next_stride(std::int32_t stride, std::int32_t size) {
    const std::int64_t next = static_cast<std::int64_t>(stride) * counted(size);
    return next > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(next);
}

} // namespace rt_detail

template <class T> class RtArray {
  public:
    RtArray() = default;
    RtArray(const RtArray& other) { rt_array_assign(*this, other); }
    RtArray(RtArray&& other) noexcept { take(other); }
    RtArray& operator=(const RtArray& other) {
        rt_array_assign(*this, other);
        return *this;
    }
    RtArray& operator=(RtArray&& other) noexcept {
        if (&other != this) {
            release();
            take(other);
        }
        return *this;
    }
    ~RtArray() { release(); }

    bool uses_inline() const { return elements != nullptr && elements == inline_buffer.data(); }

    // Storage for exactly n default elements (inline when it fits); error 7
    // when it cannot be had.
    void allocate(std::int32_t n) {
        release();
        if (n <= rt_detail::InlineBuffer<T>::kCount) {
            elements = inline_buffer.data();
        } else {
            elements = new (std::nothrow) T[static_cast<std::size_t>(n)]();
            if (elements == nullptr) rt_fatal(7);
        }
        capacity = n;
    }

    void release() {
        if (!uses_inline()) delete[] elements;
        elements = nullptr;
        capacity = 0;
    }

    // The fields of the array value, in their documented order; game code reaches
    // elements only through rt_index.
    T* elements = nullptr;
    [[no_unique_address]] rt_detail::InlineBuffer<T> inline_buffer{};
    std::int32_t stride1 = 0;
    std::int32_t stride2 = 0;
    std::int32_t stride3 = 0;
    std::int32_t size0 = 0;
    std::int32_t size1 = 0;
    std::int32_t size2 = 0;
    std::int32_t size3 = 0;
    std::int32_t rank = 0;
    std::int32_t capacity = 0;

  private:
    // Takes over other's storage and fields, copying inline elements, and
    // leaves other not dimensioned.
    void take(RtArray& other) {
        if (other.uses_inline()) {
            elements = inline_buffer.data();
            for (std::int32_t i = 0; i < other.capacity; ++i)
                elements[i] = other.elements[i];
        } else {
            elements = other.elements;
        }
        stride1 = other.stride1;
        stride2 = other.stride2;
        stride3 = other.stride3;
        size0 = other.size0;
        size1 = other.size1;
        size2 = other.size2;
        size3 = other.size3;
        rank = other.rank;
        capacity = other.capacity;
        other.elements = nullptr;
        other.capacity = 0;
        other.size0 = other.size1 = other.size2 = other.size3 = 0;
        other.stride1 = other.stride2 = other.stride3 = other.rank = 0;
    }
};

// Sizes the array and resets every element of the storage in use. Unused
// dimensions count as 1 in the element count and in the strides, so every
// reachable position lies inside the storage.
template <class T> void rt_dim(RtArray<T>& array, double a, double b, double c, double d) {
    using rt_detail::counted;
    using rt_detail::stored_size;
    // A size that is not a number counts as 0.
    if (std::isnan(a)) a = 0;
    if (std::isnan(b)) b = 0;
    if (std::isnan(c)) c = 0;
    if (std::isnan(d)) d = 0;
    std::int32_t s0 = a < 1 ? 0 : stored_size(a);
    double count = (a < 1 ? 0 : a) * (b < 1 ? 1 : b) * (c < 1 ? 1 : c) * (d < 1 ? 1 : d);
    if (!(count < rt_detail::kMaxElements)) rt_fatal(7);
    auto n = static_cast<std::int32_t>(count);
    std::int32_t needed = n / 8 * 8 + 8;
    if (array.capacity < needed || a < 1) array.allocate(needed);
    for (std::int32_t i = 0; i < needed; ++i)
        array.elements[i] = T{};
    array.rank = d != 0 ? 4 : c != 0 ? 3 : b == 0 ? 1 : 2;
    array.size0 = s0;
    array.size1 = stored_size(b);
    array.size2 = stored_size(c);
    array.size3 = stored_size(d);
    array.stride1 = counted(array.size0);
    array.stride2 = rt_detail::next_stride(array.stride1, array.size1);
    array.stride3 = rt_detail::next_stride(array.stride2, array.size2);
}

namespace rt_detail {

// An index fits a dimension below its size; an unused dimension (size 0)
// accepts only index 0.
inline bool index_fits(std::int32_t index, std::int32_t size) {
    return size == 0 ? index == 0 : index < size;
}

template <class T>
std::int64_t checked_position(const RtArray<T>& array, int i, int j, int k, int l) {
    if (array.size0 == 0) rt_fatal(8);
    if (i < 0 || j < 0 || k < 0 || l < 0 || array.elements == nullptr || i >= array.size0 ||
        !index_fits(j, array.size1) || !index_fits(k, array.size2) || !index_fits(l, array.size3)) {
        rt_fatal(9);
    }
    return i + static_cast<std::int64_t>(j) * array.stride1 +
           static_cast<std::int64_t>(k) * array.stride2 +
           static_cast<std::int64_t>(l) * array.stride3;
}

// How many indices of one dimension survive a resize: the smaller size, and
// only index 0 when a dimension is unused; none when a size is negative.
inline std::int32_t kept_range(std::int32_t old_size, std::int32_t new_size) {
    if (old_size < 0 || new_size < 0) return 0;
    std::int32_t kept = old_size < new_size ? old_size : new_size;
    return kept == 0 ? 1 : kept;
}

} // namespace rt_detail

template <class T> T& rt_index(RtArray<T>& array, int i, int j, int k, int l) {
    return array.elements[rt_detail::checked_position(array, i, j, k, l)];
}

template <class T> const T& rt_index(const RtArray<T>& array, int i, int j, int k, int l) {
    return array.elements[rt_detail::checked_position(array, i, j, k, l)];
}

template <class T> double rt_bounds(const RtArray<T>& array, double n) {
    if (std::isnan(n) || n <= -1 || n >= 4) return 0;
    switch (static_cast<int>(n)) {
    case 0:
        return array.size0;
    case 1:
        return array.size1;
    case 2:
        return array.size2;
    default:
        return array.size3;
    }
}

// Resizes keeping every element whose indices fit both the old and the new
// sizes. A first dimension of 0 on either side (not dimensioned) keeps nothing.
template <class T> void rt_redim(RtArray<T>& array, double a, double b, double c, double d) {
    using rt_detail::kept_range;
    RtArray<T> fresh;
    rt_dim(fresh, a, b, c, d);
    std::int32_t n0 = array.size0 < fresh.size0 ? array.size0 : fresh.size0;
    std::int32_t n1 = kept_range(array.size1, fresh.size1);
    std::int32_t n2 = kept_range(array.size2, fresh.size2);
    std::int32_t n3 = kept_range(array.size3, fresh.size3);
    for (std::int32_t l = 0; l < n3; ++l)
        for (std::int32_t k = 0; k < n2; ++k)
            for (std::int32_t j = 0; j < n1; ++j)
                for (std::int32_t i = 0; i < n0; ++i)
                    rt_index(fresh, i, j, k, l) = std::move(rt_index(array, i, j, k, l));
    if (array.uses_inline() || fresh.uses_inline()) {
        rt_dim(array, a, b, c, d);
        for (std::int32_t i = 0; i < fresh.capacity; ++i)
            array.elements[i] = std::move(fresh.elements[i]);
    } else {
        array = std::move(fresh);
    }
}

// Moves every slice after first index i down by one, then drops the last.
template <class T> void rt_delete_at(RtArray<T>& array, int i) {
    using rt_detail::counted;
    if (i < 0 || i >= array.size0) rt_fatal(8);
    for (std::int32_t l = 0; l < counted(array.size3); ++l)
        for (std::int32_t k = 0; k < counted(array.size2); ++k)
            for (std::int32_t j = 0; j < counted(array.size1); ++j) {
                std::int64_t base = static_cast<std::int64_t>(j) * array.stride1 +
                                    static_cast<std::int64_t>(k) * array.stride2 +
                                    static_cast<std::int64_t>(l) * array.stride3;
                for (std::int32_t p = i; p + 1 < array.size0; ++p)
                    array.elements[base + p] = std::move(array.elements[base + p + 1]);
            }
    rt_redim(array, array.size0 - 1, array.size1, array.size2, array.size3);
}

// The target takes the source's sizes and a copy of each element in order.
template <class T> void rt_array_assign(RtArray<T>& target, const RtArray<T>& source) {
    using rt_detail::counted;
    if (&target == &source) return;
    rt_dim(target, source.size0, source.size1, source.size2, source.size3);
    target.rank = source.rank;
    if (source.size0 == 0) return;
    std::int64_t count = static_cast<std::int64_t>(source.size0) * counted(source.size1) *
                         counted(source.size2) * counted(source.size3);
    for (std::int64_t p = 0; p < count; ++p)
        target.elements[p] = source.elements[p];
}
