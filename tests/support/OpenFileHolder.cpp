#include "OpenFileHolder.h"

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

OpenFileHolder::OpenFileHolder(const QByteArray &path, bool bLock, bool bUnlink)
{
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return;
    m_child = ::fork();
    if (m_child == 0) {
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW);
        const char c = fd >= 0 && (!bLock || ::flock(fd, LOCK_EX | LOCK_NB) == 0)
                               && (!bUnlink || ::unlink(path.constData()) == 0)
                           ? 'r'
                           : 'x';
        if (::write(ready[1], &c, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    m_bHolding = m_child > 0 && ::read(ready[0], &c, 1) == 1 && c == 'r';
    ::close(ready[0]);
}

OpenFileHolder::~OpenFileHolder()
{
    stop();
}

void OpenFileHolder::stop()
{
    // Once only: a second kill could reach a process that took its number.
    if (m_child > 0) {
        ::kill(m_child, SIGKILL);
        ::waitpid(m_child, nullptr, 0);
    }
    m_child = -1;
    m_bHolding = false;
}
