#pragma once

#include <array>
#include <memory>

#include "ui/windows/Window.h"
#include "ui/credits/CreditsScroll.h"

class CreditText;
class CreditsStage;
class QGroupBox;
class QShowEvent;
class QTimer;

// The credits: white on black, rising through a small fixed window, endlessly,
// while the window can be seen.
class CreditsWindow final : public Window {
    Q_OBJECT
public:
    explicit CreditsWindow(WindowContext& context);
    ~CreditsWindow() override;

    void onLoad() override;
    void onTick();

    // The window's outer height in twips, title bar and borders included.
    int outerHeightTwips() const;
    const CreditsScroll& scroll() const { return m_scroll; }

    CreditText* appNameText;
    CreditText* copyrightText;
    CreditText* creditsHeading;
    CreditText* unitOneHeading;
    CreditText* unitOneTitles;
    CreditText* unitOneNames;
    CreditText* unitTwoHeading;
    CreditText* unitTwoTitles;
    CreditText* unitTwoNames;
    CreditText* thanksText;
    QGroupBox* disclaimerBox;
    CreditText* disclaimerText;
    CreditText* fireText;
    CreditText* pantsText;
    QTimer* scrollTimer;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void place();
    void scrollWhileSeen();

    CreditsScroll m_scroll;
    bool m_shown = false;
    // Stopped while the window cannot be seen (not by anyone else).
    bool m_paused = false;
    std::array<QWidget*, CreditsScroll::kElementCount> m_elements{};
    std::unique_ptr<CreditsStage> m_stage;
    std::array<int, CreditsScroll::kElementCount> m_lefts{};
};
