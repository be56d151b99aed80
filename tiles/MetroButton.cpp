// The tile button: its kinds, the press that shrinks it and fires on
// release, and its painting with black or white content by the fill's luminance.
#include "tiles/MetroButton.h"

#include "platform/Bitmap.h"

#include <QAccessibleWidget>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {
// The pressed look: the tile shrinks by this much on every side.
constexpr int PressInset = 3;

// A tile as assistive technology sees it: a button named by its caption
// (or by the name its owner gave, for tiles that show only a picture),
// checked while it marks a choice, pressed by the "Press" action.
class TMetroButtonAccessible : public QAccessibleWidget
{
public:
    explicit TMetroButtonAccessible(TMetroButton *tile) : QAccessibleWidget(tile, QAccessible::Button) { }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString given = widget()->accessibleName();
        return (given.isEmpty() ? Tile()->Text() : given).simplified();
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = Tile()->Down();
        s.checked = Tile()->Down();
        s.pressed = Tile()->IsPressed();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            Tile()->Click();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    TMetroButton *Tile() const { return static_cast<TMetroButton *>(widget()); }
};

QAccessibleInterface *MetroButtonAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("TMetroButton") && object->isWidgetType())
        return new TMetroButtonAccessible(static_cast<TMetroButton *>(object));
    return nullptr;
}
} // namespace

TMetroButton::TMetroButton(QWidget *parent, TMetroButtonType type) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(MetroButtonAccessible), true);
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    SetMetroButtonType(type);
}

TMetroButton::~TMetroButton() = default;

void TMetroButton::SetMetroButtonType(TMetroButtonType value)
{
    // A type change while pressed would otherwise leave the shrunken geometry behind.
    if (MDown)
        PressRelease();
    FMetroButtonType = value;
    FMetroHeight = (value == mtSmallSingle || value == mtSmallDouble) ? MetroSmallSize : MetroSize;
    const int h = int(FMetroHeight);
    int w;
    if (value == mtPicture) {
        FColor = 0xFFFFFFFF;
        BitmapSetSize(FBitmap, h, h);
        w = h;
    } else {
        FColor = MetroBlue;
        w = (value == mtDouble || value == mtSmallDouble) ? h * 2 + MetroGap : h;
    }
    resize(w, h);
    FMetroWidth = Single(width());
}

