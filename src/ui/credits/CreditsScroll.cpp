#include "ui/credits/CreditsScroll.h"

void CreditsScroll::StartLayout(std::int32_t outerHeight)
{
    const std::int32_t H = outerHeight;
    m_tops[txtAppname] = 5000;
    m_tops[txtCopy] = bottom(txtAppname) + 1;
    m_tops[txtCred] = bottom(txtCopy) + 4000;
    m_tops[txtU1] = bottom(txtCred) + 200;
    m_tops[txtUoo] = bottom(txtU1) + 1;
    m_tops[txtUot] = m_tops[txtUoo];
    m_tops[txtU2] = bottom(txtUot) + 700;
    m_tops[txtUto] = bottom(txtU2) + 1;
    m_tops[txtUtt] = m_tops[txtUto];
    // From the names column of unit two, the taller of the pair.
    m_tops[txtThank] = bottom(txtUtt) + 2000;
    m_thankLeft = kThankLeft;
    m_tops[frmAnim] = bottom(txtThank) + 3000;
    // The window's own height between the gag lines: each crosses an empty window.
    m_tops[txtFire] = bottom(frmAnim) + H - 20;
    m_tops[txtPants] = bottom(txtFire) + H + 50;
}

bool CreditsScroll::Tick(std::int32_t outerHeight)
{
    if (m_tops[txtPants] > kRestartTop) {
        for (std::int32_t& top : m_tops)
            top -= kStep;
        return false;
    }
    StartLayout(outerHeight);
    return true;
}
