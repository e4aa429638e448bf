#pragma once

#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QList>
#include <vector>

// Records as the walk hands them over, chain of folders included, without a
// real tree: each File() call moves to a folder the way a depth-first walk
// would (keeping the folders it shares with the previous one) and describes
// a file there. The record stays valid until the next call.
class SimulatedWalk
{
public:
    explicit SimulatedWalk(const QByteArray &root) : m_root(root), m_rootSerial(++NextSerial()) {}

    const WalkRecord &File(const QByteArray &relative, const QByteArray &name)
    {
        const QList<QByteArray> parts = relative.isEmpty() ? QList<QByteArray>() : relative.split('/');
        std::size_t shared = 0;
        while (shared < std::size_t(parts.size()) && shared < m_names.size() && m_names[shared] == parts[qsizetype(shared)])
            ++shared;
        m_names.resize(shared);
        m_serials.resize(shared);
        for (std::size_t i = shared; i < std::size_t(parts.size()); ++i) {
            m_names.push_back(parts[qsizetype(i)]);
            m_serials.push_back(++NextSerial());
        }
        m_record = WalkRecord();
        m_record.folder = m_root;
        m_chain.clear();
        m_chain.push_back(WalkFolder{m_rootSerial, 0, m_root.size()});
        for (std::size_t i = 0; i < m_names.size(); ++i) {
            if (!m_record.folder.endsWith('/'))
                m_record.folder += '/';
            m_chain.push_back(WalkFolder{m_serials[i], m_record.folder.size(), m_names[i].size()});
            m_record.folder += m_names[i];
        }
        // No listing was read: every folder may hold a backup's "config".
        for (WalkFolder &folder : m_chain)
            folder.configListed = true;
        m_record.name = name;
        m_record.chain = m_chain.data();
        m_record.chainLength = int(m_chain.size());
        return m_record;
    }

    // The same file as a hand-made record, without the chain.
    WalkRecord Plain() const
    {
        WalkRecord plain = m_record;
        plain.chain = nullptr;
        plain.chainLength = 0;
        return plain;
    }

private:
    // Serials of the real walk never repeat; neither do these.
    static std::uint64_t &NextSerial()
    {
        static std::uint64_t serial = std::uint64_t(1) << 62;
        return serial;
    }

    QByteArray m_root;
    std::uint64_t m_rootSerial;
    std::vector<QByteArray> m_names;
    std::vector<std::uint64_t> m_serials;
    std::vector<WalkFolder> m_chain;
    WalkRecord m_record;
};