void TMetroButton::SetText(const QString &value)
{
    if (FText == value)
        return;
    FText = value;
    if (QAccessible::isActive() && accessibleName().isEmpty()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TMetroButton::Click()
{
    if (OnExecute && isEnabled() && isVisible())
        OnExecute(this);
}

void TMetroButton::SetBitmap(const QImage &value) { FBitmap = value.isNull() ? QImage() : ToBitmap(value); }

void TMetroButton::SetDown(bool value)
{
    if (FDown == value)
        return;
    FDown = value;
    update();
}

bool TMetroButton::IsLightColor(TAlphaColor color)
{
    // L = 0.3 R + 0.59 G + 0.11 B >= 204, in whole numbers so that a
    // luminance of exactly 204 is not lost to rounding.
    const int r = qRed(color), g = qGreen(color), b = qBlue(color);
    return 30 * r + 59 * g + 11 * b >= 20400;
}

QString TMetroButton::CaptionFontFamily()
{
    static const QString family = [] {
        QString segoe = QStringLiteral("Segoe UI");
        if (QFontDatabase::hasFamily(segoe))
            return segoe;
        QFont f;
        f.setStyleHint(QFont::SansSerif);
        const QString fallback = f.defaultFamily();
        return fallback.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() : fallback;
    }();
    return family;
}

QRectF TMetroButton::CaptionRect() const { return QRectF(6, 3, width() - 12, height() - 6); }

QFont TMetroButton::CaptionFont(bool *oneLine) const
{
    if (oneLine)
        *oneLine = false;
    const double base = height() * 0.16;
    QFont font(CaptionFontFamily());
    SetFontPixelSize(font, base, this);
    if (FText.isEmpty())
        return font;
    const QRectF area = CaptionRect();
    const int flags = Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap;
    const double twoLines = 2 * QFontMetricsF(font, this).lineSpacing() + 0.5;
    // Japanese has no spaces and may break between any two characters: a
    // caption a little too wide for one line is drawn a little smaller
    // rather than broken in the middle of its word.
    const bool oneWord = !FText.contains(QLatin1Char(' '));
    // A caption may reach into the right margin as far as the English ones
    // always have; two pixels stay clear of the tile's edge.
    const double room = area.width() + 4;
    const auto fits = [&](double px, bool single) {
        SetFontPixelSize(font, px, this);
        const QFontMetricsF m(font, this);
        if (single)
            return m.horizontalAdvance(FText) <= room;
        const QRectF need = m.boundingRect(area, flags, FText);
        return need.width() <= room && need.height() <= twoLines;
    };
    if (oneWord) {
        for (double px = base; px >= base * 0.8; px -= 0.5)
            if (fits(px, true)) {
                if (oneLine)
                    *oneLine = true;
                return font;
            }
    }
    // Otherwise it gets two lines under the icon; one that needs more, or has
    // a word wider than the tile, is drawn smaller until it fits rather than
    // running over the icon or out of the tile.
    for (double px = base; px > 6.0; px -= 0.5)
        if (fits(px, false))
            return font;
    return font;
}

void TMetroButton::BitmapRecolor(bool black)
{
    if (FBitmap.isNull())
        return;
    if (FBitmap.format() != BitmapFormat)
        FBitmap = ToBitmap(FBitmap);
    for (int y = 0; y < FBitmap.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(FBitmap.scanLine(y));
        for (int x = 0; x < FBitmap.width(); ++x) {
            const QRgb a = qAlpha(row[x]);
            // Premultiplied: white at the pixel's own opacity has every channel equal to alpha.
            row[x] = black ? (a << 24) : ((a << 24) | (a << 16) | (a << 8) | a);
        }
    }
}

void TMetroButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PreparePainter(p);
    const QRectF R(0, 0, width(), height());
    const double W = R.width(), H = R.height();

    p.fillRect(R, QColor::fromRgba(FColor));

    if (Enter || FDown) {
        p.setBrush(Qt::NoBrush);
        // A white frame two pixels wide at the edge with a black pixel line
        // inside it, both on whole pixels.
        p.setPen(QPen(QColor::fromRgba(0xFF000000), 1));
        p.drawRect(R.adjusted(2.5, 2.5, -2.5, -2.5));
        p.setPen(QPen(QColor::fromRgba(0xFFFFFFFF), 2));
        p.drawRect(R.adjusted(1, 1, -1, -1));
    }

    if (FMetroButtonType == mtPicture) {
        DrawBitmap(p, FBitmap, QRectF(0, 0, FBitmap.width(), FBitmap.height()), R, 0.5, false);
        return;
    }

    const double s = H - 24 - 10;
    const QRectF iconRect(R.left() + (W - s) / 2, R.bottom() - 24 - s, s, s);

    const bool light = IsLightColor(FColor);
    // The stored icons are drawn for the default colour; on any other
    // colour they take the content colour, and keep it.
    if (FColor != MetroBlue)
        BitmapRecolor(light);
    const QColor content = QColor::fromRgba(light ? 0xFF000000 : 0xFFFFFFFF);

    if (s > 0)
        DrawBitmap(p, FBitmap, QRectF(0, 0, FBitmap.width(), FBitmap.height()), iconRect, 1.0, false);

    if (FText.isEmpty())
        return;
    bool oneLine = false;
    const QFont font = CaptionFont(&oneLine);
    const QRectF textRect = CaptionRect();
    const int flags = Qt::AlignLeft | Qt::AlignBottom | (oneLine ? Qt::TextSingleLine : Qt::TextWordWrap);
    p.setFont(font);
    p.setPen(content);
    p.drawText(textRect, flags, FText);
}

QRect TMetroButton::FullRect() const
{
    return MDown ? rect().adjusted(-PressInset, -PressInset, PressInset, PressInset) : rect();
}

void TMetroButton::PressRelease()
{
    MDown = false;
    setGeometry(x() - PressInset, y() - PressInset, width() + 2 * PressInset, height() + 2 * PressInset);
}

void TMetroButton::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    // A second button while pressed must not shrink the tile again.
    if (MDown)
        return;
    MDown = true;
    Enter = true;
    setGeometry(x() + PressInset, y() + PressInset, width() - 2 * PressInset, height() - 2 * PressInset);
    update();
}

void TMetroButton::mouseMoveEvent(QMouseEvent *e)
{
    e->accept();
    // Qt keeps sending moves to the pressed tile while the pointer is
    // elsewhere and sends no leave until release: a move off the tile is
    // the leave, and coming back only brings the hover frame back. A pressed
    // tile is tested at its full size: a pen or finger always wanders a
    // little, and the shrunken look must not make its edge a dead zone.
    const bool inside = FullRect().contains(e->position().toPoint());
    if (!inside && MDown) {
        Enter = false;
        PressRelease();
        update();
        return;
    }
    if (inside != Enter) {
        Enter = inside;
        update();
    }
}

void TMetroButton::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
    if (!MDown)
        return;
    // Over the tile at its full size: a press at the very edge counts even
    // though the shrunken tile no longer covers that point.
    const bool over = FullRect().contains(e->position().toPoint());
    PressRelease();
    // The handler may close a dialog or rebuild the tiles.
    const QPointer<TMetroButton> self(this);
    if (over)
        Click();
    if (self)
        update();
}

void TMetroButton::enterEvent(QEnterEvent *)
{
    Enter = true;
    update();
}

void TMetroButton::leaveEvent(QEvent *)
{
    Enter = false;
    if (MDown)
        PressRelease();
    update();
}

void TMetroButton::hideEvent(QHideEvent *)
{
    // A tile hidden while pressed gets no release; it must not stay small.
    Enter = false;
    if (MDown)
        PressRelease();
}
