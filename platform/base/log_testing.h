// What a run that checks the log's lines asks of it and the game never does:
// to hear again, in one process, the failures said once a run.
#pragma once

namespace platform {

// The failures said once are said again after this.
void ForgetLoggedErrors();

}  // namespace platform
