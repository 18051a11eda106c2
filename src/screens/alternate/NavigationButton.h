#pragma once

#include <QPushButton>

// A button of the navigation column: right-aligned caption with the page mark
// (the button's icon) at its right.
class NavigationButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    // The caption keeps to one line while it fits and breaks between words when
    // it does not: the fonts are the machine's (a missing Tahoma falls back to a
    // wider face), and a caption must never be cut or elided.
    static constexpr int kCaptionFlags =
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextWordWrap;

    QRect markRect() const;
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kMargin = 6;
};
