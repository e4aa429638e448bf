#pragma once

class CResultsPage;

// Move on the results page: asks for the destination, then moves every
// checked file there through the page's action loop.
class CMoveAction
{
public:
    static void Run(CResultsPage &page);
};
