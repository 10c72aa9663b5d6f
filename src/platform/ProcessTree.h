#pragma once

#include <QByteArray>
#include <QList>

// Processes as /proc shows them, for telling when a started script host is up.
namespace ProcessTree {

// `root` and every process below it.
QList<qint64> withDescendants(qint64 root);

// A command line (/proc/N/cmdline, NUL-separated) of a program that has got going: a
// Windows program that Wine has loaded (Wine's loader then rewrites the line to start with
// the program itself), or Quillet's PerlScript runner.
bool looksStarted(const QByteArray& cmdline);

// True once a process in the tree of `root` looks started, or when `root` is gone.
bool hostUp(qint64 root);

} // namespace ProcessTree
