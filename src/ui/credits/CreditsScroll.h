#pragma once

#include <array>
#include <cstdint>

// Where the credits' thirteen elements stand, in twips, and the two things that move
// them: the start layout and the scroll tick. The widgets only copy these values, so
// the arithmetic can be checked for any window height.
class CreditsScroll final {
public:
    // In scroll order, top to bottom.
    enum Element {
        AppName,
        Copyright,
        CreditsHeading,
        UnitOneHeading,
        UnitOneTitles,
        UnitOneNames,
        UnitTwoHeading,
        UnitTwoTitles,
        UnitTwoNames,
        Thanks,
        Disclaimer,
        Fire,
        Pants,
        kElementCount
    };

    static constexpr std::array<std::int32_t, kElementCount> kHeights{255,  255,   255,   255,   2175, 2175, 255,
                                                                      12615, 12735, 11175, 855,  255,  375};
    static constexpr std::int32_t kStep = 50;
    // Once Pants is this far above the top edge (or further), the scroll starts again.
    static constexpr std::int32_t kRestartTop = -1000;
    static constexpr std::int32_t kThankLeft = 240;
    // Where Thanks stands before the first layout, out of sight.
    static constexpr std::int32_t kThankStoredLeft = 6720;

    // Every Top from fixed gaps; the closing gag's two gaps grow with the window's
    // outer height (twips, title bar and borders included).
    void startLayout(std::int32_t outerHeight);
    // Moves everything up one step, or restarts once Pants has passed; true when
    // this tick restarted.
    bool tick(std::int32_t outerHeight);

    std::int32_t top(Element e) const { return m_tops[e]; }
    std::int32_t bottom(Element e) const { return m_tops[e] + kHeights[e]; }
    void setTop(Element e, std::int32_t top) { m_tops[e] = top; }
    std::int32_t thankLeft() const { return m_thankLeft; }
    void setThankLeft(std::int32_t left) { m_thankLeft = left; }

private:
    std::array<std::int32_t, kElementCount> m_tops{};
    std::int32_t m_thankLeft = kThankStoredLeft;
};
