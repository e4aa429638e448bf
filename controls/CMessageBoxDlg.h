#pragma once

#include <QDialog>
#include <QString>

class CFlatPushButton;
class QLabel;

// The program's own message box: the product name as caption, buttons labelled
// from the string table, a width that grows to fit the longest line of the
// text and a height that grows to show every line. The first button answers IDOK, the second IDCANCEL, and so do
// Escape and the close box. Enter presses the focused button, not a default.
class CMessageBoxDlg : public QDialog
{
    Q_OBJECT

public:
    enum Style { StyleOk = 0, StyleOkCancel = 1, StyleYesNo = 4 };

    explicit CMessageBoxDlg(QWidget *parent, int nStyle = StyleOk);

    // Builds a box of `nStyle` showing `text` and runs it; returns IDOK or IDCANCEL.
    static int Show(QWidget *parent, int nStyle, const QString &text);

    void setVisible(bool visible) override;
    void done(int result) override;
    void accept() override;
    void reject() override;

    CFlatPushButton *GetOkButton() const { return m_btnOk; }
    CFlatPushButton *GetCancelButton() const { return m_btnCancel; }
    QLabel *GetTextStatic() const { return m_wndText; }

    // Set by the caller before the box is shown.
    void SetText(const QString &text) { m_strText = text; }
    const QString &GetText() const { return m_strText; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_strText;

    void OnInitDialog();
    void SetButtons();
    void WidenToLongestLine();
    void HeightenToEveryLine();
    void OnCommand(int id);

    CFlatPushButton *m_btnCancel;
    CFlatPushButton *m_btnOk;
    QLabel *m_wndText;
    QLabel *m_wndIcon;
    int m_nStyle;
    bool m_bInitialised = false;
};
