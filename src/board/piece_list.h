// CPieceList: the board's ordered list of piece groups, owning them. The
// head is the top of the stacking order and the first to be assembled.
// Positions stay valid while other nodes move (BringToTop during a walk).
#pragma once

#include <list>
#include <memory>

#include "board/piece_group.h"

class CPieceList {
    using List = std::list<std::unique_ptr<CPieceGroup>>;

public:
    // A node of the list; empty at the end.
    class POSITION {
    public:
        POSITION() = default;
        explicit operator bool() const { return m_valid; }

    private:
        friend class CPieceList;
        POSITION(List::iterator it, bool valid) : m_it(it), m_valid(valid) {}
        List::iterator m_it{};
        bool m_valid = false;
    };

    int GetCount() const { return int(m_list.size()); }
    bool IsEmpty() const { return m_list.empty(); }
    void AddHead(std::unique_ptr<CPieceGroup> g) { m_list.push_front(std::move(g)); }
    void AddTail(std::unique_ptr<CPieceGroup> g) { m_list.push_back(std::move(g)); }
    std::unique_ptr<CPieceGroup> RemoveHead();
    std::unique_ptr<CPieceGroup> RemoveAt(POSITION pos);
    void RemoveAll() { m_list.clear(); }

    POSITION GetHeadPosition();
    POSITION GetTailPosition();
    // The group at pos; pos moves to the next (or previous) node.
    CPieceGroup* GetNext(POSITION& pos);
    CPieceGroup* GetPrev(POSITION& pos);
    CPieceGroup* GetAt(POSITION pos) const { return pos.m_it->get(); }
    POSITION Find(const CPieceGroup* g);
    POSITION FindIndex(int index);
    // Moves the node at pos to the head; pos stays valid.
    void MoveToHead(POSITION pos) { m_list.splice(m_list.begin(), m_list, pos.m_it); }

private:
    List m_list;
};
