// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files that need a name, kept track of so that none outlives the run that made it.
#pragma once

#include <string>

namespace brantlewick {

// Makes SIGINT, SIGTERM, SIGHUP and SIGPIPE remove every named temporary file of this process and end it
// with the status a shell gives for the signal (130, 143, 129, 141). A signal that the process was started
// with ignored (SIGHUP under nohup, SIGINT in a script's background job, SIGPIPE where the caller wants
// the write's failure instead) stays ignored. Call once, early.
void EndCleanlyOnSignals();

// Removes every named temporary file of this process and lets no thread make another (a thread that tries
// waits for good): for a process that ends at once after it.
void AbandonTemporaryFiles() noexcept;

// For SafeOutputFile. A temporary file mostly has no name (O_TMPFILE); one gets a name only where the file
// system cannot do without, or while a finished result waits its turn and open files run short. Such a
// name is recognisable (".brantlewick-", a digest of the host's name, the stamp of the run, a random part,
// ".part"), and the process holds a shared lock on its folder for as long as it has one there. The first
// output of a process into a folder removes what killed runs of the same user on the same host left there,
// and only what is provably stale: only when it gets the folder's lock exclusively (no run of the host
// that shares the lock uses the folder), only a file whose stamp names a run that has ended (or, where the
// stamp cannot tell, one older than a day), and never a file that another process holds open. A view of
// the folder that does not share the lock (a FUSE mount) thus still spares a live run's files. Another
// host's are never touched, since its runs cannot be seen from here.
namespace temporary {

// Removes what killed runs left in `folder` ("" for the working folder, else with its trailing separator),
// once per folder and process.
void SweepBeforeFirstUse(const std::string& folder);
// Creates a new empty temporary file in `folder`, mode 0600 (less the umask), open for writing, and puts its
// path in `name`; -1 with errno on failure.
int Create(const std::string& folder, std::string& name);
// Gives the open file `descriptor`, which has no name yet, a temporary name in `folder`; false with errno.
// `toWait`: the file may wait long under that name; then it is not named without the folder's lock, nor
// when the lock would not fit into the descriptors the process keeps (see Keep()).
bool Link(int descriptor, const std::string& folder, std::string& name, bool toWait);
// Counts a descriptor kept open for later, if the process keeps fewer than a sixteenth of what it may
// open; else false, and nothing is counted. Unkeep() gives one back.
bool Keep();
void Unkeep();
// Renames the temporary `name` to `target`, replacing what is there or, unless `replace`, failing then;
// false with errno, and the temporary stays.
bool Rename(const std::string& name, const std::string& target, bool replace);
// Deletes the temporary `name`.
void Remove(const std::string& name) noexcept;

} // namespace temporary
} // namespace brantlewick
