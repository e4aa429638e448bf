#include <QtTest>

#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CHelpFile.h"
#include "platform/WalkRecord.h"

#include <QRegularExpression>
#include <QSet>

namespace {

// What a look through an HTML text found wrong, one line per fault.
QStringList checkHtml(const QString &html)
{
    static const QSet<QString> voidElements{"meta", "br", "hr", "wbr"};
    static const QSet<QString> forbidden{"script", "img", "link", "iframe", "object", "embed", "audio", "video", "base", "form"};
    static const QRegularExpression tagPattern(QStringLiteral("^<(/?)([a-zA-Z][a-zA-Z0-9]*)((?:\\s+[a-zA-Z-]+(?:=\"[^\"<>]*\")?)*)\\s*>"));
    static const QRegularExpression attrPattern(QStringLiteral("([a-zA-Z-]+)(?:=\"([^\"]*)\")?"));
    static const QRegularExpression entityPattern(QStringLiteral("^&(amp|lt|gt|quot|nbsp|#[0-9]+);"));

    QStringList faults;
    QStringList open;
    QSet<QString> ids;
    QStringList internalLinks;
    int nStyles = 0;

    const auto lineOf = [&html](qsizetype at) { return html.left(at).count(u'\n') + 1; };

    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html.at(i);
        if (c == u'&') {
            if (!entityPattern.match(QStringView(html).mid(i, 12)).hasMatch())
                faults << QStringLiteral("bare & on line %1").arg(lineOf(i));
            ++i;
            continue;
        }
        if (c == u'>') {
            faults << QStringLiteral("stray > on line %1").arg(lineOf(i));
            ++i;
            continue;
        }
        if (c != u'<') {
            ++i;
            continue;
        }
        if (html.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i);
            if (end < 0) {
                faults << QStringLiteral("unclosed comment on line %1").arg(lineOf(i));
                break;
            }
            i = end + 3;
            continue;
        }
        if (html.mid(i, 9).compare(QLatin1String("<!DOCTYPE"), Qt::CaseInsensitive) == 0) {
            i = html.indexOf(u'>', i) + 1;
            if (i == 0)
                break;
            continue;
        }
        const QRegularExpressionMatch tag = tagPattern.match(QStringView(html).mid(i));
        if (!tag.hasMatch()) {
            faults << QStringLiteral("unreadable tag on line %1").arg(lineOf(i));
            ++i;
            continue;
        }
        const bool bClosing = !tag.captured(1).isEmpty();
        const QString name = tag.captured(2).toLower();
        const qsizetype tagStart = i;
        i += tag.capturedLength();

        if (forbidden.contains(name))
            faults << QStringLiteral("<%1> on line %2").arg(name).arg(lineOf(tagStart));
        if (bClosing) {
            if (open.isEmpty() || open.last() != name)
                faults << QStringLiteral("</%1> on line %2 closes %3").arg(name).arg(lineOf(tagStart))
                              .arg(open.isEmpty() ? QStringLiteral("nothing") : open.last());
            else
                open.removeLast();
            continue;
        }

        QRegularExpressionMatchIterator attrs = attrPattern.globalMatch(tag.captured(3));
        while (attrs.hasNext()) {
            const QRegularExpressionMatch attr = attrs.next();
            const QString attrName = attr.captured(1).toLower();
            const QString value = attr.captured(2);
            if (attrName == QLatin1String("id")) {
                if (ids.contains(value))
                    faults << QStringLiteral("id %1 twice").arg(value);
                ids.insert(value);
            } else if (attrName == QLatin1String("href")) {
                if (value.startsWith(u'#'))
                    internalLinks << value.mid(1);
                else
                    faults << QStringLiteral("link out of the guide: %1").arg(value);
            } else if (attrName == QLatin1String("src") || attrName.startsWith(QLatin1String("on"))
                       || attrName == QLatin1String("style")) {
                faults << QStringLiteral("attribute %1 on line %2").arg(attrName).arg(lineOf(tagStart));
            }
        }

        if (name == QLatin1String("style")) {
            ++nStyles;
            const qsizetype end = html.indexOf(QLatin1String("</style>"), i);
            if (end < 0) {
                faults << QStringLiteral("unclosed style");
                break;
            }
            const QString sheet = html.mid(i, end - i);
            if (sheet.contains(QLatin1String("url(")) || sheet.contains(QLatin1String("@import")))
                faults << QStringLiteral("style sheet loads something");
            i = end + 8;
            continue;
        }
        if (!voidElements.contains(name))
            open << name;
    }

    for (const QString &name : open)
        faults << QStringLiteral("<%1> never closed").arg(name);
    for (const QString &target : internalLinks)
        if (!ids.contains(target))
            faults << QStringLiteral("link to missing #%1").arg(target);
    if (nStyles != 1)
        faults << QStringLiteral("%1 style sheets").arg(nStyles);
    return faults;
}

QString readGuide(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString sourceGuide()
{
    return QStringLiteral(BV_SOURCE_DIR "/help/") + CHelpFile::FileName();
}

// Whether `text` meets `pattern` the way the guide's example says: "" for
// the bare matcher, else as the Location, Name or Extension page uses it.
bool Meets(const QString &kind, const QString &pattern, const QString &text)
{
    if (kind.isEmpty())
        return CFileMatcher::MatchList(text, {pattern});
    CFileScan scan;
    scan.m_bExpress = 0;
    scan.m_strDrive = QStringLiteral("/");
    WalkRecord file;
    file.folder = "/home/ann";
    file.name = text.toUtf8();
    if (kind == QLatin1String("location")) {
        scan.m_bLocation = 1;
        scan.m_arrLocations = {pattern};
        const qsizetype slash = file.name.lastIndexOf('/');
        file.folder = slash > 0 ? file.name.left(slash) : QByteArray("/");
        file.name = file.name.mid(slash + 1);
    } else if (kind == QLatin1String("name")) {
        scan.m_bName = 1;
        scan.m_arrNames = {pattern};
    } else {
        scan.m_bExtension = 1;
        scan.m_arrExtensions = {pattern};
    }
    return CFileMatcher(scan).MatchFile(file);
}

const char kMinimal[] = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title>"
                        "<style>p { color: red; }</style></head><body>%1</body></html>";

} // namespace

