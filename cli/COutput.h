#pragma once

#include <QByteArray>
#include <cstdio>

// Standard output in large pieces: a scan of a whole drive writes millions of
// short lines, and one write per line would cost more than the walk itself.
class COutput
{
public:
    explicit COutput(std::FILE *stream) : m_stream(stream) { m_buffer.reserve(kFlushSize + 4096); }
    ~COutput() { Flush(); }
    COutput(const COutput &) = delete;
    COutput &operator=(const COutput &) = delete;

    QByteArray &Buffer() { return m_buffer; }
    // Whether enough has gathered to be written out.
    bool IsDue() const { return m_buffer.size() >= kFlushSize; }
    void MaybeFlush()
    {
        if (IsDue())
            Flush();
    }
    void Flush();
    // False once a write failed (a closed pipe, a full disk); `Error` says why.
    bool IsOk() const { return m_error == 0; }
    int Error() const { return m_error; }

    // Whether `fd` is a terminal that takes control sequences (a progress
    // line redrawn in place): not when TERM is unset or "dumb".
    static bool TakesControlSequences(int fd);

private:
    static constexpr qsizetype kFlushSize = 256 * 1024;
    std::FILE *m_stream;
    QByteArray m_buffer;
    int m_error = 0;
};
