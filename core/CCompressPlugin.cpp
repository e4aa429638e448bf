#include "core/CCompressPlugin.h"

#include "platform/CompressApi.h"
#include "res/ResourceIds.h"

bool CCompressPlugin::Load(const QList<QByteArray> &folders)
{
    m_status = m_library.Load(folders.isEmpty() ? CPluginLibrary::DefaultFolders() : folders,
                              BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME);
    return m_status == CPluginLibrary::Status::Loaded;
}

int CCompressPlugin::GetErrorTextId() const
{
    switch (m_status) {
    case CPluginLibrary::Status::Loaded: return 0;
    case CPluginLibrary::Status::MissingEntry: return IDS_CANT_FIND_ENTRY;
    default: return IDS_CANT_LOAD_LIBRARY;
    }
}

std::unique_ptr<CCompressStep> CCompressPlugin::CreateStep(const CResultStore &store, const QByteArray &driveRoot,
                                                           const QByteArray &archivePath,
                                                           CCompressStep::ErrorHandler onError) const
{
    auto step = std::make_unique<CCompressStep>(store, driveRoot, archivePath,
                                                reinterpret_cast<CompressFn>(m_library.GetEntry()), std::move(onError));
    step->SetRenamedCounter(reinterpret_cast<CompressRenamedFn>(m_library.GetOptionalEntry(BV_COMPRESS_RENAMED_NAME)));
    return step;
}
