// The colour editor: HSL arithmetic, the typed-colour reader, and the
// swatch, square and hue strip that the setup dialog uses on three tabs.
#include "setup/ColorEditor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace {
constexpr TAlphaColor MarkerDark = 0xFF000000;
constexpr TAlphaColor MarkerLight = 0xFFFFFFFF;
constexpr TAlphaColor FrameColor = 0xFF7A7A7A;

double Clamp01(double v)
{
    // NaN becomes 0 as well: nothing outside 0..1 reaches the conversions.
    if (!(v >= 0))
        return 0;
    return v > 1 ? 1 : v;
}

int ToByte(double v) { return int(std::clamp<long long>(RoundEven(Clamp01(v) * 255.0), 0, 255)); }

double HueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

// A frame that shows on light and dark colours alike: black inside white.
void DrawMarkerFrame(QPainter &p, const QRectF &r)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor::fromRgba(MarkerLight), 1));
    p.drawRect(r.adjusted(-1, -1, 1, 1));
    p.setPen(QPen(QColor::fromRgba(MarkerDark), 1));
    p.drawRect(r);
}
} // namespace

HslColor RgbToHsl(TAlphaColor c)
{
    const double r = qRed(c) / 255.0, g = qGreen(c) / 255.0, b = qBlue(c) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    HslColor o;
    o.Lum = (mx + mn) / 2;
    if (mx == mn)
        return o;
    const double d = mx - mn;
    o.Sat = o.Lum > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    double h;
    if (mx == r)
        h = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    o.Hue = h / 6;
    return o;
}

TAlphaColor HslToRgb(const HslColor &hsl, int alpha)
{
    double h = std::isfinite(hsl.Hue) ? hsl.Hue - std::floor(hsl.Hue) : 0;
    const double s = Clamp01(hsl.Sat), l = Clamp01(hsl.Lum);
    double r = l, g = l, b = l;
    if (s > 0) {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        r = HueToChannel(p, q, h + 1.0 / 3);
        g = HueToChannel(p, q, h);
        b = HueToChannel(p, q, h - 1.0 / 3);
    }
    return qRgba(ToByte(r), ToByte(g), ToByte(b), std::clamp(alpha, 0, 255));
}

TAlphaColor ParseColorText(const QString &text)
{
    constexpr TAlphaColor White = 0xFFFFFFFF;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return White;
    quint32 v = 0;
    for (const QChar ch : t) {
        const char16_t u = ch.unicode();
        int d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return White;
        // Past 24 bits the value can only be clamped to white; stop before it overflows.
        v = v * 16 + quint32(d);
        if (v > 0xFFFFFF)
            return White;
    }
    return 0xFF000000 | v;
}

QString ColorHexText(TAlphaColor c)
{
    return QStringLiteral("%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

// ---- swatch ---------------------------------------------------------------

ColorSwatch::ColorSwatch(QWidget *parent) : QWidget(parent) { }

void ColorSwatch::SetColor(TAlphaColor c)
{
    if (m_color == c)
        return;
    m_color = c;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    if (qAlpha(m_color) < 255) {
        // A checkerboard shows through a translucent colour.
        for (int y = 0; y < r.height(); y += 8)
            for (int x = 0; x < r.width(); x += 8)
                p.fillRect(x, y, 8, 8, ((x + y) / 8) % 2 ? QColor(0xCC, 0xCC, 0xCC) : QColor(Qt::white));
    }
    p.fillRect(r, QColor::fromRgba(m_color));
    p.setPen(QColor::fromRgba(FrameColor));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

// ---- square ---------------------------------------------------------------

ColorQuad::ColorQuad(QWidget *parent) : QWidget(parent) { setCursor(Qt::CrossCursor); }

void ColorQuad::SetHsl(const HslColor &hsl)
{
    if (hsl == m_hsl)
        return;
    m_hsl = hsl;
    update();
    emit Changed();
}

void ColorQuad::SetHue(double hue)
{
    HslColor v = m_hsl;
    v.Hue = hue;
    SetHsl(v);
}

QPointF ColorQuad::PointOf(double sat, double lum) const
{
    return QPointF(Clamp01(sat) * (width() - 1), (1 - Clamp01(lum)) * (height() - 1));
}

void ColorQuad::SetFromPoint(const QPointF &p)
{
    const double w = std::max(1, width() - 1), h = std::max(1, height() - 1);
    HslColor v = m_hsl;
    v.Sat = Clamp01(p.x() / w);
    v.Lum = 1 - Clamp01(p.y() / h);
    SetHsl(v);
}

void ColorQuad::paintEvent(QPaintEvent *)
{
    const int w = width(), h = height();
    if (w <= 0 || h <= 0)
        return;
    if (m_planeHue != m_hsl.Hue || m_plane.size() != size()) {
        m_plane = QImage(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto *row = reinterpret_cast<QRgb *>(m_plane.scanLine(y));
            const double lum = h > 1 ? 1 - double(y) / (h - 1) : 1;
            for (int x = 0; x < w; ++x)
                row[x] = HslToRgb({m_hsl.Hue, w > 1 ? double(x) / (w - 1) : 0, lum});
        }
        m_planeHue = m_hsl.Hue;
    }
    QPainter p(this);
    p.drawImage(0, 0, m_plane);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = PointOf(m_hsl.Sat, m_hsl.Lum) + QPointF(0.5, 0.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor::fromRgba(MarkerLight), 1.5));
    p.drawEllipse(c, 5, 5);
    p.setPen(QPen(QColor::fromRgba(MarkerDark), 1.5));
    p.drawEllipse(c, 3.5, 3.5);
}

void ColorQuad::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        SetFromPoint(e->position());
}

void ColorQuad::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() & Qt::LeftButton)
        SetFromPoint(e->position());
}

