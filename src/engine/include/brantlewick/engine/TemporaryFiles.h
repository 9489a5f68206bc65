// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files that need a name, kept track of so that none outlives the run that made it.
#pragma once

#include <string>

namespace brantlewick {

// Makes SIGINT, SIGTERM and SIGHUP remove every named temporary file of this process and end it with the
// status a shell gives for the signal (130, 143, 129). A signal that the process was started with ignored
// (SIGHUP under nohup, SIGINT in a script's background job) stays ignored. Call once, early.
void EndCleanlyOnSignals();

// Removes every named temporary file of this process and lets no thread make another (a thread that tries
// waits for good): for a process that ends at once after it.
void AbandonTemporaryFiles() noexcept;

// For SafeOutputFile. A temporary file mostly has no name (O_TMPFILE); one gets a name only where the file
// system cannot do without, or while a finished result waits its turn and open files run short. Such a
// name is recognisable (".brantlewick-", a digest of the host's name, a random part, ".part"), and the
// process holds a shared lock on its folder for as long as it has one there. The first output of a process
// into a folder removes what killed runs of the same user on the same host left there, and only when it
// gets the folder's lock exclusively: while any run of the host that may still use a temporary there
// lives, nothing is removed. Another host's are never touched, since its runs cannot be seen from here.
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
