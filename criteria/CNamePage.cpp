#include "criteria/CNamePage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CNamePage::CNamePage()
    : CPatternPage({
          .nPage = PAGE_NAME,
          .nTemplateId = IDD_NAME_PAGE,
          .pList = &CFileScan::m_arrNames,
          .nListId = IDC_NAME_LIST,
          .nTitleId = IDC_NAME_TITLE,
          .nTitleText = IDS_NAME_TITLE,
          .nDescriptionId = IDC_NAME_DESCRIPTION,
          .nDescriptionText = IDS_NAME_DESCRIPTION,
          .nColumnText = IDS_NAME_COLUMN,
          .nNewEntryText = IDS_NEW_NAME,
      })
{
}
