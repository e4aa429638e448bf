#pragma once

#include <QWidget>

class QFontMetrics;

// One line of text on the button face, shortened to fit: with a path ellipsis
// the middle of a path gives way so that the file name at its end stays
// visible; otherwise the end gives way. Only the text set with SetWindowText
// is painted.
class CEllipsisStatic : public QWidget
{
    Q_OBJECT

public:
    // `nFormat`: Qt alignment and text flags (left and vertically centred
    // when zero); `bPathEllipsis`: nonzero shortens in the middle of the path.
    explicit CEllipsisStatic(int nFormat = 0, int bPathEllipsis = 1, QWidget *parent = nullptr);

    void SetWindowText(const QString &text);
    QString GetWindowText() const { return m_strText; }

    // `text` shortened to at most `width` pixels in `metrics`.
    static QString PathEllipsis(const QString &text, const QFontMetrics &metrics, int width);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_strText;
    int m_nFormat;
    int m_bPathEllipsis;
};
