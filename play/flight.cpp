// The flight of a thrown pin, one cell per turn. A pin thrown up climbs at
// most three cells; the other directions follow short fixed arcs (up-left,
// then left, then down-left; the right side likewise) and end at rest.
#include "play/clearing_rules.h"

namespace clearing {
namespace {

// What becomes of a pin whose flight ends where it is.
enum class Ending {
  kSettle,  // rests where it is, unless it never left the cell it was thrown from
  kRemove,  // gone, wherever it is
};

struct FlightRule {
  int columnStep;
  int rowStep;
  Ending atEdge;         // when the next cell would be off the field
  std::int32_t becomes;  // direction after a move, or 0: it comes to rest there
  bool skipAfterMove;    // the cell it moves into waits one more turn
  Ending afterHit;       // when the next cell is taken
  bool hitBalloonSkips;  // a balloon it hits waits one more turn to pop
  bool setsFlaskOff;
};

// Indexed by direction. Up is listed for its hit; its climb is FlyUp's.
constexpr FlightRule kFlights[8] = {
    {},
    {0, -1, Ending::kSettle, kUp, true, Ending::kSettle, true, true},
    {-1, -1, Ending::kRemove, kLeft, true, Ending::kRemove, true, true},
    {-1, 0, Ending::kSettle, kDownLeft, false, Ending::kSettle, false, true},
    {-1, 1, Ending::kSettle, 0, false, Ending::kSettle, false, false},
    {1, -1, Ending::kRemove, kRight, true, Ending::kRemove, true, true},
    {1, 0, Ending::kSettle, kDownRight, true, Ending::kSettle, true, true},
    {1, 1, Ending::kSettle, 0, false, Ending::kSettle, false, false},
};

constexpr std::int32_t kTopOfClimb = 3;

std::int32_t ColourOf(std::int32_t flyingKind) {
  return flyingKind & 15;
}

// A pin still marked as just thrown has not moved at all: blocked at once, it
// is removed instead of coming to rest.
void End(Cell& pin, Ending ending) {
  if (ending == Ending::kRemove || pin.launched != 0) {
    ClearCell(pin);
  } else {
    pin.kind = -ColourOf(pin.kind);
  }
}

// The pin runs into the taken cell (column, row): a balloon of its colour is
// marked to pop, for three points; a flask may blow; anything else is only in
// the way.
void Hit(PlayScene& scene, const FlightRule& rule, std::int32_t colour, int column, int row) {
  Cell& target = scene.At(column, row);
  if (target.kind == -4 - colour) {
    target.popMark = 1;
    if (rule.hitBalloonSkips) target.skip = 1;
    scene.chainPoints = AddWrapping(scene.chainPoints, 3);
  } else if (target.kind == kFlask && rule.setsFlaskOff) {
    scene.FlaskBlast(column, row);
  }
}

void FlyUp(PlayScene& scene, int column, int row) {
  Cell& pin = scene.At(column, row);
  const std::int32_t colour = ColourOf(pin.kind);
  if (pin.rise == kTopOfClimb) {
    // At the top of the climb the pin rests, even one never able to move.
    pin.rise = 0;
    pin.kind = -colour;
  } else if (row == 0) {
    pin.rise = kTopOfClimb;  // nowhere higher to go: rest on the next turn
  } else if (Cell& next = scene.At(column, row - 1); next.kind == kEmpty) {
    next.kind = pin.kind;
    next.rise = AddWrapping(pin.rise, 1);
    next.skip = 1;
    ClearCell(pin);
  } else {
    // A blocked pin keeps the full climb count when it comes to rest.
    pin.rise = kTopOfClimb;
    Hit(scene, kFlights[kUp], colour, column, row - 1);
    End(pin, Ending::kSettle);
  }
}

void FlyAlongArc(PlayScene& scene, const FlightRule& rule, int column, int row) {
  Cell& pin = scene.At(column, row);
  const std::int32_t colour = ColourOf(pin.kind);
  const int c = column + rule.columnStep;
  const int r = row + rule.rowStep;
  if (!InField(c, r)) {
    End(pin, rule.atEdge);
    return;
  }
  Cell& next = scene.At(c, r);
  if (next.kind != kEmpty) {
    Hit(scene, rule, colour, c, r);
    End(pin, rule.afterHit);
    return;
  }
  next.kind = rule.becomes == 0 ? -colour : FlyingPinKind(rule.becomes, colour);
  if (rule.skipAfterMove) next.skip = 1;
  ClearCell(pin);
}

}  // namespace

void FlyPin(PlayScene& scene, int column, int row) {
  const std::int32_t direction = scene.At(column, row).kind / 16;
  if (direction < kUp || direction > kDownRight) return;
  if (direction == kUp) {
    FlyUp(scene, column, row);
  } else {
    FlyAlongArc(scene, kFlights[direction], column, row);
  }
}

}  // namespace clearing
