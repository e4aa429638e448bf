#include "core/CBackgroundSort.h"

CBackgroundSort::CBackgroundSort(const CResultStore &store, int column, std::vector<int> rows, bool ascending,
                                 std::function<void()> done)
    : m_sorter(store, column), m_rows(std::move(rows))
{
    m_thread = std::thread([this, ascending, done = std::move(done)] {
        // The order comes back in the rows' own memory.
        std::vector<int> order = m_sorter.Sort(std::move(m_rows), ascending, &m_bCancel);
        if (m_bCancel.load())
            return;
        m_rows.swap(order);
        m_bDone.store(true);
        done();
    });
}

CBackgroundSort::~CBackgroundSort()
{
    Cancel();
}

void CBackgroundSort::Cancel()
{
    m_bCancel.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<int> CBackgroundSort::TakeOrder()
{
    if (!m_bDone.load())
        return {};
    if (m_thread.joinable())
        m_thread.join(); // it has nothing left to do but end
    return std::move(m_rows);
}
