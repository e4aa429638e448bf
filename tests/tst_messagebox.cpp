#include <QtTest>

#include "controls/CFlatPushButton.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CMessageBoxDlg.h"

#include <QLabel>
#include <QTimer>

namespace {

QRect TemplateRect(int id)
{
    QWidget probe;
    PlaceControl(&probe, *FindDialogTemplate(IDD_MESSAGE_BOX), id);
    return probe.geometry();
}

QSize TemplateSize() { return DialogPixelSize(*FindDialogTemplate(IDD_MESSAGE_BOX)); }

// Sends a key to whatever has the keyboard focus, as the user's key would.
void PressOnFocus(QWidget *window, Qt::Key key)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, key);
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(FindDialogTemplate(IDD_MESSAGE_BOX)); }

    void stylesLabelTheirButtons_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("secondShown");
        QTest::newRow("Ok") << 0 << "&Ok" << "&Cancel" << false;
        QTest::newRow("Ok and Cancel") << 1 << "&Ok" << "&Cancel" << true;
        QTest::newRow("Yes and No") << 4 << "&Yes" << "&No" << true;
        QTest::newRow("unknown style keeps the template") << 3 << "&Ok" << "&Cancel" << true;
    }
    void stylesLabelTheirButtons()
    {
        QFETCH(int, style);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, secondShown);
        CMessageBoxDlg box(nullptr, style);
        box.SetText(QStringLiteral("Text"));
        box.show();
        QCOMPARE(box.windowTitle(), QStringLiteral("Brimvale"));
        QCOMPARE(box.GetTextStatic()->text(), QStringLiteral("Text"));
        QCOMPARE(box.GetOkButton()->text(), first);
        QCOMPARE(box.GetCancelButton()->text(), second);
        QCOMPARE(box.GetCancelButton()->isVisible(), secondShown);
        QCOMPARE(box.GetOkButton()->geometry() == TemplateRect(IDOK), secondShown);
    }

    void singleButtonSitsMidwayBetweenTheTwoPlaces()
    {
        CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleOk);
        box.show();
        const QRect first = TemplateRect(IDOK);
        const QRect second = TemplateRect(IDCANCEL);
        const QRect ok = box.GetOkButton()->geometry();
        QCOMPARE(ok.x(), (first.x() + second.x()) / 2);
        QCOMPARE(ok.x() + ok.width(), (first.x() + first.width() + second.x() + second.width()) / 2);
        QCOMPARE(ok.y(), first.y());
        QCOMPARE(ok.height(), first.height());
        // The box is centred on screen, so the button is centred in the box.
        QVERIFY(qAbs(ok.center().x() - box.width() / 2) <= 2);
    }

    void widensToTheLongestLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("longest");
        const QString wide = QStringLiteral("This line is clearly wider than the message area of the box, by far");
        QTest::newRow("first line") << wide + QStringLiteral("\nshort") << wide;
        QTest::newRow("middle line") << QStringLiteral("a\n") + wide + QStringLiteral("\nb") << wide;
        QTest::newRow("last line, after the last line feed") << QStringLiteral("\nshort\n") + wide << wide;
    }
    void widensToTheLongestLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, longest);
        CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
        box.SetText(text);
        box.show();
        const int needed = QFontMetrics(box.GetTextStatic()->font()).horizontalAdvance(longest);
        const int staticWidth = TemplateRect(IDC_MESSAGE_TEXT).width();
        QVERIFY(needed > staticWidth);
        const int grow = box.GetTextStatic()->width() - staticWidth;
        QVERIFY(box.GetTextStatic()->width() >= needed);
        QVERIFY(box.GetTextStatic()->width() <= needed + 1);
        QCOMPARE(box.width(), TemplateSize().width() + grow);
        // Taller only by what a third line needs, with the buttons below it.
        const int down = box.GetTextStatic()->height() - TemplateRect(IDC_MESSAGE_TEXT).height();
        QCOMPARE(box.height(), TemplateSize().height() + down);
        QCOMPARE(box.GetOkButton()->y(), TemplateRect(IDOK).y() + down);
        QCOMPARE(box.GetOkButton()->x(), TemplateRect(IDOK).x() + grow / 2);
        QCOMPARE(box.GetCancelButton()->x(), TemplateRect(IDCANCEL).x() + grow / 2);
    }

    // Every line of the text shows on one line of the box: measured as the
    // static draws it, never by a width rounded to whole pixels. Besides the
    // real question, lines are made up whose width overshoots the static
    // by less than half a pixel, where rounding would hide the overshoot.
    void noLineBreaksBeforeItsEnd()
    {
        QStringList texts{LoadString(IDS_CONFIRM_DELETE), LoadString(IDS_CONFIRM_DELETE).repeated(2)};
        {
            CMessageBoxDlg probe(nullptr, CMessageBoxDlg::StyleYesNo);
            const QFontMetricsF metrics(probe.GetTextStatic()->font(), probe.GetTextStatic());
            const qreal room = TemplateRect(IDC_MESSAGE_TEXT).width();
            int found = 0;
            for (int wide = 0; wide < 60 && found < 3; ++wide) {
                for (int narrow = 0; narrow < 40 && found < 3; ++narrow) {
                    const QString line = QString(wide, QLatin1Char('m')) + QString(narrow, QLatin1Char('i'))
                                       + QStringLiteral(" files ?");
                    const qreal width = metrics.horizontalAdvance(line);
                    if (width > room && width < room + 0.5) {
                        texts << QStringLiteral("\n") + line;
                        ++found;
                    }
                }
            }
        }
        for (const QString &text : texts) {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
            box.SetText(text);
            box.show();
            QLabel *label = box.GetTextStatic();
            const QFontMetrics metrics(label->font(), label);
            for (const QString &line : text.split(QLatin1Char('\n'))) {
                const QRect laidOut = metrics.boundingRect(label->contentsRect(),
                                                           int(label->alignment()) | Qt::TextWordWrap, line);
                QVERIFY2(laidOut.height() <= metrics.lineSpacing(), qPrintable(line));
            }
            // The buttons stay inside the box.
            QVERIFY(box.rect().contains(box.GetCancelButton()->geometry()));
        }
    }

    // Texts of more lines than the template's static holds: the box grows
    // down until every line shows, the buttons below the text.
    void growsDownToShowEveryLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("link error 31") << LoadString(IDS_LINK_ERROR) + LoadString(IDS_LINK_NO_ASSOC);
        QTest::newRow("link error 30") << LoadString(IDS_LINK_ERROR) + LoadString(IDS_LINK_DDE_BUSY);
        QTest::newRow("library in two folders")
            << LoadString(IDS_CANT_LOAD_LIBRARY).replace("%s", "/usr/bin/libcomp.so\n/usr/lib/brimvale/libcomp.so");
        QTest::newRow("eight short lines") << QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8");
    }
    void growsDownToShowEveryLine()
    {
        QFETCH(QString, text);
        CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleOk);
        box.SetText(text);
        box.show();
        QLabel *label = box.GetTextStatic();
        const QRect room = label->contentsRect();
        const QRect laidOut = QFontMetrics(label->font(), label)
                                  .boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, text);
        QVERIFY2(laidOut.height() <= room.height(), qPrintable(QString("%1 > %2").arg(laidOut.height()).arg(room.height())));
        QVERIFY(label->height() > TemplateRect(IDC_MESSAGE_TEXT).height());
        QVERIFY(box.GetOkButton()->y() >= label->geometry().bottom());
        QVERIFY(box.rect().contains(box.GetOkButton()->geometry()));
        QCOMPARE(box.height() - TemplateSize().height(), label->height() - TemplateRect(IDC_MESSAGE_TEXT).height());
    }

    void isAPlainDialogWindowWithCaption()
    {
        QWidget page;
        for (QWidget *parent : {static_cast<QWidget *>(nullptr), &page}) {
            CMessageBoxDlg box(parent, CMessageBoxDlg::StyleOk);
            box.SetText(QStringLiteral("x"));
            box.show();
            QVERIFY(box.isWindow());
            const Qt::WindowFlags flags = box.windowFlags();
            QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
            QVERIFY(flags.testFlag(Qt::WindowTitleHint));
            QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
            QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
            QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
            QCOMPARE(box.windowTitle(), QStringLiteral("Brimvale"));
            box.reject();
        }
    }

    void shortOrEmptyTextKeepsTheTemplateSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("delete question") << QStringLiteral("\nAre you sure?");
    }
    void shortOrEmptyTextKeepsTheTemplateSize()
    {
        QFETCH(QString, text);
        CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
        box.SetText(text);
        box.show();
        QCOMPARE(box.size(), TemplateSize());
        QCOMPARE(box.GetTextStatic()->geometry(), TemplateRect(IDC_MESSAGE_TEXT));
    }

    void answers()
    {
        // Enter presses the focused button, even the second one.
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
            box.show();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            QCOMPARE(QApplication::focusWidget(), box.GetOkButton());
            PressOnFocus(&box, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), box.GetCancelButton());
            PressOnFocus(&box, Qt::Key_Return);
            QVERIFY(!box.isVisible());
            QCOMPARE(box.result(), IDCANCEL);
        }
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
            box.show();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            PressOnFocus(&box, Qt::Key_Enter);
            QCOMPARE(box.result(), IDOK);
        }
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
            box.show();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            PressOnFocus(&box, Qt::Key_Escape);
            QVERIFY(!box.isVisible());
            QCOMPARE(box.result(), IDCANCEL);
        }
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleYesNo);
            box.show();
            QVERIFY(box.close());
            QCOMPARE(box.result(), IDCANCEL);
        }
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleOkCancel);
            box.show();
            QTest::mouseClick(box.GetCancelButton(), Qt::LeftButton);
            QCOMPARE(box.result(), IDCANCEL);
        }
        // Even with its Cancel button hidden, the Ok box answers Escape.
        {
            CMessageBoxDlg box(nullptr, CMessageBoxDlg::StyleOk);
            box.show();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            PressOnFocus(&box, Qt::Key_Escape);
            QCOMPARE(box.result(), IDCANCEL);
        }
    }

    void modalRunReturnsTheAnswer()
    {
        QTimer::singleShot(0, [] {
            auto *box = qobject_cast<CMessageBoxDlg *>(QApplication::activeModalWidget());
            if (box)
                QTest::mouseClick(box->GetOkButton(), Qt::LeftButton);
        });
        QCOMPARE(CMessageBoxDlg::Show(nullptr, CMessageBoxDlg::StyleYesNo, QStringLiteral("Sure?")), IDOK);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
