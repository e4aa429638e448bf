#include "ZipReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

QList<QByteArray> ZipListing::Names() const
{
    QList<QByteArray> names;
    for (const ZipEntry &entry : entries)
        names.append(entry.name);
    return names;
}

const ZipEntry *ZipListing::Find(const QByteArray &name) const
{
    for (const ZipEntry &entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

ZipListing ReadZip(const QByteArray &archive)
{
    ZipListing listing;
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(BV_SOURCE_DIR "/tests/support/read_zip.py"), QFile::decodeName(archive)});
    if (!python.waitForFinished(120000)) {
        listing.error = QStringLiteral("python3 did not run: ") + python.errorString();
        return listing;
    }
    const QJsonObject root = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    listing.ok = root.value(QLatin1String("ok")).toBool();
    listing.error = root.value(QLatin1String("error")).toString() + QString::fromLocal8Bit(python.readAllStandardError());
    listing.comment = QByteArray::fromHex(root.value(QLatin1String("comment")).toString().toLatin1());
    for (const QJsonValue &value : root.value(QLatin1String("entries")).toArray()) {
        const QJsonObject o = value.toObject();
        ZipEntry entry;
        entry.name = QByteArray::fromHex(o.value(QLatin1String("name")).toString().toLatin1());
        entry.utf8 = o.value(QLatin1String("utf8")).toBool();
        entry.size = qint64(o.value(QLatin1String("size")).toDouble());
        entry.compressed = qint64(o.value(QLatin1String("compressed")).toDouble());
        entry.crc = quint32(o.value(QLatin1String("crc")).toDouble());
        entry.mode = o.value(QLatin1String("mode")).toInt();
        for (const QJsonValue &part : o.value(QLatin1String("date")).toArray())
            entry.date.append(part.toInt());
        entry.extra = QByteArray::fromHex(o.value(QLatin1String("extra")).toString().toLatin1());
        entry.offset = qint64(o.value(QLatin1String("offset")).toDouble());
        entry.sha256 = o.value(QLatin1String("sha256")).toString().toLatin1();
        listing.entries.append(entry);
    }
    return listing;
}

bool UnzipTestsClean(const QByteArray &archive, bool &ran, QString *output)
{
    ran = !QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty();
    if (!ran)
        return false;
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-t"), QFile::decodeName(archive)});
    unzip.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(unzip.readAllStandardOutput() + unzip.readAllStandardError());
    return unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
}

QByteArray FileSha256(const QByteArray &path)
{
    // By raw bytes: the name need not be UTF-8.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        hash.addData(QByteArrayView(buffer, n));
    ::close(fd);
    return n < 0 ? QByteArray() : hash.result().toHex();
}

QByteArray EntryNameOf(const QByteArray &path)
{
    QByteArray name = path;
    while (name.startsWith('/'))
        name.remove(0, 1);
    return name;
}
