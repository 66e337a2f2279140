#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QWidget>
#include <QtGlobal>
#include <optional>

class QPainter;

enum TSlimTrackBarOrientation { toVertical = 0, toHorizontal = 1 };

// A thin slider that paints itself: a track line, a small raised box at the position, an
// optional highlight from the start of the track to the position and an optional selection
// band. A user interaction (a drag, a key press until its release) is bracketed by
// OnBeginChange and OnEndChange; every position change, also one made by the program,
// fires OnChange.
class TSlimTrackBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int PageSize READ PageSize WRITE SetPageSize)
    Q_PROPERTY(int LineSize READ LineSize WRITE SetLineSize)
    Q_PROPERTY(bool ClickFocus READ ClickFocus WRITE SetClickFocus)
    Q_PROPERTY(bool SliderVisible READ SliderVisible WRITE SetSliderVisible)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE SetShadowColor)
    Q_PROPERTY(QColor HighlightColor READ HighlightColor WRITE SetHighlightColor)
    Q_PROPERTY(QColor TrackColor READ TrackColor WRITE SetTrackColor)
    Q_PROPERTY(QColor SelectionColor READ SelectionColor WRITE SetSelectionColor)
    Q_PROPERTY(bool PosHighlight READ PosHighlight WRITE SetPosHighlight)
    Q_PROPERTY(QColor PosHighlightColor READ PosHighlightColor WRITE SetPosHighlightColor)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition NOTIFY OnChange)
    Q_PROPERTY(int Thickness READ Thickness WRITE SetThickness)
    Q_PROPERTY(int Padding READ Padding WRITE SetPadding)
    Q_PROPERTY(int FocusPadding READ FocusPadding WRITE SetFocusPadding)
    Q_PROPERTY(int SelEnd READ SelEnd WRITE SetSelEnd)
    Q_PROPERTY(int SelStart READ SelStart WRITE SetSelStart)
    Q_PROPERTY(TSlimTrackBarOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)

public:
    explicit TSlimTrackBar(QWidget* parent = nullptr);

    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value);
    bool ClickFocus() const { return clickFocus_; }
    void SetClickFocus(bool value);
    bool SliderVisible() const { return sliderVisible_; }
    void SetSliderVisible(bool value);
    bool PosHighlight() const { return posHighlight_; }
    void SetPosHighlight(bool value);

    // Each colour follows its palette role until a fixed colour is set, so that the defaults
    // keep up with the theme; an invalid QColor goes back to the role.
    QColor ShadowColor() const { return Resolve(shadowColor_); }
    void SetShadowColor(const QColor& value);
    QColor HighlightColor() const { return Resolve(highlightColor_); }
    void SetHighlightColor(const QColor& value);
    QColor TrackColor() const { return Resolve(trackColor_); }
    void SetTrackColor(const QColor& value);
    QColor SelectionColor() const { return Resolve(selectionColor_); }
    void SetSelectionColor(const QColor& value);
    QColor PosHighlightColor() const { return Resolve(posHighlightColor_); }
    void SetPosHighlightColor(const QColor& value);
    // The background around the track and the slider's face; it may follow another role
    // (a bar on a button-face panel).
    QColor Color() const { return Resolve(color_); }
    void SetColor(const QColor& value) { SetColour(color_, {color_.role, value}); }
    void SetColor(QPalette::ColorRole role) { SetColour(color_, {role, QColor()}); }

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value) { SetPositionWide(value); }
    int Thickness() const { return thickness_; }
    void SetThickness(int value);
    int Padding() const { return padding_; }
    void SetPadding(int value);
    int FocusPadding() const { return focusPadding_; }
    void SetFocusPadding(int value);
    int SelEnd() const { return selEnd_; }
    void SetSelEnd(int value);
    int SelStart() const { return selStart_; }
    void SetSelStart(int value);
    TSlimTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSlimTrackBarOrientation value);

    // Pixels per position unit along the track.
    double GetPosStep() const;
    // Offset of a value from the start end of the track (the left or the bottom edge).
    int GetPosCoordinate(int value) const;
    int ValByOrientation(int horizontal, int vertical) const {
        return orientation_ == toHorizontal ? horizontal : vertical;
    }
    // Rectangles in client coordinates; right() + 1 and bottom() + 1 are the far edges.
    QRect GetTrackLineRect() const;
    QRect GetPosHighlightRect() const;
    QRect GetSelectionRect() const;
    QRect GetSliderRect() const;

    // Moves the position to the value under the client point (x, y).
    void GoToPosition(int x, int y);
    // A one-pixel bevel: c1 along the left and top edges, c2 along the right and bottom.
    static void Draw3DRect(QPainter& painter, const QColor& c1, const QColor& c2, const QRect& r);

    void BeginChange();
    void EndChange();

    QSize sizeHint() const override;

Q_SIGNALS:
    void OnChange(QObject* Sender);
    void OnBeginChange(QObject* Sender);
    void OnEndChange(QObject* Sender);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct tColourChoice {
        QPalette::ColorRole role;
        QColor fixed;
        bool operator==(const tColourChoice& other) const {
            return role == other.role && fixed == other.fixed;
        }
    };

    QColor Resolve(const tColourChoice& choice) const;
    void SetColour(tColourChoice& slot, const tColourChoice& value);
    void SetAtLeast(int& field, int value, int lowest);
    // Takes the wide value so that a step beyond the int range still counts as a change.
    void SetPositionWide(qint64 value);
    std::optional<qint64> KeyTarget(int key) const;

    int pageSize_ = 2;
    int lineSize_ = 1;
    bool clickFocus_ = false;
    bool sliderVisible_ = true;
    tColourChoice shadowColor_{QPalette::Dark, QColor()};
    tColourChoice highlightColor_{QPalette::Light, QColor()};
    tColourChoice trackColor_{QPalette::Base, QColor()};
    tColourChoice selectionColor_{QPalette::Highlight, QColor()};
    bool posHighlight_ = true;
    tColourChoice posHighlightColor_{QPalette::ButtonText, QColor()};
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
    int thickness_ = 6;
    int padding_ = 10;
    int focusPadding_ = 0;
    int selEnd_ = 0;
    int selStart_ = 0;
    TSlimTrackBarOrientation orientation_ = toHorizontal;
    tColourChoice color_{QPalette::Base, QColor()};

    bool dragging_ = false;
    bool changing_ = false;
    qint64 wheelRemainder_ = 0;
};
