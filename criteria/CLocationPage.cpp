#include "criteria/CLocationPage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CLocationPage::CLocationPage()
    : CPatternPage({
          .nPage = PAGE_LOCATION,
          .nTemplateId = IDD_LOCATION_PAGE,
          .pList = &CFileScan::m_arrLocations,
          .nListId = IDC_LOCATION_LIST,
          .nTitleId = IDC_LOCATION_TITLE,
          .nTitleText = IDS_LOCATION_TITLE,
          .nDescriptionId = IDC_LOCATION_DESCRIPTION,
          .nDescriptionText = IDS_LOCATION_DESCRIPTION,
          .nColumnText = IDS_FOLDER_COLUMN,
          .nNewEntryText = IDS_NEW_FOLDER,
      })
{
}
