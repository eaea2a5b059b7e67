// How a run of `vornhold` ends, as a script sees it. The system's entry returns 1 after the show
// or Cancel and -1 where it gives up (seen as 255); every failure of ours is 2, the same code as
// bad data, so that a failed run never looks like one that ended.
#pragma once

namespace host {

constexpr int kExitFailure = 2;

}  // namespace host
