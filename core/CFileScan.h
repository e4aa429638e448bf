#pragma once

#include "platform/CTime.h"

#include <QString>
#include <QStringList>
#include <functional>

// The one record of everything the user chooses in the wizard. The pages
// write it, the scan reads it, Restart puts it back to its defaults.
class CFileScan
{
public:
    // Gives "now"; tests replace it to build the default dates on a chosen day.
    using Clock = std::function<CTime()>;

    explicit CFileScan(Clock clock = {});
    virtual ~CFileScan();

    CFileScan(const CFileScan &) = default;
    CFileScan &operator=(const CFileScan &) = default;

    void Reset();

    int m_bExpress;
    int m_bLocation;
    int m_bName;
    int m_bExtension;
    int m_bSize;
    int m_bCreation;
    int m_bModified;
    int m_bAccessed;
    int m_nDrive;
    int m_nSizeMode;
    int m_nCreationMode;
    int m_nModifiedMode;
    int m_nAccessedMode;
    // Root of the drive to scan: the mount point ("/", "/home").
    QString m_strDrive;
    QStringList m_arrLocations;
    QStringList m_arrNames;
    QStringList m_arrExtensions;
    // Sizes in thousands of bytes, as the size page shows them.
    long m_nSizeFrom;
    long m_nSizeTo;
    CTime m_timeCreationFrom;
    CTime m_timeCreationTo;
    CTime m_timeModifiedFrom;
    CTime m_timeModifiedTo;
    CTime m_timeAccessedFrom;
    CTime m_timeAccessedTo;

private:
    Clock m_clock;
};
