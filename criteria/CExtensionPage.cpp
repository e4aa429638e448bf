#include "criteria/CExtensionPage.h"

#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

CExtensionPage::CExtensionPage()
    : CPatternPage({
          .nPage = PAGE_EXTENSION,
          .nTemplateId = IDD_EXTENSION_PAGE,
          .pList = &CFileScan::m_arrExtensions,
          .nListId = IDC_EXTENSION_LIST,
          .nTitleId = IDC_EXTENSION_TITLE,
          .nTitleText = IDS_EXTENSION_TITLE,
          .nDescriptionId = IDC_EXTENSION_DESCRIPTION,
          .nDescriptionText = IDS_EXTENSION_DESCRIPTION,
          .nColumnText = IDS_EXTENSION_COLUMN,
          .nNewEntryText = IDS_NEW_EXTENSION,
      })
{
}
