#pragma once

#include "platform/WalkRecord.h"

#include <QByteArray>
#include <vector>

// Gives records that did not come from a walk (a list read back from a file)
// the chain of folders a walk would have given them, from the root the list
// names, so that they join a results store's folder tree as walked files do
// and an action knows each folder's depth. Records should come folder by
// folder, as a walk hands them over; a folder met again later gets new
// serials and so a second place in the tree, which does no harm.
class CRecordChain
{
public:
    explicit CRecordChain(const QByteArray &root);

    // Points `record.chain` at the chain of `record.folder`, valid until the
    // next call; false (and no chain) when the folder is not the root or
    // below it.
    bool Attach(WalkRecord &record);

private:
    QByteArray m_root;
    std::vector<QByteArray> m_names;
    std::vector<WalkFolder> m_chain;
};
