#include "core/CFileScan.h"


CFileScan::CFileScan(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(&CTime::GetCurrentTime))
{
    Reset();
}

CFileScan::~CFileScan()
{
    m_arrLocations.clear();
    m_arrNames.clear();
    m_arrExtensions.clear();
}

void CFileScan::Reset()
{
    m_bExpress = 1;
    m_bLocation = 0;
    m_bName = 0;
    m_bExtension = 0;
    m_bSize = 0;
    m_bCreation = 0;
    m_bModified = 0;
    m_bAccessed = 0;
    m_nDrive = 0;

    // The root mount point stands where the first fixed drive would be.
    m_strDrive = QStringLiteral("/");

    m_arrLocations = {QStringLiteral("Temp"), QStringLiteral("Tmp"), QStringLiteral("Cache"),
                      QStringLiteral("Debug"), QStringLiteral("Release")};
    m_arrNames = {QStringLiteral("*")};
    m_arrExtensions = {QStringLiteral("aps"), QStringLiteral("bak"), QStringLiteral("bsc"),
                       QStringLiteral("ilk"), QStringLiteral("log"), QStringLiteral("ncb"),
                       QStringLiteral("old"), QStringLiteral("obj"), QStringLiteral("pch"),
                       QStringLiteral("rws"), QStringLiteral("sbr"), QStringLiteral("tmp"),
                       QStringLiteral("$$$")};

    m_nSizeFrom = 1024;
    m_nSizeTo = 20000;
    m_nSizeMode = 2;

    m_nCreationMode = 0;
    m_nModifiedMode = 0;
    m_nAccessedMode = 0;

    // "Now" is read once so that all three pairs fall on the same day even
    // when the clock passes midnight meanwhile. A From built on 29 February
    // lands on 1 March of the year before, as mktime normalises it.
    const CTime now = m_clock();
    const int year = now.GetYear();
    const int month = now.GetMonth();
    const int day = now.GetDay();

    m_timeCreationTo = CTime(year, month, day, 23, 59, 59);
    m_timeCreationFrom = CTime(year - 1, month, day, 0, 0, 0);
    m_timeModifiedTo = CTime(year, month, day, 23, 59, 59);
    m_timeModifiedFrom = CTime(year - 1, month, day, 0, 0, 0);
    m_timeAccessedTo = CTime(year, month, day, 23, 59, 59);
    m_timeAccessedFrom = CTime(year - 1, month, day, 0, 0, 0);
}
