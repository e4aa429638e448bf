#include "platform/CPluginLibrary.h"

#include <climits>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ExecutableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || std::size_t(n) >= sizeof buffer)
        return QByteArray();
    QByteArray path(buffer, int(n));
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

} // namespace

QList<QByteArray> CPluginLibrary::DefaultFolders()
{
    const QByteArray own = ExecutableFolder();
    if (own.isEmpty())
        return {};
    return {own, Join(own, "../lib/brimvale")};
}

CPluginLibrary::Status CPluginLibrary::Load(const QList<QByteArray> &folders, const QByteArray &fileName,
                                            const char *entryName)
{
    m_pEntry = nullptr;
    m_strError.clear();
    QList<QByteArray> tried;
    for (const QByteArray &folder : folders) {
        const QByteArray path = Join(folder, fileName);
        tried.append(path);
        struct stat info;
        if (::stat(path.constData(), &info) != 0)
            continue;
        m_strPath = path;
        // Bound at once: a damaged library fails here, not at its first call.
        void *handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char *error = ::dlerror();
            m_strError = error ? QByteArray(error) : QByteArray();
            return Status::MissingLibrary;
        }
        m_pHandle = handle;
        ::dlerror();
        m_pEntry = ::dlsym(handle, entryName);
        if (!m_pEntry) {
            const char *error = ::dlerror();
            m_strError = error ? QByteArray(error) : QByteArray();
            return Status::MissingEntry;
        }
        return Status::Loaded;
    }
    m_strPath = tried.join('\n');
    return Status::MissingLibrary;
}

void *CPluginLibrary::GetOptionalEntry(const char *name) const
{
    return m_pHandle ? ::dlsym(m_pHandle, name) : nullptr;
}

void *CPluginLibrary::FindSibling(const void *entry, const char *name)
{
    Dl_info info;
    if (!entry || !name || ::dladdr(entry, &info) == 0 || !info.dli_fname || !info.dli_fbase)
        return nullptr;
    // Only a library already loaded is looked at; the program's own
    // executable (a stand-in entry point in a test) is not a plug-in.
    void *handle = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    void *sibling = ::dlsym(handle, name);
    Dl_info where;
    // The name must be the library's own, not one it reaches elsewhere.
    if (sibling && (::dladdr(sibling, &where) == 0 || where.dli_fbase != info.dli_fbase))
        sibling = nullptr;
    ::dlclose(handle); // drops only this look's reference; Load's stays
    return sibling;
}
