#pragma once

#include <cstddef>
#include <functional>

// Which files a walk that looks at files only when asked (see
// CDirectoryWalker::SetLookAtEveryFile) may as well look at as they are
// listed, on the threads that read folders ahead: those whose names may
// match. It only spares the walking thread a look of its own; a file it
// passes over is still looked at when asked. Its tests run on several
// threads at once.
struct LookHint
{
    // Whether a folder of this name matches, and so every folder below it.
    std::function<bool(const char *name, std::size_t length)> folderMatches;
    // Whether a file of this name may match, in a folder that matches or not.
    std::function<bool(bool inMatchingFolder, const char *name, std::size_t length)> fileMayMatch;
    bool rootMatches = false;     // the walk's root matches as a folder
    bool cacheTagsMatch = false;  // so does a folder that holds a valid CACHEDIR.TAG

    // Whether a subfolder named so of a folder as given matches.
    bool SubfolderMatches(bool parentMatches, bool parentTagged, const char *name, std::size_t length) const
    {
        return parentMatches || (cacheTagsMatch && parentTagged) || (folderMatches && folderMatches(name, length));
    }
    bool FileMayMatch(bool inMatchingFolder, const char *name, std::size_t length) const
    {
        return fileMayMatch && fileMayMatch(inMatchingFolder, name, length);
    }
};
