#pragma once

#include <QByteArray>

// The path with every symbolic link, "." and ".." resolved, as raw bytes;
// `path` itself (without trailing slashes) when it cannot be resolved.
QByteArray RealPath(const QByteArray &path);

// The current user's home folder: $HOME, else the account database's entry;
// empty when neither names one.
QByteArray HomeFolder();
