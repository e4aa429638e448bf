#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text of a string id with its %s and %d fields filled in order from `args`.
QString CliText(int id, const QStringList &args = {});

// A path as it may appear in a message: escaped, so that a name holding a
// line break or a terminal control cannot garble or forge the report.
QByteArray EscapeForMessage(const QByteArray &path);

// "brimvale-cli: <message>" and a line break on standard error.
void PrintError(const QString &message);
