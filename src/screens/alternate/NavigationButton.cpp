#include "screens/alternate/NavigationButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void NavigationButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    constexpr int margem = 6;
    const QSize marca = iconSize();
    const QRect area = rect().adjusted(margem, 0, -margem, 0);
    const QRect rectMarca(area.right() - marca.width() + 1, (height() - marca.height()) / 2,
                          marca.width(), marca.height());
    icon().paint(&painter, rectMarca);
    const QRect rectTexto = area.adjusted(0, 0, -(marca.width() + margem), 0);
    painter.drawItemText(rectTexto, Qt::AlignRight | Qt::AlignVCenter | Qt::TextShowMnemonic,
                         palette(), isEnabled(), text(), QPalette::ButtonText);
}
