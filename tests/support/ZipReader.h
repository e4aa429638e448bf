#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// An archive as Python's zipfile reads it (tests/support/read_zip.py): a
// reader that shares no code with the plug-in.
struct ZipEntry
{
    QByteArray name;   // raw name bytes
    bool utf8 = false; // the UTF-8 flag
    qint64 size = 0;
    qint64 compressed = 0;
    quint32 crc = 0;
    int mode = 0;      // st_mode from the external attributes
    QList<int> date;   // the MS-DOS date and time, as six numbers
    QByteArray extra;  // the central extra fields, raw
    qint64 offset = 0;
    QByteArray sha256; // hex of the data read back (CRC checked); empty when too large
};

struct ZipListing
{
    bool ok = false;
    QString error;
    QByteArray comment;
    QList<ZipEntry> entries;

    QList<QByteArray> Names() const;
    const ZipEntry *Find(const QByteArray &name) const;
};

ZipListing ReadZip(const QByteArray &archive);

// `unzip -t` on the archive: true when it reports no error. Sets `ran` to
// false when unzip is not installed.
bool UnzipTestsClean(const QByteArray &archive, bool &ran, QString *output = nullptr);

// The hex SHA-256 of a file's bytes, as read_zip.py gives it.
QByteArray FileSha256(const QByteArray &path);
// The entry name the plug-in gives a path: the path without its leading slash.
QByteArray EntryNameOf(const QByteArray &path);
