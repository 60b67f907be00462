// CSplinePiece: the piece whose four sides are uniform cubic B-splines over
// control polygons: straight on the picture border, with a knob inside.
// Each edge is built in a canonical direction and reseeds the generator
// from its own end points, so two neighbours build the same curve.
#pragma once

#include "board/edge_array.h"
#include "board/piece.h"
#include "document/point_array.h"

class CSplinePiece : public CPiece {
public:
    // Builds the outline at once: border edges are those on the board's picture's border.
    CSplinePiece(const CJigsawBoard& board, const POINT corners[4], BOOL bKnobs);

    void Rotate(int nDelta, int nFlag) override;
    void DrawOutline(CDC* pDC, COLORREF crPen) override;
    void SetZoom(int nPercent) override;
    void CreateRegion() override;
    void Tessellate();

    // Exposed for tests: canonical order of an edge's end points.
    static bool OrderEndpoints(POINT& a, POINT& b);

    CEdgeArray m_edges;
    CPointArray m_outline;

private:
    void BuildEdges(BOOL bKnobs);
    void ShapeEdge(int i, bool swapped, BOOL bKnobs);
};
