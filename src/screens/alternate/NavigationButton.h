#pragma once

#include <QPushButton>

// A button of the navigation column: right-aligned caption with the page mark
// (the button's icon) at its right.
class NavigationButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
