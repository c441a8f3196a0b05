#include "ui/credits/CreditsScroll.h"

void CreditsScroll::startLayout(std::int32_t outerHeight)
{
    const std::int32_t H = outerHeight;
    m_tops[AppName] = 5000;
    m_tops[Copyright] = bottom(AppName) + 1;
    m_tops[CreditsHeading] = bottom(Copyright) + 4000;
    m_tops[UnitOneHeading] = bottom(CreditsHeading) + 200;
    m_tops[UnitOneTitles] = bottom(UnitOneHeading) + 1;
    m_tops[UnitOneNames] = m_tops[UnitOneTitles];
    m_tops[UnitTwoHeading] = bottom(UnitOneNames) + 700;
    m_tops[UnitTwoTitles] = bottom(UnitTwoHeading) + 1;
    m_tops[UnitTwoNames] = m_tops[UnitTwoTitles];
    // From the names column of unit two, the taller of the pair.
    m_tops[Thanks] = bottom(UnitTwoNames) + 2000;
    m_thankLeft = kThankLeft;
    m_tops[Disclaimer] = bottom(Thanks) + 3000;
    // The window's own height between the gag lines: each crosses an empty window.
    m_tops[Fire] = bottom(Disclaimer) + H - 20;
    m_tops[Pants] = bottom(Fire) + H + 50;
}

bool CreditsScroll::tick(std::int32_t outerHeight)
{
    if (m_tops[Pants] > kRestartTop) {
        for (std::int32_t& top : m_tops)
            top -= kStep;
        return false;
    }
    startLayout(outerHeight);
    return true;
}
