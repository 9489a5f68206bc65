// SPDX-License-Identifier: GPL-3.0-or-later
// The sweep of stale temporaries in one folder, without the folder's lock: as a run that reaches the folder
// through a view that does not share locks (a FUSE mount) sweeps it, so that a test can show what it
// leaves alone then.
#pragma once

namespace brantlewick::detail {

// Removes from the open folder `folder` the temporaries of this user and host that are provably stale: the
// run their name stamps has ended (the host started anew, or its process is gone), or, where that cannot
// be told (a name without a stamp, another process ID namespace), they are older than a day; and never one
// that another process holds open.
void RemoveStaleTemporaries(int folder);

} // namespace brantlewick::detail
