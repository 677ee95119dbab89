#pragma once
// What SafeFile.cpp and SafeFileLeftovers.cpp share: the fault seam, the names of the hidden side
// files, the locks that tell a live writer's side files from the leftovers of a killed one, and
// the identity of a file.
#include "platform/core/SafeFile.h"

#include <QByteArray>
#include <QString>

struct stat;

namespace safefile::detail {

// Zero, or the error the seam wants this step to fail with.
int injected(Step step, const QString& path);
// True while a test's hook is set: the paths it is given need be made only then.
bool hooked();

QByteArray native(const QString& path);

// `name`, cut at a character's end when needed, so that it and `extra` more bytes make a name a
// folder takes.
QString fitted(const QString& name, qsizetype extra);

// ".NAME.KIND-" followed by `digits` characters: the hidden side names of `target` ("tyx" a
// temporary file, "old" an old file or folder kept aside, "tyxset" a set's journal, "tyxdir" a
// folder being written). The start, without the digits: what leftovers of `target` begin with.
QString sidePrefix(const QString& target, const char* kind, int digits);
// A full side name of `target` with eight random hexadecimal digits.
QString sideName(const QString& target, const char* kind);

// Where the bytes of `path` go: a symbolic link is followed so that the link stays a link.
QString resolvedTarget(const QString& path);

// Writes every byte to `fd`, piece by piece; 0 or the error number.
int writeAll(int fd, QByteArrayView bytes, const QString& path);

// Renames `from` over `to` as step `step` of `path`; 0 or the error number.
int renameOver(const QString& from, const QString& to, Step step, const QString& path);

// An old file about to lose its last name, held open (-1 when there is none): the file system
// frees a large file's blocks when its last descriptor closes, which can take long (longer where
// the disk is told of every freed block). releaseLater() closes it on a thread of its own, so that
// nobody waits for that.
int holdOld(const QString& path);
void releaseLater(int fd);

// Makes the renames durable; the files are in place whatever it says.
void syncFolder(const QString& target);

// Opens `path` (a folder with `folder`) and locks it for as long as the returned descriptor is
// open: a side file or folder locked so belongs to a live writer. -1 when the path no longer names
// what was locked (a cleaner took it in between) or cannot be opened.
int holdLock(const QString& path, bool folder);

// Device, inode, size and modification time: a file stays itself until it is written again or
// replaced. "-" when nothing is at `path`.
QByteArray identity(const QString& path);
QByteArray identity(int fd);

// Removes what dead writes of ours left beside `target`: its temporary files and kept-aside old
// files no journal names, and its half-written folders, each only when no live writer holds it.
void removeLeftovers(const QString& target);

} // namespace safefile::detail
