#pragma once

#include "wizard/CWizardPage.h"
#include "controls/CImageList.h"
#include "platform/CFixedDrives.h"

#include <QList>
#include <functional>

class CFlatFrameCombo;

// The drive to search: one entry per fixed drive of the machine, read once
// when the page is first shown.
class CDrivePage : public CWizardPage
{
    Q_OBJECT

public:
    // Gives the fixed drives to list; tests describe their own.
    using DriveSource = std::function<QList<FixedDrive>()>;

    explicit CDrivePage(DriveSource source = {});
    ~CDrivePage() override;

    // Must be set before the page is first shown.
    void SetDriveSource(DriveSource source);

    // "<mount point> ( <label> )".
    static QString DriveEntryText(const FixedDrive &drive);

    // Without any drive there is nothing to search.
    bool IsComplete() const override { return !m_drives.isEmpty(); }
    bool UpdateData(bool bSaveAndValidate = true) override;
    void OnNextButton() override;
    void OnBackButton() override;


    const CImageList &GetDriveImages() const { return m_imlDrives; }
    CFlatFrameCombo *GetDriveCombo() const { return m_cboDrives; }

protected:
    void OnInitDialog() override;

private:
    CImageList m_imlDrives;
    CFlatFrameCombo *m_cboDrives = nullptr;
    void FillDriveList();

    DriveSource m_source;
    QList<FixedDrive> m_drives;
};
