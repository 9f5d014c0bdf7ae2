// Fuzzing the inputs a user hands over rather than the buttons pressed: the
// parameter-file loader with raw and generated files (with the levels of
// version 2), sweep ranges and lists, and parameter texts
// that are large valid numbers or long digit strings, committed and run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace davrel3::fuzzing {

void FuzzParameterFile(const std::uint8_t* data, std::size_t size);
void FuzzLargeNumbers(const std::uint8_t* data, std::size_t size);
// --sweep texts (ranges and lists, reversed, zero steps, huge counts, words)
// and the plans they make.
void FuzzSweeps(const std::uint8_t* data, std::size_t size);

}  // namespace davrel3::fuzzing