class TestHelpFile : public QObject
{
    Q_OBJECT

private slots:
    // The checker itself: each fault it must see.
    void checkerFindsFaults_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("fault");
        QTest::newRow("unclosed") << "<p>text" << "<p> never closed";
        QTest::newRow("misnested") << "<p><b>x</p></b>" << "</p> on line 1 closes b";
        QTest::newRow("dead link") << "<p><a href=\"#nowhere\">x</a></p>" << "link to missing #nowhere";
        QTest::newRow("outside link") << "<p><a href=\"https://x.example/\">x</a></p>"
                                      << "link out of the guide: https://x.example/";
        QTest::newRow("script") << "<script>x()</script>" << "<script> on line 1";
        QTest::newRow("image") << "<p><img src=\"a.png\"></p>" << "<img> on line 1";
        QTest::newRow("handler") << "<p onclick=\"x\">y</p>" << "attribute onclick on line 1";
        QTest::newRow("bare ampersand") << "<p>a & b</p>" << "bare & on line 1";
        QTest::newRow("twin ids") << "<p id=\"a\">x</p><p id=\"a\">y</p>" << "id a twice";
        QTest::newRow("stray close") << "<p>x</p></div>" << "</div> on line 1 closes body";
    }

    void checkerFindsFaults()
    {
        QFETCH(QString, body);
        QFETCH(QString, fault);
        QVERIFY(checkHtml(QString::fromLatin1(kMinimal).arg(QStringLiteral("<p id=\"ok\">fine &amp; good</p>")))
                    .isEmpty());
        const QStringList faults = checkHtml(QString::fromLatin1(kMinimal).arg(body));
        QVERIFY2(faults.contains(fault), qPrintable(faults.join(QLatin1String(" | "))));
    }

    void guideIsWellFormedAndSelfContained()
    {
        const QString html = readGuide(sourceGuide());
        QVERIFY2(!html.isEmpty(), qPrintable(sourceGuide()));
        const QStringList faults = checkHtml(html);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // Every part of the program has its section, and the contents lead to it.
    void guideCoversTheProgram()
    {
        const QString html = readGuide(sourceGuide());
        for (const char *section : {"express", "protected", "custom", "location", "name", "extension", "size",
                                    "times", "patterns", "drive", "results", "totals", "checking", "restart",
                                    "actions", "failures", "cli"}) {
            QVERIFY2(html.contains(QStringLiteral("id=\"%1\"").arg(QLatin1String(section))), section);
        }
        for (const char *words : {"Eliminate", "Delete", "Move", "Compress", "Preserve Path", "brimvale-cli scan",
                                  "brimvale-cli delete", "frees about", "Recycled", "$$$"}) {
            QVERIFY2(html.contains(QLatin1String(words)), words);
        }
    }

    // Every pattern example of the guide, run through the matcher: a
    // <code class="pattern [page]"> sets the pattern, the <code class="match">
    // and <code class="nomatch"> after it say what it does with a text. A
    // wildcard in any other <code> is an example nobody checks.
    void guidePatternExamplesAreWhatTheProgramDoes()
    {
        const QString html = readGuide(sourceGuide());
        static const QRegularExpression code(QStringLiteral("<code(?: class=\"([^\"]*)\")?>(.*?)</code>"),
                                             QRegularExpression::DotMatchesEverythingOption);
        QString kind, pattern;
        bool havePattern = false;
        int checked = 0;
        QStringList wrong;
        for (QRegularExpressionMatchIterator it = code.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QStringList classes = m.captured(1).split(u' ', Qt::SkipEmptyParts);
            QString text = m.captured(2);
            text.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"))
                .replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
            text.replace(u'\n', u' ');
            if (classes.value(0) == QLatin1String("pattern")) {
                kind = classes.value(1);
                pattern = text;
                havePattern = true;
            } else if (classes.value(0) == QLatin1String("match") || classes.value(0) == QLatin1String("nomatch")) {
                QVERIFY2(havePattern, qPrintable(text));
                const bool said = classes.value(0) == QLatin1String("match");
                if (Meets(kind, pattern, text) != said)
                    wrong << QStringLiteral("%1 pattern %2 %3 %4").arg(kind, pattern, said ? "matches" : "misses", text);
                ++checked;
            } else if (classes.isEmpty()) {
                QVERIFY2(!text.contains(u'*') && !text.contains(u'?'), qPrintable("unmarked example: " + text));
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QVERIFY2(checked >= 20, qPrintable(QString::number(checked)));
    }

    // The build puts the guide beside the program, where it is looked for.
    void buildCopyIsBesideTheProgram()
    {
        const QString copy = QCoreApplication::applicationDirPath() + QLatin1String("/../") + CHelpFile::FileName();
        if (!QFile::exists(copy))
            QSKIP("the program's folder has no copy of the guide (built without the brimvale target?)");
        QCOMPARE(readGuide(copy), readGuide(sourceGuide()));
    }
};

QTEST_GUILESS_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
