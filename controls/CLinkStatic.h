#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <functional>

// A static text that is a web link: underlined, blue until visited, in the
// highlight colour while the mouse is over it, with a hand cursor and its
// address as tooltip. A click opens the address; a failure beeps and says why.
class CLinkStatic : public QLabel
{
    Q_OBJECT

public:
    // Opens an address and returns the result code of the attempt (above 32
    // when it opened). Tests put their own in place of the real one.
    using Opener = std::function<int(const QString &address)>;

    explicit CLinkStatic(QWidget *parent = nullptr);
    ~CLinkStatic() override;

    // Takes the control over once its text, font, alignment and place are
    // set: address and text complete each other, the link font is made,
    // the window fits its text, and cursor and tooltip are set.
    void Attach();

    void SetURL(const QString &address);
    QString GetURL() const { return m_strURL; }
    void SetOpener(Opener opener);
    void SetUnderline(bool bUnderline);
    void SetAutoSize(bool bFitToText) { m_bFitToText = bFitToText; }

    QColor GetLinkColour() const { return m_crLinkColour; }
    bool IsOver() const { return m_bOverControl; }
    bool IsVisited() const { return m_bVisited; }
    // The colour the text is painted in now.
    QColor TextColour() const;

    // Resizes the window to its text in the link font, keeping the side (or
    // the middle) that the alignment anchors it to.
    void PositionWindow();

    // The address through the desktop's "open", else the default browser.
    static int OpenLink(const QString &address);
    // What the user is told when opening failed with `result`.
    static QString ErrorText(int result);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

public:
    // A click on the link (also an assistive tool's press): opens the
    // address, marks the link visited or reports the failure.
    void OnClicked();

private:
    void SetOver(bool bOver);

    QColor m_crLinkColour;
    QColor m_crVisitedColour;
    QColor m_crHoverColour;
    bool m_bOverControl = false;
    bool m_bVisited = false;
    bool m_bUnderline = true;
    bool m_bFitToText = true;
    bool m_bPressed = false;
    QString m_strURL;
    QFont m_fontLink;
    Opener m_opener;
};
