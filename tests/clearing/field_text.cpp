#include "tests/clearing/field_text.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

constexpr char kPins[] = "rgbm";
constexpr char kBalloons[] = "RGBM";

int ColourIndex(const char* letters, char letter) {
  for (int i = 0; i < 4; ++i) {
    if (letters[i] == letter) return i + 1;
  }
  return 0;
}

std::string JoinTokens(const PlayScene& scene, int column0, int row0, int columnStep, int rowStep,
                       int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += TokenOfKind(scene.At(column0 + i * columnStep, row0 + i * rowStep).kind);
  }
  return text;
}

}  // namespace

std::int32_t KindOfToken(const std::string& token) {
  if (token == ".") return kEmpty;
  if (token == "F") return kFlask;
  if (token == "*") return kBurst;
  if (token.size() == 1 && ColourIndex(kPins, token[0]) != 0) return -ColourIndex(kPins, token[0]);
  if (token.size() == 1 && ColourIndex(kBalloons, token[0]) != 0) {
    return -4 - ColourIndex(kBalloons, token[0]);
  }
  if (token.size() == 2 && ColourIndex(kPins, token[0]) != 0 && token[1] >= '1' &&
      token[1] <= '7') {
    return 16 * (token[1] - '0') + ColourIndex(kPins, token[0]);
  }
  ADD_FAILURE() << "not a cell: " << token;
  return kEmpty;
}

std::string TokenOfKind(std::int32_t kind) {
  if (kind == kEmpty) return ".";
  if (kind == kFlask) return "F";
  if (kind == kBurst) return "*";
  if (IsRestingPin(kind)) return std::string(1, kPins[-kind - 1]);
  if (IsBalloon(kind)) return std::string(1, kBalloons[-kind - 5]);
  if (IsFlyingPin(kind)) return std::string(1, kPins[(kind & 15) - 1]) + char('0' + kind / 16);
  return std::to_string(kind);
}

void SetBottomRows(PlayScene& scene, const Rows& rows) {
  for (Cell& cell : scene.field) {
    ClearCell(cell);
    cell.skip = 0;
  }
  const int first = kFieldRows - static_cast<int>(rows.size());
  ASSERT_GE(first, 0) << "a field has 12 rows";
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    std::istringstream tokens(rows[r]);
    std::string token;
    int column = 0;
    for (; tokens >> token; ++column) {
      ASSERT_LT(column, kFieldColumns) << "row " << first + r << ": " << rows[r];
      scene.At(column, first + r).kind = KindOfToken(token);
    }
    ASSERT_EQ(column, kFieldColumns) << "row " << first + r << ": " << rows[r];
  }
}

Rows BottomRows(const PlayScene& scene, int first) {
  Rows rows;
  for (int row = first; row < kFieldRows; ++row) {
    rows.push_back(JoinTokens(scene, 0, row, 1, 0, kFieldColumns));
  }
  return rows;
}

std::string ColumnText(const PlayScene& scene, int column) {
  return JoinTokens(scene, column, 0, 0, 1, kFieldRows);
}
