#pragma once

#include <QSignalSpy>
#include <QTest>
#include <array>
#include <ostream>

#include "controls/slim_track_bar.h"

inline void PrintTo(const QColor& colour, std::ostream* out) {
    *out << colour.name(QColor::HexArgb).toStdString();
}

// The far edges are exclusive, as the layout rules state them: {left, top, right, bottom}.
inline std::array<int, 4> Edges(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

// The motor power slider of the main window: 0..255 on a 30-pixel-high bar.
inline void SetUpAsMotorBar(TSlimTrackBar& bar) {
    bar.resize(150, 30);
    bar.SetMax(255);
    bar.SetThickness(6);
    bar.SetPadding(10);
    bar.SetColor(QPalette::Button);
    bar.SetTrackColor(QColor(Qt::blue));
    bar.SetPosHighlightColor(QColor(Qt::red));
}

// Counts of the three notifications, each checked to carry the bar as its sender.
struct NotificationCounts {
    explicit NotificationCounts(TSlimTrackBar& bar)
        : bar_(&bar),
          changes(&bar, &TSlimTrackBar::OnChange),
          begins(&bar, &TSlimTrackBar::OnBeginChange),
          ends(&bar, &TSlimTrackBar::OnEndChange) {}

    // {begins, changes, ends}
    std::array<qsizetype, 3> Counts() const {
        return {begins.count(), changes.count(), ends.count()};
    }

    bool AllFromTheBar() const {
        for (const QSignalSpy* spy : {&changes, &begins, &ends})
            for (const QList<QVariant>& args : *spy)
                if (args.at(0).value<QObject*>() != bar_) return false;
        return true;
    }

    TSlimTrackBar* bar_;
    QSignalSpy changes;
    QSignalSpy begins;
    QSignalSpy ends;
};
