// TMetroButton: the flat tile button of the tool bar, the picture strip and
// the dialogs, with its kinds and the shared tile colours and sizes. A tile
// fires OnExecute when a press is released over it; Down marks a choice.
#pragma once

#include "platform/Types.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

enum TMetroButtonType : quint8 {
    mtSingle = 0,
    mtDouble = 1,
    mtPicture = 2,
    mtSmallSingle = 3,
    mtSmallDouble = 4,
};

constexpr TAlphaColor MetroBlue = 0xFF1BA1E2;
constexpr TAlphaColor MetroLime = 0xFF8CBF26;
constexpr TAlphaColor MetroRed = 0xFFE51400;
constexpr TAlphaColor MetroGreen = 0xFF339933;
constexpr int MetroSize = 90;
constexpr int MetroSmallSize = 60;
constexpr int MetroGap = 10;

class TMetroButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    explicit TMetroButton(QWidget *parent = nullptr, TMetroButtonType type = mtSingle);
    ~TMetroButton() override;

    // The owner's index of the tile; handlers read it from the sender.
    int Tag = 0;
    // Fired with the tile as the sender, after the pressed look is undone.
    std::function<void(QObject *)> OnExecute;

    TMetroButtonType MetroButtonType() const { return FMetroButtonType; }
    // Sets the kind: height, width and colour (MetroBlue, white for pictures).
    void SetMetroButtonType(TMetroButtonType value);
    Single MetroWidth() const { return FMetroWidth; }
    Single MetroHeight() const { return FMetroHeight; }

    // Colour, bitmap and caption never repaint by themselves: owners set
    // several and repaint once.
    TAlphaColor Color() const { return FColor; }
    void SetColor(TAlphaColor value) { FColor = value; }
    const QImage &Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage &value);
    const QString &Text() const { return FText; }
    void SetText(const QString &value);
    bool Down() const { return FDown; }
    // Repaints only when the value changes.
    void SetDown(bool value);
    // Runs the tile as a press and release on it would (for assistive
    // technology); nothing while the tile is hidden or disabled.
    void Click();

    // The pointer is over the tile / the tile is pressed.
    bool IsEnter() const { return Enter; }
    bool IsPressed() const { return MDown; }

    // Whether a fill colour gets black content (icon and caption) rather than white.
    static bool IsLightColor(TAlphaColor color);
    // The caption font family: "Segoe UI" when installed, else the default sans-serif.
    static QString CaptionFontFamily();
    // The caption's font as the tile draws it now: 16% of the tile's height,
    // smaller only when the caption would not fit two lines under the icon,
    // or (a caption without spaces, drawn on one line then) one line.
    QFont CaptionFont(bool *oneLine = nullptr) const;
    // Where the caption is drawn, bottom-aligned and wrapped at words.
    QRectF CaptionRect() const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    // Undoes the pressed look; the press ends without a click.
    void PressRelease();
    // The tile's area at its full size, also while it is pressed and drawn smaller.
    QRect FullRect() const;
    // Recolours the stored icon in place: black keeps alpha with RGB 0, white sets RGB to alpha.
    void BitmapRecolor(bool black);

    Single FMetroHeight = MetroSize;
    Single FMetroWidth = MetroSize;
    TMetroButtonType FMetroButtonType = mtSingle;
    TAlphaColor FColor = MetroBlue;
    QImage FBitmap;
    QString FText;
    bool Enter = false;
    bool MDown = false;
    bool FDown = false;
};
