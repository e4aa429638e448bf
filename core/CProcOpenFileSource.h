#pragma once

#include "core/COpenFileSource.h"

#include <QByteArray>

// The files the machine's running processes have open or mapped, read from
// the process file system.
class CProcOpenFileSource : public COpenFileSource
{
public:
    explicit CProcOpenFileSource(QByteArray procRoot = QByteArrayLiteral("/proc"));
    OpenFiles LoadOpenFiles() override;

private:
    QByteArray m_strProcRoot;
};
