// The program's pictures as code: every tile icon, cursor, arrow, the splash
// and the program icon is a drawing routine here, rendered to PNG by tw-artwork.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <functional>

namespace artwork {

// One picture: its resource name, pixel size and how to draw it. Drawing
// routines work in the picture's own pixel coordinates.
struct Picture {
    QString name;
    QSize size;
    std::function<void(QPainter &)> draw;
    bool opaque = false;
    QString caption; // tile caption for the contact sheet (tile icons only)
    QPoint hotSpot = QPoint(-1, -1); // cursors only
};

QList<Picture> TileIcons();
QList<Picture> Cursors();
QList<Picture> OtherPictures(); // menu and paging arrows, splash, program icons

// Renders a picture at its own size, or scaled (for previews and the splash).
QImage Render(const Picture &pic, double scale = 1.0);
const Picture *FindPicture(const QList<Picture> &list, const QString &name);

// Contact sheets for reviewing the artwork.
void WriteSheets(const QString &folder);

// ---- shared drawing vocabulary -------------------------------------------------

constexpr QRgb MetroBlue = 0xFF1BA1E2;
extern const QRgb Rainbow[7];

// Tile glyphs: opaque white, 2 px line weight, round ends.
QPen GlyphPen(double width = 2.0);
void SetGlyph(QPainter &p, double width = 2.0); // pen + no brush
void FillGlyph(QPainter &p, const QPainterPath &path);

// Clears a margin around a shape so that overlapping glyph parts stay apart by
// their alpha alone (tiles of other colours keep only the alpha of an icon).
void Knockout(QPainter &p, const QPainterPath &shape, double margin);
void KnockoutStroke(QPainter &p, const QPainterPath &centre, double width);

// A filled stroke whose width runs linearly from w0 to w1 along the path.
QPainterPath TaperedStroke(const QPainterPath &centre, double w0, double w1, int samples = 48);
// The same with any width along the path (t from 0 to 1).
QPainterPath TaperedStroke(const QPainterPath &centre, const std::function<double(double)> &width, int samples = 48);
// A filled arrow head with its tip at `tip`, pointing along `dir`.
QPainterPath ArrowHead(QPointF tip, QPointF dir, double length, double halfWidth);
// Maps a path drawn along the x axis (tip at the origin) onto the segment tip -> end.
QTransform AxisTransform(QPointF tip, QPointF end);

// A band of the seven rainbow colours inside a white rim, for the rainbow pens.
void RainbowBand(QPainter &p, const QRectF &r);

// The pencil and the marker as outline glyphs, tip at `tip`, body towards `end`.
void PencilGlyph(QPainter &p, QPointF tip, QPointF end, double halfWidth = 4.0);
void MarkerGlyph(QPainter &p, QPointF tip, QPointF end, double halfWidth = 5.0);
QPainterPath PencilOutline(QPointF tip, QPointF end, double halfWidth = 4.0);

// A small picture (frame, mountains, sun) as an outline glyph.
void PictureGlyph(QPainter &p, const QRectF &frame);

} // namespace artwork
