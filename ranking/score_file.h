// The 590 bytes of a score file. The ten records are kept field by field (all
// names, then all dates, all scores, all removed counts), each text at its
// stored width, and every byte 0x20 below the text byte it stands for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ranking/score_table.h"

constexpr std::size_t kScoreFileSize = 590;
using ScoreFileBytes = std::array<std::uint8_t, kScoreFileSize>;

// Widths of the fields in the file; the in-memory fields are one byte wider.
constexpr std::size_t kNameWidth = 16;
constexpr std::size_t kDateWidth = 29;
constexpr std::size_t kScoreTextWidth = 9;
constexpr std::size_t kRemovedTextWidth = 5;

// Fills in the bytes that the first `size` bytes of a file cover (a short file
// leaves the rest of the table as it was), then sets every record's score from
// its score text. Bytes after `size` are not looked at; size may be anything.
void DecodeScoreFile(const std::uint8_t* bytes, std::size_t size, ScoreTable& table);

// The whole table in stored form. Bytes after a text's NUL are written as the
// table holds them, so a rewrite keeps what the file had there.
ScoreFileBytes EncodeScoreFile(const ScoreTable& table);
