// SPDX-License-Identifier: GPL-3.0-or-later
// Long work off the user interface's thread, with the windows kept painted meanwhile.
#pragma once

#include <functional>

namespace brantlewick {

// Runs `work` on a thread of its own and returns once it is done, throwing what it threw. Meanwhile this
// thread's events go on being delivered (paint, timers, the window system's requests) except the user's
// input: from the window system it waits until events are next processed as usual, and sent straight to a
// widget it is dropped. So nothing the user does takes effect while `work` runs, as if this thread did the
// work itself, but the windows do not freeze. `tick` is called about once a frame meanwhile.
void RunWhilePainting(const std::function<void()>& work, const std::function<void()>& tick);

} // namespace brantlewick
