#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

// Runs a program, never through a shell, and hands what it writes on
// standard output to a handler one line at a time, as it comes: output of
// any length costs no more memory here than its longest line. Standard input
// is empty; the first few KiB of standard error are kept for the message
// when the program fails. The program gets our environment with the locale
// set to C, so that what it writes is not translated, and without the
// variables the caller names.
class CCommandPipe
{
public:
    // `line` points at the line's bytes without its line break.
    using LineHandler = std::function<void(const char *line, std::size_t length)>;

    explicit CCommandPipe(QList<QByteArray> droppedVariables = {});

    // `program` is looked up in PATH unless it holds a slash. True when the
    // program ran to its end and exited with status 0.
    bool Run(const QByteArray &program, const QList<QByteArray> &args, const LineHandler &handler);

    // Why the last Run returned false: the program could not be started,
    // was killed, or exited with a status (and what it wrote on stderr).
    const QString &GetError() const { return m_strError; }
    std::int64_t GetBytesRead() const { return m_nBytesRead; }

private:
    QList<QByteArray> m_droppedVariables;
    QString m_strError;
    std::int64_t m_nBytesRead = 0;
};
