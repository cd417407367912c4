#include "tests/clearing/field_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

namespace {

constexpr std::string_view kPins = "rgbm";
constexpr std::string_view kBalloons = "RGBM";

std::string Join(const PlayScene& scene, int column, int row, int columnStep, int rowStep,
                 int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += (i > 0 ? " " : "") + TokenOf(scene.At(column + i * columnStep, row + i * rowStep).kind);
  }
  return text;
}

}  // namespace

std::int32_t KindOf(const std::string& token) {
  const auto pin = static_cast<std::int32_t>(kPins.find(token[0]));
  const auto balloon = static_cast<std::int32_t>(kBalloons.find(token[0]));
  if (token == ".") return kEmpty;
  if (token == "F") return kFlask;
  if (token == "*") return kBurst;
  if (token.size() == 1 && pin >= 0) return -1 - pin;
  if (token.size() == 1 && balloon >= 0) return -5 - balloon;
  if (token.size() == 2 && pin >= 0 && token[1] >= '1' && token[1] <= '7') {
    return 16 * (token[1] - '0') + 1 + pin;
  }
  ADD_FAILURE() << "not a cell: " << token;
  return kEmpty;
}

std::string TokenOf(std::int32_t kind) {
  if (kind == kEmpty) return ".";
  if (kind == kFlask) return "F";
  if (kind == kBurst) return "*";
  if (IsRestingPin(kind)) return std::string(1, kPins[-1 - kind]);
  if (IsBalloon(kind)) return std::string(1, kBalloons[-5 - kind]);
  if (IsFlyingPin(kind)) return kPins[(kind & 15) - 1] + std::to_string(kind / 16);
  return std::to_string(kind);
}

void SetRow(PlayScene& scene, int row, const std::string& text) {
  std::istringstream tokens(text);
  std::string token;
  for (int column = 0; column < kFieldColumns && tokens >> token; ++column) {
    scene.At(column, row).kind = KindOf(token);
  }
}

void SetBottomRows(PlayScene& scene, const Rows& rows) {
  for (Cell& cell : scene.field) cell = Cell{0, 0, 0, 0, 0, cell.x, cell.y};
  const int first = kFieldRows - static_cast<int>(rows.size());
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) SetRow(scene, first + r, rows[r]);
}

std::string RowText(const PlayScene& scene, int row) {
  return Join(scene, 0, row, 1, 0, 8);
}

std::string ColumnText(const PlayScene& scene, int column) {
  return Join(scene, column, 0, 0, 1, kFieldRows);
}
