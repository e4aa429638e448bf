#include <QtTest>

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>

// Keeps the folder map acyclic: a folder may include only itself and the
// folders before it in layers.txt. A backward include is named with its file
// and line, so whoever adds one sees at once what to move.
namespace {

QDir sourceRoot()
{
    return QDir(QStringLiteral(BV_SOURCE_DIR));
}

QStringList readLayers()
{
    QFile file(sourceRoot().filePath(QStringLiteral("layers.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList layers;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            layers.append(line);
    }
    return layers;
}

struct IncludeEdge
{
    QString fromFolder;
    QString toFolder;
    QString where; // file:line
};

// Every quoted include of every source in the listed folders that names a
// listed folder.
QList<IncludeEdge> readIncludes(const QStringList &layers)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"([^"/]+)/)"));
    QList<IncludeEdge> edges;
    const QDir root = sourceRoot();
    for (const QString &folder : layers) {
        QDirIterator it(root.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.c")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                continue;
            int lineNo = 0;
            while (!file.atEnd()) {
                ++lineNo;
                const QString line = QString::fromUtf8(file.readLine());
                const QRegularExpressionMatch m = include.match(line);
                if (m.hasMatch() && layers.contains(m.captured(1)) && m.captured(1) != folder)
                    edges.append({folder, m.captured(1),
                                  root.relativeFilePath(path) + QLatin1Char(':') + QString::number(lineNo)});
            }
        }
    }
    return edges;
}

// A cycle in the folder graph, as "a -> b -> a", or empty.
QString findCycle(const QStringList &layers, const QList<IncludeEdge> &edges)
{
    QHash<QString, QSet<QString>> next;
    for (const IncludeEdge &e : edges)
        next[e.fromFolder].insert(e.toFolder);
    QHash<QString, int> state; // 0 new, 1 on the path, 2 done
    QStringList path;
    std::function<QString(const QString &)> visit = [&](const QString &node) -> QString {
        state[node] = 1;
        path.append(node);
        QStringList targets(next.value(node).cbegin(), next.value(node).cend());
        targets.sort();
        for (const QString &to : targets) {
            if (state.value(to) == 1)
                return (path.mid(path.indexOf(to)) << to).join(QStringLiteral(" -> "));
            if (state.value(to) == 0) {
                const QString cycle = visit(to);
                if (!cycle.isEmpty())
                    return cycle;
            }
        }
        path.removeLast();
        state[node] = 2;
        return {};
    };
    for (const QString &layer : layers)
        if (state.value(layer) == 0) {
            const QString cycle = visit(layer);
            if (!cycle.isEmpty())
                return cycle;
        }
    return {};
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT
private slots:
    void everyFolderIncludesOnlyEarlierFolders()
    {
        const QStringList layers = readLayers();
        QVERIFY2(layers.size() >= 8, "layers.txt could not be read");
        const QList<IncludeEdge> edges = readIncludes(layers);
        QVERIFY2(edges.size() > 50, "too few includes were found: the sources were not read");
        QStringList backward;
        for (const IncludeEdge &e : edges)
            if (layers.indexOf(e.toFolder) > layers.indexOf(e.fromFolder))
                backward.append(QStringLiteral("%1: %2/ includes %3/, which stands after it")
                                    .arg(e.where, e.fromFolder, e.toFolder));
        QVERIFY2(backward.isEmpty(), qPrintable(backward.join(QLatin1Char('\n'))));
    }

    void folderGraphHasNoCycle()
    {
        const QStringList layers = readLayers();
        const QString cycle = findCycle(layers, readIncludes(layers));
        QVERIFY2(cycle.isEmpty(), qPrintable(QStringLiteral("include cycle: ") + cycle));
    }

    void everySourceFolderIsInTheMap()
    {
        // A new folder with sources but no place in the map would escape both checks.
        const QStringList layers = readLayers();
        const QDir root = sourceRoot();
        const QStringList ignored{QStringLiteral("tests"), QStringLiteral("bench"), QStringLiteral("tools"),
                                  QStringLiteral("build")};
        for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (ignored.contains(folder) || folder.startsWith(QLatin1Char('.')) || folder.startsWith(QStringLiteral("build")))
                continue;
            QDirIterator it(root.filePath(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                            QDirIterator::Subdirectories);
            if (it.hasNext())
                QVERIFY2(layers.contains(folder), qPrintable(folder + QStringLiteral("/ holds sources but is not in layers.txt")));
        }
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
