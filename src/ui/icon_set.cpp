#include "ui/icon_set.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <array>

namespace {
const char* const kIconFiles[kIconCount] = {
    "00_exit",  "01_about",       "02_connect",     "03_start",   "04_pause",
    "05_stop",  "06_settings",    "07_zero_marker", "08_export",  "09_mark_point",
    "10_relative", "11_calibrate", "12_show_all", "13_event_mark",
};

QImage Render(int index) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kIconFiles[index])));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, kIconSize, kIconSize));
    return image;
}

// Applies `change` to every pixel that is not fully transparent.
template <typename Change>
QImage MapPixels(const QImage& normal, Change change) {
    QImage image = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0) line[x] = change(line[x]);
        }
    }
    return image;
}

// The hot form lifts brightness and saturation so that the image lights up without moving.
QImage Hot(const QImage& normal) {
    return MapPixels(normal, [](QRgb p) {
        QColor c = QColor::fromRgba(p);
        int h, s, v, a;
        c.getHsv(&h, &s, &v, &a);
        c.setHsv(h, qMin(255, s + s / 5), qMin(255, v + (255 - v) / 3 + 12), a);
        return c.rgba();
    });
}

// The disabled form is a light, flat grey, so that it reads as unavailable on any face colour.
QImage Disabled(const QImage& normal) {
    return MapPixels(normal, [](QRgb p) {
        const int grey = 110 + qGray(p) * 45 / 100;
        return qRgba(grey, grey, grey, qAlpha(p) * 70 / 100);
    });
}

struct tForms {
    std::array<QPixmap, 3> pixmaps;
};

const tForms& FormsOf(int index) {
    static std::array<tForms, kIconCount> cache;
    static std::array<bool, kIconCount> made{};
    if (!made[index]) {
        const QImage normal = Render(index);
        cache[index].pixmaps = {QPixmap::fromImage(normal), QPixmap::fromImage(Hot(normal)),
                                QPixmap::fromImage(Disabled(normal))};
        made[index] = true;
    }
    return cache[index];
}
}  // namespace

QPixmap IconPixmap(int index, tIconForm form) {
    if (index < 0 || index >= kIconCount) return QPixmap();
    return FormsOf(index).pixmaps[static_cast<int>(form)];
}

QIcon ActionIcon(int index) {
    if (index < 0 || index >= kIconCount) return QIcon();
    QIcon icon;
    icon.addPixmap(IconPixmap(index, tIconForm::Normal), QIcon::Normal);
    icon.addPixmap(IconPixmap(index, tIconForm::Hot), QIcon::Active);
    icon.addPixmap(IconPixmap(index, tIconForm::Hot), QIcon::Selected);
    icon.addPixmap(IconPixmap(index, tIconForm::Disabled), QIcon::Disabled);
    return icon;
}
