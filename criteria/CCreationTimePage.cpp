#include "criteria/CCreationTimePage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CCreationTimePage::CCreationTimePage()
    : CTimePage({
          .nPage = PAGE_CREATION,
          .nTemplateId = IDD_CREATION_TIME_PAGE,
          .pMode = &CFileScan::m_nCreationMode,
          .pFrom = &CFileScan::m_timeCreationFrom,
          .pTo = &CFileScan::m_timeCreationTo,
          .nTitleId = IDC_CREATION_TITLE,
          .nTitleText = IDS_CREATION_TITLE,
          .nDescriptionId = IDC_CREATION_DESCRIPTION,
          .nDescriptionText = IDS_CREATION_DESCRIPTION,
      })
{
}
