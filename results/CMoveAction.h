#pragma once

class CResultsHost;

// Move on the results page: asks for the destination, then moves every
// checked file there through the action loop, and keeps what it did for
// Undo Move.
class CMoveAction
{
public:
    static void Run(CResultsHost &host);
};
