// Fields written as text, one row a line, so that a test shows the picture the
// player would see. Tokens, separated by spaces:
//   .  empty      F  flask      *  burst
//   r g b m  resting pins (red, green, blue, magenta)
//   R G B M  balloons of those colours
//   r1 .. m7 a flying pin: its colour, then its direction 1 to 7
//            (1 up, 2 up-left, 3 left, 4 down-left, 5 up-right, 6 right, 7 down-right)
// Any other kind is shown as its number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "play/play_scene.h"

using Rows = std::vector<std::string>;

std::int32_t KindOfToken(const std::string& token);
std::string TokenOfKind(std::int32_t kind);

// Writes `rows` (8 tokens each) into the bottom rows of the field; the rows
// above them are emptied. Every cell starts with rise, skip, popMark and
// launched at 0.
void SetBottomRows(PlayScene& scene, const Rows& rows);

// The kinds of rows `first` to 11, one line a row.
Rows BottomRows(const PlayScene& scene, int first);

// The kinds of one column from row 0 down to row 11, on one line.
std::string ColumnText(const PlayScene& scene, int column);
