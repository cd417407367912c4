// Fields written as text, one row a line, the way the player sees them.
// Tokens: "." empty, "F" flask, "*" burst, "r g b m" resting pins (red, green,
// blue, magenta), "R G B M" their balloons, and a flying pin as its colour and
// direction, "r1" to "m7" (1 up, 2 up-left, 3 left, 4 down-left, 5 up-right,
// 6 right, 7 down-right). Other kinds show as their number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "play/play_scene.h"

using Rows = std::vector<std::string>;

std::int32_t KindOf(const std::string& token);
std::string TokenOf(std::int32_t kind);

void SetRow(PlayScene& scene, int row, const std::string& text);
// Empties the field (every member but the position) and writes `rows`, 8
// tokens each, into its bottom rows.
void SetBottomRows(PlayScene& scene, const Rows& rows);

std::string RowText(const PlayScene& scene, int row);
std::string ColumnText(const PlayScene& scene, int column);  // rows 0 to 11
