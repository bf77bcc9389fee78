// rtarray.cpp: the array operations that are not templates: number lists and
// splitting a text into a string array.
#include "runtime/rtarray.h"

#include <cstring>
#include <string>
#include <vector>

void rt_array_from_list(RtArray<double>& array, int count, const double* values) {
    rt_dim(array, count, 0, 0, 0);
    for (int i = 0; i < count && values != nullptr; ++i)
        rt_index(array, i) = values[i];
}

// Runs of delimiters never make empty pieces, so an empty text or one made
// only of delimiters leaves the target not dimensioned.
double rt_split(const RtString& text, RtArray<RtString>& target, const RtString& delimiters) {
    // The text or the delimiters may be elements of the target, which the
    // resize below frees: both are copied first.
    const std::string text_copy(text.view());
    const std::string delims_copy(delimiters.view());
    rt_dim(target, 0, 0, 0, 0);
    std::string_view rest = text_copy;
    std::string_view delims = delims_copy;
    std::vector<std::string_view> pieces;
    while (true) {
        std::size_t start = rest.find_first_not_of(delims);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        std::size_t end = rest.find_first_of(delims);
        pieces.push_back(rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    if (pieces.empty()) return 0;
    rt_dim(target, static_cast<double>(pieces.size()), 0, 0, 0);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        rt_index(target, static_cast<int>(i)) = RtString::from_std(pieces[i]);
    return static_cast<double>(pieces.size());
}
