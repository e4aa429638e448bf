#pragma once

class CFileScan;

// Positions of the pages in the wizard sheet. Navigation works on these only.
enum PageIndex : int {
    PAGE_METHOD = 0,
    PAGE_CRITERIA = 1,
    PAGE_DRIVE = 2,
    PAGE_LOCATION = 3,
    PAGE_NAME = 4,
    PAGE_EXTENSION = 5,
    PAGE_SIZE = 6,
    PAGE_CREATION = 7,
    PAGE_MODIFIED = 8,
    PAGE_ACCESSED = 9,
    PAGE_RESULTS = 10,
    PAGE_COUNT = 11
};

// Whether the criterion edited on `page` (3..9) is switched on in `scan`.
// Pages that edit no criterion are never "selected".
bool IsCriterionPageSelected(const CFileScan &scan, int page);

// The page the Next button leads to from `page`. Express goes from the drive
// page straight to the results; Custom visits each selected criterion page in
// index order and then the results. Next on the results page (Restart) leads
// back to the method page.
int NextPage(const CFileScan &scan, int page);

// The page the Back button leads to from `page`, retracing NextPage. The
// method and results pages have no way back: they lead to themselves.
int BackPage(const CFileScan &scan, int page);
