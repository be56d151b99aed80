// The colour editor of the setup dialog: a swatch, a saturation-luminance
// square, a hue strip, a hexadecimal edit and its "color" button, with the
// HSL arithmetic and the reading of typed colours they share.
#pragma once

#include "platform/Types.h"

#include <QImage>
#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

// Hue, saturation and luminance, each 0..1 (hue 1 is red again).
struct HslColor {
    double Hue = 0;
    double Sat = 0;
    double Lum = 0;
    bool operator==(const HslColor &) const = default;
};
// A grey has hue 0 and saturation 0.
HslColor RgbToHsl(TAlphaColor c);
// The colour of hue, saturation and luminance, with the alpha byte given
// (0..255). Converting a colour there and back gives the same colour.
TAlphaColor HslToRgb(const HslColor &hsl, int alpha = 255);

// The colour typed in a colour edit: hexadecimal digits RRGGBB, made opaque.
// Text that is not a hexadecimal number gives white; a number above 0xFFFFFF
// gives white as well.
TAlphaColor ParseColorText(const QString &text);
// The colour's low 24 bits as six upper-case hexadecimal digits.
QString ColorHexText(TAlphaColor c);

// The swatch: a rectangle filled with one colour.
class ColorSwatch : public QWidget
{
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);
    TAlphaColor Color() const { return m_color; }
    void SetColor(TAlphaColor c);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    TAlphaColor m_color = 0xFFFFFFFF;
};

// The saturation-luminance square of one hue: saturation grows from left to
// right, luminance falls from 1 at the top to 0 at the bottom. Its colour is
// always the colour of its hue, saturation and luminance at alpha 1.
class ColorQuad : public QWidget
{
    Q_OBJECT
public:
    explicit ColorQuad(QWidget *parent = nullptr);

    const HslColor &Hsl() const { return m_hsl; }
    TAlphaColor Color() const { return HslToRgb(m_hsl); }
    // Emit Changed when the values differ from the ones held.
    void SetHsl(const HslColor &hsl);
    void SetHue(double hue);

    // Where a hue, saturation and luminance sit in the square, and back.
    QPointF PointOf(double sat, double lum) const;
    void SetFromPoint(const QPointF &p);

signals:
    void Changed();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    HslColor m_hsl;
    QImage m_plane; // the square's colours for m_planeHue
    double m_planeHue = -1;
};

// The hue strip: every hue from red at the top through green and blue back
// to red at the bottom. It moves its square to the hue it is given.
class ColorPicker : public QWidget
{
    Q_OBJECT
public:
    ColorPicker(ColorQuad *quad, QWidget *parent = nullptr);

    double Hue() const { return m_hue; }
    // Takes the colour's hue and puts the colour's hue, saturation and
    // luminance into the square.
    void SetColor(TAlphaColor c);
    double HueAt(double y) const;
    double YOf(double hue) const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    void SetHueFromY(double y);

    ColorQuad *m_quad;
    double m_hue = 0;
};

// The whole editor, 177 x 222: the swatch on top, the square and the hue
// strip below it, the edit and the "color" button at the bottom. The square
// drives the swatch; the owner stores what the editor reports.
class ColorEditor : public QWidget
{
    Q_OBJECT
public:
    explicit ColorEditor(QWidget *parent = nullptr);

    // The parts, named after their roles in the dialog (StockPenColorBox,
    // StockPenColorQD, StockPenColorPkr, StockPenColorEdit, StockPenColorBtn).
    ColorSwatch *Box = nullptr;
    ColorQuad *QD = nullptr;
    ColorPicker *Pkr = nullptr;
    QLineEdit *Edit = nullptr;
    QPushButton *Btn = nullptr;

    // What assistive technology calls the editor and its colour code.
    void SetAccessibleName(const QString &name);

    // The swatch's colour: what a reported change stores.
    TAlphaColor Color() const;
    // Shows a colour in the swatch, the hue strip and square, and the edit.
    void ShowColor(TAlphaColor c);
    // Sets the hue strip, which moves the square (and may report a change).
    void SetPickerColor(TAlphaColor c);
    // Shows the colour's six hexadecimal digits in the edit.
    void SetEditColor(TAlphaColor c);
    QString EditText() const;

signals:
    // The square changed; the swatch already holds its new colour.
    void QDChange();
    // The "color" button was pressed (or Enter typed in the edit).
    void BtnClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