// ---- hue strip ------------------------------------------------------------

ColorPicker::ColorPicker(ColorQuad *quad, QWidget *parent) : QWidget(parent), m_quad(quad)
{
    setCursor(Qt::SizeVerCursor);
}

void ColorPicker::SetColor(TAlphaColor c)
{
    const HslColor hsl = RgbToHsl(c);
    if (m_hue != hsl.Hue) {
        m_hue = hsl.Hue;
        update();
    }
    if (m_quad)
        m_quad->SetHsl(hsl);
}

double ColorPicker::HueAt(double y) const { return Clamp01(y / std::max(1, height() - 1)); }

double ColorPicker::YOf(double hue) const { return Clamp01(hue) * (height() - 1); }

void ColorPicker::SetHueFromY(double y)
{
    const double hue = HueAt(y);
    if (hue != m_hue) {
        m_hue = hue;
        update();
    }
    if (m_quad)
        m_quad->SetHue(hue);
}

void ColorPicker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int w = width(), h = height();
    for (int y = 0; y < h; ++y)
        p.fillRect(0, y, w, 1, QColor::fromRgba(HslToRgb({HueAt(y), 1, 0.5})));
    const double y = std::round(YOf(m_hue));
    DrawMarkerFrame(p, QRectF(1.5, y - 1.5, w - 3, 3));
}

void ColorPicker::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        SetHueFromY(e->position().y());
}

void ColorPicker::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() & Qt::LeftButton)
        SetHueFromY(e->position().y());
}

// ---- editor ---------------------------------------------------------------

ColorEditor::ColorEditor(QWidget *parent) : QWidget(parent)
{
    setFixedSize(177, 222);
    Box = new ColorSwatch(this);
    Box->setGeometry(0, 0, 177, 50);
    QD = new ColorQuad(this);
    QD->setGeometry(0, 57, 137, 133);
    Pkr = new ColorPicker(QD, this);
    Pkr->setGeometry(152, 57, 25, 133);
    Edit = new QLineEdit(this);
    Edit->setGeometry(0, 200, 113, 22);
    Edit->installEventFilter(this);
    Edit->setAccessibleName(tr("Color code"));
    Btn = new QPushButton(tr("color"), this);
    Btn->setGeometry(120, 200, 57, 22);
    Btn->setAutoDefault(false);

    connect(QD, &ColorQuad::Changed, this, [this] {
        Box->SetColor(QD->Color());
        emit QDChange();
    });
    connect(Btn, &QPushButton::clicked, this, [this] { emit BtnClick(); });
}

TAlphaColor ColorEditor::Color() const { return Box->Color(); }

void ColorEditor::ShowColor(TAlphaColor c)
{
    Box->SetColor(c);
    SetPickerColor(c);
    SetEditColor(c);
}

void ColorEditor::SetPickerColor(TAlphaColor c) { Pkr->SetColor(c); }

void ColorEditor::SetEditColor(TAlphaColor c) { Edit->setText(ColorHexText(c)); }

QString ColorEditor::EditText() const { return Edit->text(); }

bool ColorEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the edit applies the colour; it must not reach the dialog,
    // where it would press OK.
    if (watched == Edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit BtnClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ColorEditor::SetAccessibleName(const QString &name)
{
    setAccessibleName(name);
    Edit->setAccessibleName(tr("%1 code").arg(name));
}
