#include "cli/COutput.h"

#include "platform/CPathInfo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

void COutput::Flush()
{
    if (m_buffer.isEmpty())
        return;
    if (m_error == 0) {
        errno = 0;
        const std::size_t size = std::size_t(m_buffer.size());
        if (std::fwrite(m_buffer.constData(), 1, size, m_stream) != size || std::fflush(m_stream) != 0)
            m_error = errno != 0 ? errno : EIO;
    }
    m_buffer.clear();
}

bool COutput::TakesControlSequences(int fd)
{
    const char *term = std::getenv("TERM");
    return term && *term && std::strcmp(term, "dumb") != 0 && CPathInfo::IsTerminal(fd);
}
