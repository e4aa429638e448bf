#include "core/CBackgroundSort.h"

CBackgroundSort::CBackgroundSort(const CResultStore &store, int column, std::vector<int> rows, bool ascending,
                                 std::function<void()> done)
    : m_sorter(store, column), m_rows(std::move(rows))
{
    m_thread = std::thread([this, ascending, done = std::move(done)] {
        std::vector<int> order = m_sorter.Sort(m_rows, ascending, &m_bCancel);
        if (m_bCancel.load())
            return;
        m_order.swap(order);
        std::vector<int>().swap(m_rows); // only the order is needed from here on
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
    return std::move(m_order);
}
