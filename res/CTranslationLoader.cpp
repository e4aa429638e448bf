#include "res/CTranslationLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// The file name's stem; QTranslator adds _<language> and .qm as the locale's
// UI languages ask (de_AT, then de).
const char kProgramStem[] = "brimvale";

bool Load(QTranslator &translator, const QLocale &locale, const QString &stem, const QString &folder)
{
    return translator.load(locale, stem, QStringLiteral("_"), folder, QStringLiteral(".qm"));
}

} // namespace

QStringList CTranslationLoader::SearchFolders(const QString &programDir)
{
    const QDir program(programDir);
    return {program.filePath(QStringLiteral("translations")),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/brimvale/translations")))};
}

QString CTranslationLoader::Install(const QLocale &locale, const QStringList &folders)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return QString();
    QString installed;
    for (const QString &folder : folders) {
        auto *program = new QTranslator(app);
        if (Load(*program, locale, QString::fromLatin1(kProgramStem), folder)) {
            QCoreApplication::installTranslator(program);
            installed = program->filePath();
            break;
        }
        delete program;
    }
    // Qt's own texts (an edit's context menu, ...) in the same language,
    // only alongside ours: English stays English throughout.
    if (!installed.isEmpty()) {
        auto *qt = new QTranslator(app);
        if (Load(*qt, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    }
    return installed;
}

QString CTranslationLoader::Install()
{
    return Install(QLocale(), SearchFolders(QCoreApplication::applicationDirPath()));
}
