#include "main/font_setter.h"

#include <QApplication>
#include <QFont>

void SetTrueTypeFont() {
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Tahoma"));
    // 8 points, the window's font height of -11 pixels at 96 dpi.
    font.setPointSize(8);
    QApplication::setFont(font);
}
