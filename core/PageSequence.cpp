#include "core/PageSequence.h"

#include "core/CFileScan.h"

bool IsCriterionPageSelected(const CFileScan &scan, int page)
{
    switch (page) {
    case PAGE_LOCATION: return scan.m_bLocation != 0;
    case PAGE_NAME: return scan.m_bName != 0;
    case PAGE_EXTENSION: return scan.m_bExtension != 0;
    case PAGE_SIZE: return scan.m_bSize != 0;
    case PAGE_CREATION: return scan.m_bCreation != 0;
    case PAGE_MODIFIED: return scan.m_bModified != 0;
    case PAGE_ACCESSED: return scan.m_bAccessed != 0;
    default: return false;
    }
}

int NextPage(const CFileScan &scan, int page)
{
    switch (page) {
    case PAGE_METHOD:
        return scan.m_bExpress ? PAGE_DRIVE : PAGE_CRITERIA;
    case PAGE_CRITERIA:
        return PAGE_DRIVE;
    case PAGE_RESULTS:
        return PAGE_METHOD;
    default:
        break;
    }
    if (page == PAGE_DRIVE && scan.m_bExpress)
        return PAGE_RESULTS;
    if (page < PAGE_DRIVE || page > PAGE_ACCESSED)
        return PAGE_METHOD;
    for (int candidate = page + 1; candidate <= PAGE_ACCESSED; ++candidate) {
        if (IsCriterionPageSelected(scan, candidate))
            return candidate;
    }
    return PAGE_RESULTS;
}

int BackPage(const CFileScan &scan, int page)
{
    switch (page) {
    case PAGE_METHOD:
    case PAGE_RESULTS:
        return page;
    case PAGE_CRITERIA:
        return PAGE_METHOD;
    case PAGE_DRIVE:
        return scan.m_bExpress ? PAGE_METHOD : PAGE_CRITERIA;
    default:
        break;
    }
    if (page < PAGE_LOCATION || page > PAGE_ACCESSED)
        return PAGE_METHOD;
    for (int candidate = page - 1; candidate >= PAGE_LOCATION; --candidate) {
        if (IsCriterionPageSelected(scan, candidate))
            return candidate;
    }
    return PAGE_DRIVE;
}
