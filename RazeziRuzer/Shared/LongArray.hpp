#pragma once
// Room for a result array as long as a recording's features or samples. Each
// first touch of a fresh 4 KiB page is a page fault, and for arrays of many
// megabytes those faults can cost more than the audio work that fills them;
// the array's whole 2 MiB stretches are therefore advised to use huge pages,
// a hint the system may ignore.

#include <cstddef>
#include <vector>

namespace razeziruzer {

// Reserves room for `count` values (more than the vector already holds keeps
// its contents) before any of the new room is touched.
void reserveLongArray(std::vector<float>& values, std::size_t count);

} // namespace razeziruzer
