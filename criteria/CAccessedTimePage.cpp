#include "criteria/CAccessedTimePage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CAccessedTimePage::CAccessedTimePage()
    : CTimePage({
          .nPage = PAGE_ACCESSED,
          .nTemplateId = IDD_ACCESSED_TIME_PAGE,
          .pMode = &CFileScan::m_nAccessedMode,
          .pFrom = &CFileScan::m_timeAccessedFrom,
          .pTo = &CFileScan::m_timeAccessedTo,
          .nTitleId = IDC_ACCESSED_TITLE,
          .nTitleText = IDS_ACCESSED_TITLE,
          .nDescriptionId = IDC_ACCESSED_DESCRIPTION,
          .nDescriptionText = IDS_ACCESSED_DESCRIPTION,
      })
{
}
