#include "math3d/Sprite.h"

#include "gfx/Screen.h"
#include "math3d/Math3d.h"
#include "math3d/Matrix.h"
#include <cstdint>

void CSprite::ResetFrame() {
    m_bTransformed = false;
    m_bProjected = false;
}

bool CSprite::IsInRegion(const PlatRect& region) const {
    // Truncation, not floor: a base at x = -0.5 counts as cell 0.
    return RegionContains(region, TruncateToInt32(m_base.x), TruncateToInt32(m_base.z));
}

bool CSprite::IsVisible() const {
    if (!m_bTransformed)
        return false;
    const double key = GetDepthKey();
    return key < -0.3 && key > kFarthestKey;
}

double CSprite::GetDepthKey() const {
    const double k = m_viewBase.z + 0.4;
    return k > -0.3 ? m_viewBase.z : k;
}

void CSprite::Transform(const CMatrix& toView) {
    m_viewTop = toView.Apply(m_top);
    m_viewBase = toView.Apply(m_base);
    m_bTransformed = true;
}

void CSprite::Project(const CScreen& screen) {
    m_screenTop = m_viewTop.ProjectToScreen(screen);
    m_screenBase = m_viewBase.ProjectToScreen(screen);
    m_bProjected = true;
}

void CSprite::Draw(CScreen& screen) {
    if (m_pImage == nullptr || m_pImage->pixels == nullptr || m_pImage->height <= 0)
        return;
    const int32_t h = m_screenBase.y - m_screenTop.y;
    if (h <= 0)
        return;
    // 64 bits only so that a huge height cannot overflow; for every size the
    // screen can show this is the plain 32-bit (width * h) / height.
    const int64_t w = static_cast<int64_t>(m_pImage->width) * h / m_pImage->height;
    if (w > INT32_MAX / 2)
        return;
    // The half rounds toward zero.
    const int32_t x = m_screenTop.x - static_cast<int32_t>(w) / 2;
    screen.StretchBlit(*m_pImage, x, m_screenTop.y, static_cast<int32_t>(w), h, true);
}
