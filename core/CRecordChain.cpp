#include "core/CRecordChain.h"

#include <atomic>

namespace {

// Apart from the walk's serials, which start at 1.
std::atomic<std::uint64_t> g_nextSerial{std::uint64_t(1) << 62};

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

CRecordChain::CRecordChain(const QByteArray &root) : m_root(WithoutTrailingSlashes(root)) {}

bool CRecordChain::Attach(WalkRecord &record)
{
    record.chain = nullptr;
    record.chainLength = 0;
    const QByteArray &folder = record.folder;
    const qsizetype rootLength = m_root == "/" ? 0 : m_root.size();
    const bool below = m_root == "/" ? folder.startsWith('/')
                                     : folder.startsWith(m_root)
                                           && (folder.size() == rootLength || folder.at(rootLength) == '/');
    if (!below)
        return false;
    if (m_chain.empty())
        m_chain.push_back(WalkFolder{g_nextSerial.fetch_add(1), 0, m_root.size()});

    // The levels below the root, with where each name lies in `folder`.
    std::size_t level = 0;
    bool same = true;
    for (qsizetype at = rootLength; at < folder.size();) {
        while (at < folder.size() && folder.at(at) == '/')
            ++at;
        qsizetype end = folder.indexOf('/', at);
        if (end < 0)
            end = folder.size();
        if (end == at)
            break;
        const QByteArray name = folder.mid(at, end - at);
        same = same && level < m_names.size() && m_names[level] == name;
        if (!same) {
            m_names.resize(level);
            m_chain.resize(level + 1);
            m_names.push_back(name);
            m_chain.push_back(WalkFolder{g_nextSerial.fetch_add(1), at, end - at});
        } else {
            m_chain[level + 1].nameBegin = at;
        }
        ++level;
        at = end;
    }
    m_names.resize(level);
    m_chain.resize(level + 1);
    record.chain = m_chain.data();
    record.chainLength = int(m_chain.size());
    return true;
}
