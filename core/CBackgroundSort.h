#pragma once

#include "core/CResultsSorter.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

// Sorts the rows of a long list on a thread of its own, so the list stays in
// use meanwhile. What comes from the files' records is taken when the sort
// starts (see CResultsSorter); until the sort ends or is cancelled, no file
// may be added to the store and the store may not be cleared.
class CBackgroundSort
{
public:
    // `done` runs on the sorting thread once the order is ready; never
    // after Cancel() has returned.
    CBackgroundSort(const CResultStore &store, int column, std::vector<int> rows, bool ascending,
                    std::function<void()> done);
    // Cancels.
    ~CBackgroundSort();
    CBackgroundSort(const CBackgroundSort &) = delete;
    CBackgroundSort &operator=(const CBackgroundSort &) = delete;

    // Stops the sort soon and waits for its thread; the store may change after.
    void Cancel();
    // The rows in their new order, once `done` has run (empty before).
    std::vector<int> TakeOrder();

private:
    CResultsSorter m_sorter;
    std::vector<int> m_rows; // in their new order once the sort is done
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bDone{false};
    std::thread m_thread;
};
