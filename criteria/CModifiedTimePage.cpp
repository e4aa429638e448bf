#include "criteria/CModifiedTimePage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CModifiedTimePage::CModifiedTimePage()
    : CTimePage({
          .nPage = PAGE_MODIFIED,
          .nTemplateId = IDD_MODIFIED_TIME_PAGE,
          .pMode = &CFileScan::m_nModifiedMode,
          .pFrom = &CFileScan::m_timeModifiedFrom,
          .pTo = &CFileScan::m_timeModifiedTo,
          .nTitleId = IDC_MODIFIED_TITLE,
          .nTitleText = IDS_MODIFIED_TITLE,
          .nDescriptionId = IDC_MODIFIED_DESCRIPTION,
          .nDescriptionText = IDS_MODIFIED_DESCRIPTION,
      })
{
}
