// The switch that makes every golden test write its expected file afresh from
// what it made instead of comparing: MORVEX2_UPDATE_GOLDEN=1. Look at what
// changed before committing.
#pragma once

namespace testsupport {

bool UpdatingGoldens();

}  // namespace testsupport
