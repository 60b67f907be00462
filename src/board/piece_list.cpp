// The board's ordered, owning list of piece groups.
#include "board/piece_list.h"

#include <iterator>

std::unique_ptr<CPieceGroup> CPieceList::RemoveHead()
{
    std::unique_ptr<CPieceGroup> g = std::move(m_list.front());
    m_list.pop_front();
    return g;
}

std::unique_ptr<CPieceGroup> CPieceList::RemoveAt(POSITION pos)
{
    std::unique_ptr<CPieceGroup> g = std::move(*pos.m_it);
    m_list.erase(pos.m_it);
    return g;
}

CPieceList::POSITION CPieceList::GetHeadPosition()
{
    return m_list.empty() ? POSITION{} : POSITION(m_list.begin(), true);
}

CPieceList::POSITION CPieceList::GetTailPosition()
{
    return m_list.empty() ? POSITION{} : POSITION(std::prev(m_list.end()), true);
}

CPieceGroup* CPieceList::GetNext(POSITION& pos)
{
    CPieceGroup* g = pos.m_it->get();
    ++pos.m_it;
    if (pos.m_it == m_list.end())
        pos = POSITION{};
    return g;
}

CPieceGroup* CPieceList::GetPrev(POSITION& pos)
{
    CPieceGroup* g = pos.m_it->get();
    if (pos.m_it == m_list.begin())
        pos = POSITION{};
    else
        --pos.m_it;
    return g;
}

CPieceList::POSITION CPieceList::Find(const CPieceGroup* g)
{
    for (auto it = m_list.begin(); it != m_list.end(); ++it)
        if (it->get() == g)
            return POSITION(it, true);
    return POSITION{};
}

CPieceList::POSITION CPieceList::FindIndex(int index)
{
    if (index < 0 || index >= int(m_list.size()))
        return POSITION{};
    return POSITION(std::next(m_list.begin(), index), true);
}
