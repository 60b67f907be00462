// Autoplay pacing: turning and moving step counts for the speeds of the
// dialog's range, the refinement levels, and the visiting order.
#include <gtest/gtest.h>

#include <vector>

#include "board/piece_group.h"
#include "board/spline_piece.h"
#include "board_fixture.h"
#include "framework/crt_rand.h"

namespace {
// A one-piece group at a given angle; records each turning step.
struct Turning {
    HostedBoard scope;
    std::unique_ptr<CPieceGroup> group;
    explicit Turning(int speed, int angle)
    {
        scope.host.speed = speed;
        scope.board.m_bihActive.biWidth = 800;
        scope.board.m_bihActive.biHeight = 600;
        const POINT corners[4] = {{6400, 6400}, {19200, 6400}, {19200, 19200}, {6400, 19200}};
        group = std::make_unique<CPieceGroup>(scope.board, new CSplinePiece(scope.board, corners, TRUE));
        group->m_arrPieces[0]->Rotate(angle, 1);
    }
};
} // namespace

TEST(Autoplay, TurningStepCounts)
{
    const struct { int speed, angle, steps; } cases[] = {
        {8, 10, 2},   // -22 to 348, then +12
        {8, 350, 1},  // +10
        {8, 180, 1},  // one half turn
        {8, 200, 8},  // seven steps of +22 to 354, then +6
        {1, 270, 1},  // d = 90 < 180: one step
        {1, 90, 2},   // d = 270 > 180: -180, then the rest forward
        {64, 10, 5},  // 2-degree steps: 10 -> 0 backwards
        {8, 0, 0},
    };
    for (const auto& c : cases) {
        Turning t(c.speed, c.angle);
        const int pumps0 = t.scope.host.pumps;
        t.group->RotateTo(nullptr);
        EXPECT_EQ(t.scope.host.pumps - pumps0, c.steps) << "speed " << c.speed << " angle " << c.angle;
        EXPECT_EQ(t.group->m_arrPieces[0]->m_nAngle, 0);
        EXPECT_EQ(t.group->m_arrPieces[0]->m_nReduction, 1);
        EXPECT_EQ(t.scope.board.m_pTurningGroup, nullptr);
    }
}

TEST(Autoplay, TurningOvershootsBackwardsThenComesForward)
{
    Turning t(8, 10);
    std::vector<int> angles;
    // Step by hand with the same rule: the first step is -22, to 348.
    t.group->RotateBy(-22, 0);
    angles.push_back(t.group->m_arrPieces[0]->m_nAngle);
    EXPECT_EQ(angles.back(), 348);
    EXPECT_EQ(t.group->m_nLevel, 4);
    EXPECT_EQ(t.group->m_arrPieces[0]->m_nReduction, 4);
    EXPECT_EQ(t.scope.board.m_pTurningGroup, t.group.get());
    EXPECT_EQ(t.scope.host.timerSets, 1);
    // While it turns, another group may not.
    const POINT corners[4] = {{0, 0}, {6400, 0}, {6400, 6400}, {0, 6400}};
    CPieceGroup other(t.scope.board, new CSplinePiece(t.scope.board, corners, TRUE));
    other.RotateBy(30, 0);
    EXPECT_EQ(other.m_arrPieces[0]->m_nAngle, 0);
    // Refinement ticks bring the level down to 1 and release the group.
    t.group->OnRefineTimer();
    EXPECT_EQ(t.group->m_nLevel, 3);
    t.group->OnRefineTimer();
    t.group->OnRefineTimer();
    EXPECT_EQ(t.group->m_nLevel, 1);
    EXPECT_EQ(t.scope.board.m_pTurningGroup, nullptr);
    EXPECT_GE(t.scope.host.timerKills, 1);
    t.scope.board.OnRefineTimer(); // no turning group: nothing happens
}

TEST(Autoplay, MovingStepCounts)
{
    const struct { int speed; LONG distance; int frames; } cases[] = {
        {8, 19200, 16}, // step 1200
        {8, 19201, 17},
        {1, 4, 2},      // D even, >= 3: two frames
        {1, 5, 3},      // D odd: three
        {64, 128, 128}, // step 1
        {8, 10, 10},    // D below 2 x speed: D frames
        {8, 0, 0},      // already home: no pump at all
    };
    for (const auto& c : cases) {
        Turning t(c.speed, 0);
        CPiece* p = t.group->m_arrPieces[0];
        p->Translate(POINT{c.distance, -c.distance / 3});
        const int pumps0 = t.scope.host.pumps;
        t.group->MoveBy(0, 0);
        EXPECT_EQ(t.scope.host.pumps - pumps0, c.frames) << c.speed << " " << c.distance;
        EXPECT_EQ(p->m_ptOffset, (POINT{0, 0}));
    }
}

TEST(Autoplay, VisitsEveryGroupOnceInListOrderAndEndsWithAllHome)
{
    HostedBoard scope;
    scope.host.client = RECT{0, 0, 320, 240};
    CJigsawBoard& board = scope.board;
    MakePicture(scope.doc, 160, 120);
    crt::srand(11);
    board.NewBoard();
    std::vector<CPieceGroup*> order;
    for (auto pos = board.m_pieces.GetHeadPosition(); pos;)
        order.push_back(board.m_pieces.GetNext(pos));
    board.Autoplay();
    std::vector<CPieceGroup*> after;
    for (auto pos = board.m_pieces.GetHeadPosition(); pos;)
        after.push_back(board.m_pieces.GetNext(pos));
    // Each visited group went to the head: the final order is reversed.
    EXPECT_EQ(after, std::vector<CPieceGroup*>(order.rbegin(), order.rend()));
    for (CPieceGroup* g : after) {
        EXPECT_TRUE(g->m_arrPieces[0]->IsHome());
        EXPECT_EQ(g->m_arrPieces[0]->m_nReduction, 1);
    }
    EXPECT_GT(scope.host.redraws, 0);
}
