#pragma once

#include "platform/CFileDeleter.h"
#include "core/CActionStep.h"

#include <QByteArray>

class CResultStore;

// Deletes a listed file for good, provided it is still the file the walk
// found (same device and inode, reached without following links).
class CDeleteStep : public CActionStep
{
public:
    // `driveRoot` is the root of the scanned drive, as raw bytes.
    CDeleteStep(const CResultStore &store, const QByteArray &driveRoot);

    int GetStatusTextId() const override;
    int GetFailedMessageId() const override;
    bool ChangesDisk() const override { return true; }
    FileOpResult Run(int index) override;

private:
    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    CFileDeleter m_deleter;
};
