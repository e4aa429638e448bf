#pragma once

class CPathHashSet;

// Where the paths installed software owns come from: one package manager's
// own records. Each package manager gets its own source; the protection asks
// through this interface only.
class CPackageFileSource
{
public:
    virtual ~CPackageFileSource() = default;

    // Adds every path the package manager owns, named from the "/" of the
    // system it manages, to `owned`. Returns false when there is no
    // database to read (nothing is then owned).
    virtual bool LoadOwnedPaths(CPathHashSet &owned) = 0;
};
