// A billboard: a picture standing upright on the floor and always facing the
// viewer (the items in the corridors and the enemies). On screen it spans the
// projected top to the projected base, as wide as the picture's proportions
// ask, centred on the top point, with pure red transparent.
#pragma once
#include "math3d/Drawable.h"
#include "math3d/Vector.h"

class CSurface;

class CSprite : public CDrawable {
public:
    CSprite() = default;
    ~CSprite() override = default;

    void ResetFrame() override;
    // The base point's cell (x and z truncated toward zero) is in the region.
    bool IsInRegion(const PlatRect& region) const override;
    // Transformed this frame, and -0.3 > key > -10.
    bool IsVisible() const override;
    int GetKind() const override { return KindSprite; }
    // The view depth of the base moved 0.4 nearer, except in the last stretch
    // before the camera, where the true depth is used.
    double GetDepthKey() const override;
    void Transform(const CMatrix& toView) override;
    void Project(const CScreen& screen) override;
    // Draws the image scaled into its rectangle with the colour key. A sprite
    // without an image, with an empty image or with a projected height of zero
    // or less draws nothing. Does not check the projected flag.
    void Draw(CScreen& screen) override;

    bool IsTransformed() const { return m_bTransformed; }
    bool IsProjected() const { return m_bProjected; }
    const CVector& GetViewTop() const { return m_viewTop; }
    const CVector& GetViewBase() const { return m_viewBase; }
    const CScreenPoint& GetScreenTop() const { return m_screenTop; }
    const CScreenPoint& GetScreenBase() const { return m_screenBase; }

    // Set by the creator right after construction: top straight above base
    // (same x and z), in the owning node's frame. The image is not owned.
    CVector m_top;
    CVector m_base;
    const CSurface* m_pImage = nullptr;

private:
    CVector m_viewTop;
    CVector m_viewBase;
    CScreenPoint m_screenTop;
    CScreenPoint m_screenBase;
    bool m_bTransformed = false;
    bool m_bProjected = false;
};
