#pragma once

#include <QPixmap>
#include <QWidget>

// The picture shown while the program starts: borderless, above other
// windows, centred on the screen, without a taskbar entry. It removes itself
// when its timer fires or when the user clicks or presses a key on it.
// Always created on the heap: it deletes itself.
class CSplashWnd : public QWidget
{
    Q_OBJECT

public:
    CSplashWnd(int nBitmapId, unsigned int nDelay);
    ~CSplashWnd() override;

    // Loads the picture, shows the window at once and starts the timer.
    // Returns false, showing nothing, when the picture cannot be loaded.
    bool ShowSplash();

    int TimerId() const { return m_nTimer; }

signals:
    // Emitted just before the window goes away, for whoever waits on it.
    void removed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool event(QEvent *event) override;

private:
    void Remove();

    int m_nBitmapId;
    unsigned int m_nDelay;
    int m_nTimer = 0;
    QPixmap m_bmpSplash;
    bool m_bRemoving = false;
};
