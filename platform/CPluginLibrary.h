#pragma once

#include <QByteArray>
#include <QList>

// Finds and loads a plug-in library by full path and looks up one of its
// entry points. A library once loaded stays loaded for the life of the
// process (it may keep state between calls), so nothing is ever unloaded.
class CPluginLibrary
{
public:
    enum class Status {
        NotLoaded,
        Loaded,
        MissingLibrary, // in none of the folders, or there but not loadable
        MissingEntry,   // loaded, but without the entry point
    };

    // Where the program looks for its plug-ins: the folder of its own
    // executable, then lib/brimvale beside the folder holding it (the
    // installed layout, bin/ and lib/brimvale/ side by side).
    static QList<QByteArray> DefaultFolders();

    // Looks for `fileName` in `folders`, in order, loads the first one that
    // exists and resolves `entryName` in it.
    Status Load(const QList<QByteArray> &folders, const QByteArray &fileName, const char *entryName);

    // Another entry point `name` of the library that holds `entry` (an
    // entry point handed out by Load), or null when it has none: lets a
    // caller given one entry use a newer one beside it where there is one.
    static void *FindSibling(const void *entry, const char *name);

    void *GetEntry() const { return m_pEntry; }
    // Another entry point of the loaded library, null when it has none.
    void *GetOptionalEntry(const char *name) const;
    // The full path loaded or tried; when the library was in no folder,
    // every path looked for, one a line.
    QByteArray GetPath() const { return m_strPath; }
    // The system's own words on what failed, for whoever wants more.
    QByteArray GetError() const { return m_strError; }

private:
    void *m_pEntry = nullptr;
    void *m_pHandle = nullptr;
    QByteArray m_strPath;
    QByteArray m_strError;
};
