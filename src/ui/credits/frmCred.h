#pragma once

#include <array>

#include "core/Form.h"
#include "ui/credits/CreditsScroll.h"

class CreditText;
class QGroupBox;
class QTimer;

// The credits: white on black, rising through a small fixed window, endlessly.
class frmCred final : public Form {
    Q_OBJECT
public:
    frmCred();

    void Form_Load() override;
    void Timer1_Timer();

    // The window's outer height in twips, title bar and borders included.
    int OuterHeightTwips() const;
    const CreditsScroll& scroll() const { return m_scroll; }

    CreditText* txtAppname;
    CreditText* txtCopy;
    CreditText* txtCred;
    CreditText* txtU1;
    CreditText* txtUoo;
    CreditText* txtUot;
    CreditText* txtU2;
    CreditText* txtUto;
    CreditText* txtUtt;
    CreditText* txtThank;
    QGroupBox* frmAnim;
    CreditText* Label1;
    CreditText* txtFire;
    CreditText* txtPants;
    QTimer* Timer1;

private:
    void place();

    CreditsScroll m_scroll;
    std::array<QWidget*, CreditsScroll::kElementCount> m_elements{};
    std::array<int, CreditsScroll::kElementCount> m_lefts{};
};
