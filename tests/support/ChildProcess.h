#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>

// Helpers for tests that need a process of their own: another user, another
// mount namespace, other resource limits, or a clean memory peak.

// Exit code of a child whose set-up is impossible on this machine; its
// output then says why, and the test skips.
constexpr int kSkipCode = 77;

struct ChildOutput
{
    int exitCode = -1; // -1 when the child did not exit normally (a crash)
    QByteArray text;
};

// Runs `work` in a forked child and returns what it wrote to `out`.
ChildOutput RunInChild(const std::function<int(QByteArray &out)> &work);

// A mount namespace of our own, with private mounts: as real root when we
// may, else as root of a new user namespace mapped onto our own ids.
bool EnterPrivateMountNamespace(QByteArray &why);

// Resident memory now and its peak since the last ResetPeakMemory, in KiB.
std::int64_t CurrentMemoryKb();
std::int64_t PeakMemoryKb();
bool ResetPeakMemory();

// Makes `levels` nested folders called `name` below `root` (by descriptor,
// so the path may be far longer than PATH_MAX), with one file "f<level>" in
// each when `fileEachLevel`. Returns the descriptor of the deepest folder
// (the caller closes it), or -1.
int MakeChain(const QByteArray &root, int levels, const QByteArray &name, bool fileEachLevel);

// Removes a tree of any depth.
bool RemoveTree(const QByteArray &path);
