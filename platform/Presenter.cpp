#include "platform/Presenter.h"
#include "platform/Backend.h"

void CPresenter::Start(CBackend* device, uint64_t refreshUs, int fps) {
    *this = CPresenter();
    m_pDevice = device;
    m_qwRefresh = refreshUs;
    m_qwPeriod = fps > 0 ? 1000000u / static_cast<uint64_t>(fps) : 0;
}

void CPresenter::Show() {
    if (!m_pDevice)
        return;
    const uint64_t now = m_pDevice->Microseconds();
    if (m_qwRefresh > 0 && now < m_qwNextShow) {
        m_bPending = true;
        return;
    }
    m_qwNextShow = now + m_qwRefresh;
    m_bPending = false;
    m_pDevice->PutPicture();
    ++m_nShows;
}

void CPresenter::ShowPending() {
    if (!m_bPending)
        return;
    m_qwNextShow = 0;
    Show();
}

void CPresenter::WaitUntil(uint64_t when) {
    const uint64_t now = m_pDevice->Microseconds();
    // Rounded up: a picture that is to be seen must have had its refresh.
    if (now < when)
        m_pDevice->Sleep(static_cast<uint32_t>((when - now + 999) / 1000));
}

void CPresenter::Hold() {
    if (!m_pDevice || m_qwRefresh == 0)
        return;
    if (m_bPending) {
        WaitUntil(m_qwNextShow);
        ShowPending();
    }
    WaitUntil(m_qwNextShow);
}

void CPresenter::WaitForFrameSlot() {
    ++m_nFrameWaits;
    ShowPending();
    if (!m_pDevice)
        return;
    if (m_qwPeriod == 0) {
        m_pDevice->Sleep(0);
        return;
    }
    const uint64_t now = m_pDevice->Microseconds();
    if (m_qwNextFrame == 0 || now >= m_qwNextFrame + m_qwPeriod) {
        m_qwNextFrame = now + m_qwPeriod;
        m_pDevice->Sleep(0);
        return;
    }
    m_pDevice->Sleep(now < m_qwNextFrame ? static_cast<uint32_t>((m_qwNextFrame - now) / 1000) : 0);
    m_qwNextFrame += m_qwPeriod;
}

uint64_t CPresenter::FrameTime(uint64_t now) {
    if (m_qwPeriod == 0 || m_qwNextFrame == 0)
        return now;
    const uint64_t half = m_qwPeriod / 2;
    uint64_t time;
    if (now >= m_qwNextFrame) {
        time = m_qwNextFrame + (now - m_qwNextFrame + half) / m_qwPeriod * m_qwPeriod;
    } else {
        const uint64_t back = (m_qwNextFrame - now + half) / m_qwPeriod * m_qwPeriod;
        time = back <= m_qwNextFrame ? m_qwNextFrame - back : 0;
    }
    if (time < m_qwTimeGiven)
        time = m_qwTimeGiven;
    m_qwTimeGiven = time;
    return time;
}

CPresenter& PlatPresenter() {
    static CPresenter presenter;
    return presenter;
}
