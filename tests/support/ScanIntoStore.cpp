#include "ScanIntoStore.h"

#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CMatchSink.h"
#include "core/CResultStore.h"
#include "core/CResultsModel.h"
#include "core/CTrashGrouper.h"
#include "platform/CDirectoryWalker.h"

#include <QFile>
#include <algorithm>
#include <functional>

namespace {

class CallSink : public CMatchSink
{
public:
    explicit CallSink(std::function<void(const WalkRecord &, const MatchReason &)> add) : m_add(std::move(add)) {}
    void AddMatch(const ScanMatch &match) override { m_add(match.record, match.why); }

private:
    std::function<void(const WalkRecord &, const MatchReason &)> m_add;
};

void Scan(const CFileScan &scan, CMatchSink &sink, const CResultStore &store, CTrashItems &items, int readers)
{
    const CFileMatcher matcher(scan);
    const QByteArray root = QFile::encodeName(scan.m_strDrive);
    CTrashGrouper trash(sink, store, items, root, QByteArray());
    CDirectoryWalker walker;
    walker.SetReaderCount(readers);
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (matcher.MatchFile(record))
            trash.AddMatch({record, matcher.GetReason(record)});
    });
    walker.Walk(root);
    trash.Flush();
}

} // namespace

QByteArrayList ScanIntoStore(const CFileScan &scan, CResultStore &store, int readers)
{
    CallSink sink([&](const WalkRecord &record, const MatchReason &why) { store.AddResult(record, why); });
    Scan(scan, sink, store, store.GetTrash(), readers);
    const qsizetype rootLength = QFile::encodeName(scan.m_strDrive).size();
    QByteArrayList listed;
    for (int index = 0; index < store.GetCount(); ++index)
        listed.append(store.GetPath(index).mid(rootLength + 1));
    std::sort(listed.begin(), listed.end());
    return listed;
}

void ScanIntoModel(const CFileScan &scan, CResultsModel &model)
{
    CallSink sink([&](const WalkRecord &record, const MatchReason &why) { model.AddResult(record, why); });
    Scan(scan, sink, model.GetStore(), model.GetTrash(), 1);
    model.FlushPendingRows();
}

CFileScan ExpressScanOf(const QByteArray &root)
{
    CFileScan scan;
    scan.m_bExpress = 1;
    scan.m_strDrive = QFile::decodeName(root);
    return scan;
}

void WalkIntoStore(CResultStore &store, const QByteArray &root, const QByteArrayList &names)
{
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) {
        if (names.isEmpty() || names.contains(record.name))
            store.AddResult(record);
    });
    walker.Walk(root);
}
