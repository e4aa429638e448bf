#pragma once

#include "core/CCompressStep.h"
#include "platform/CPluginLibrary.h"

#include <QByteArray>
#include <QList>
#include <memory>

// The compression plug-in as both front ends load it: from the same folders,
// with the same failure texts, driving the same Compress step.
class CCompressPlugin
{
public:
    // Loads the plug-in from `folders`, or from the program's own plug-in
    // folders when none are given. False when it cannot be used.
    bool Load(const QList<QByteArray> &folders = {});
    // After a failed Load, the text id saying why (its %s is GetPath()).
    int GetErrorTextId() const;
    // The library's full path, or every path looked for, one a line.
    QByteArray GetPath() const { return m_library.GetPath(); }

    // A Compress step that stores into `archivePath` through the loaded
    // plug-in and counts the files it had to store under a numbered name.
    std::unique_ptr<CCompressStep> CreateStep(const CResultStore &store, const QByteArray &driveRoot,
                                              const QByteArray &archivePath, CCompressStep::ErrorHandler onError) const;

private:
    CPluginLibrary m_library;
    CPluginLibrary::Status m_status = CPluginLibrary::Status::NotLoaded;
};
