// rtarray.h: bounds-checked arrays of up to four dimensions (RtArray).
//
// One template serves numbers, RtStrings and the game's records. The first
// index varies fastest. A bad index is not recoverable: it records error 8
// (not dimensioned) or 9 (out of bounds) and ends the program. Number arrays
// of up to 16 elements live in an inline buffer inside the array value.
//
// Game code sizes arrays with rt_dim / rt_redim and reaches elements only
// through rt_index; unused trailing sizes and indices are 0.
#pragma once

#include "runtime/rtstring.h"

#include <cstdint>

template <class T> class RtArray;

template <class T>
void rt_dim(RtArray<T>& array, double a, double b = 0, double c = 0, double d = 0);
template <class T>
void rt_redim(RtArray<T>& array, double a, double b = 0, double c = 0, double d = 0);
template <class T> T& rt_index(RtArray<T>& array, int i, int j = 0, int k = 0, int l = 0);
template <class T>
const T& rt_index(const RtArray<T>& array, int i, int j = 0, int k = 0, int l = 0);
// Size of dimension n (0..3) as a double; any other n gives 0.
template <class T> double rt_bounds(const RtArray<T>& array, double n);
// Removes the slice at first index i (error 8 when i is outside the first dimension).
template <class T> void rt_delete_at(RtArray<T>& array, int i);
template <class T> void rt_array_assign(RtArray<T>& target, const RtArray<T>& source);
void rt_array_from_list(RtArray<double>& array, int count, const double* values);
// Pieces of text between runs of any delimiter byte; returns their count.
double rt_split(const RtString& text, RtArray<RtString>& target, const RtString& delimiters);

// The class template and the bodies of the operations follow in rtarray_impl.h.
#include "runtime/rtarray_impl.h"
