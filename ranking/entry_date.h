// The date of a high-score entry: "Sat Dec 05 16:38:43 2026".
#pragma once

#include <array>
#include <cstddef>
#include <ctime>

constexpr std::size_t kEntryDateLength = 24;

// The 24 characters and a NUL, from the broken-down local time. Built from the
// fields by hand so that no locale can change a letter. Fields out of their
// ranges are held at the nearest valid value.
std::array<char, kEntryDateLength + 1> FormatEntryDate(const std::tm& time);
