#include "screens/alternate/NavigationButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

QRect NavigationButton::markRect() const {
    const QSize mark = iconSize();
    return {width() - kMargin - mark.width(), (height() - mark.height()) / 2, mark.width(),
            mark.height()};
}

QRect NavigationButton::captionRect() const {
    return {kMargin, 0, markRect().left() - 2 * kMargin, height()};
}

void NavigationButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    icon().paint(&painter, markRect());
    painter.drawItemText(captionRect(), kCaptionFlags, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}
