// Ink latency: from a pointer event to the window's backing store holding
// the new segment, for the board showing a 4000 x 3000 picture in 1920 x
// 1080, against a bare widget that paints the same segment over the same
// picture. The two are measured alternately, event by event, in one run,
// so that whatever else the machine does weighs on both alike.
//
// The device pixel ratio is the process's: run once as is and once with
// QT_SCALE_FACTOR=2 (the offscreen platform then gives every window a
// backing store of twice the size in both directions).
#include "board/PWImage.h"

#include "BenchMain.h"
#include "BenchPhoto.h"
#include "BenchShort.h"

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTabletEvent>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {
constexpr int BoardW = 1920, BoardH = 1080;
constexpr TAlphaColor Ink = 0xFFFF00FF; // a colour the picture never has
constexpr Single InkWidth = 6;

// A wandering line in control coordinates over the shown picture, in steps
// of 16 pixels as a quick hand gives them.
QVector<QPointF> Walk(int n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QVector<QPointF> pts;
    QPointF p(900, 540);
    double heading = 0;
    for (int i = 0; i < n; ++i) {
        pts << p;
        heading += (rng.generateDouble() - 0.5) * 0.8;
        QPointF next = p + 16 * QPointF(std::cos(heading), std::sin(heading));
        if (next.x() < 300 || next.x() > 1600 || next.y() < 40 || next.y() > 1040) {
            heading += M_PI; // turn back at the edges
            next = p + 16 * QPointF(std::cos(heading), std::sin(heading));
        }
        p = next;
    }
    return pts;
}

// The reference: a widget that keeps what it shows at device resolution,
// draws each segment into it and repaints only the segment's rectangle.
class TBareInk : public QWidget
{
public:
    TBareInk()
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void Prepare(const QImage &picture)
    {
        const qreal dpr = devicePixelRatioF();
        m_shown = NewBitmap(int(width() * dpr), int(height() * dpr));
        m_shown.setDevicePixelRatio(dpr);
        QPainter p(&m_shown);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        // Fitted as the board fits it: the whole picture, its sides in proportion.
        const QSizeF fit = QSizeF(picture.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        p.drawImage(QRectF(QPointF(0, 0), fit), picture);
    }
    void Segment(const QPointF &a, const QPointF &b)
    {
        {
            QPainter p(&m_shown);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor::fromRgba(Ink), InkWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(a, b);
        }
        update(QRectF(a, b).normalized().adjusted(-InkWidth, -InkWidth, InkWidth, InkWidth).toAlignedRect());
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter p(this);
        const QRect r = e->rect();
        const qreal dpr = m_shown.devicePixelRatio();
        p.drawImage(QPointF(r.topLeft()), m_shown, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (m_down)
            Segment(m_last, e->position());
        m_last = e->position();
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        m_down = true;
        m_last = e->position();
    }
    void mouseReleaseEvent(QMouseEvent *) override { m_down = false; }

private:
    QImage m_shown;
    QPointF m_last;
    bool m_down = false;
};

const QPointingDevice *Stylus()
{
    static QPointingDevice d(QStringLiteral("stylus"), 4001, QInputDevice::DeviceType::Stylus,
                             QPointingDevice::PointerType::Pen,
                             QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
    return &d;
}

void Send(QWidget *w, QEvent::Type type, const QPointF &p, bool stylus, qreal pressure)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    if (stylus) {
        const QEvent::Type t = type == QEvent::MouseButtonPress     ? QEvent::TabletPress
                               : type == QEvent::MouseButtonRelease ? QEvent::TabletRelease
                                                                    : QEvent::TabletMove;
        QTabletEvent e(t, Stylus(), p, w->mapToGlobal(p), pressure, 0, 0, 0, 0, 0, Qt::NoModifier, button, buttons);
        QApplication::sendEvent(w, &e);
        return;
    }
    QMouseEvent e(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Whether the point p lies under a visible pixel of the board's cursor picture.
bool UnderCursor(const ImageControl *cursor, const QPointF &p)
{
    if (!cursor || !cursor->isVisible())
        return false;
    // The cursor picture has the screen's device pixels.
    const QPoint at = ((p - QPointF(cursor->pos())) * cursor->Bitmap.devicePixelRatio()).toPoint();
    return cursor->Bitmap.rect().contains(at) && qAlpha(cursor->Bitmap.pixel(at)) > 0;
}

// Whether the window's backing store shows the segment a-b: ink at one of
// its points beyond the previous segment's round end at a that the board's
// cursor picture leaves uncovered. 1 it shows, 0 it does not, -1 there is
// no such point to tell by.
int InkShows(QWidget *w, const QPointF &a, const QPointF &b)
{
    const auto *board = qobject_cast<TPWImage *>(w);
    const ImageControl *cursor = board ? board->CurImage() : nullptr;
    QPaintDevice *device = w->backingStore() ? w->backingStore()->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return 0;
    const QImage &img = *static_cast<QImage *>(device);
    int looked = 0;
    for (int k = 1; k <= 10; ++k) {
        const QPointF p = a + (b - a) * (k / 10.0);
        if (QLineF(a, p).length() < InkWidth / 2 + 1.5 || UnderCursor(cursor, p))
            continue;
        ++looked;
        const QPoint d = (p * img.devicePixelRatio()).toPoint();
        if (!img.rect().contains(d))
            continue;
        const QRgb c = img.pixel(d);
        if (qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) > 200)
            return 1;
    }
    return looked ? 0 : -1;
}

// One event and everything it sets off until the backing store is painted, in microseconds.
double Latency(QWidget *w, const QPointF &a, const QPointF &b, bool stylus, qreal pressure, int &missed, int &covered)
{
    QElapsedTimer t;
    t.start();
    Send(w, QEvent::MouseMove, b, stylus, pressure);
    QCoreApplication::sendPostedEvents();
    const double us = double(t.nsecsElapsed()) / 1e3;
    const int shows = InkShows(w, a, b);
    missed += shows == 0;
    covered += shows < 0;
    return us;
}

double Percentile(std::vector<double> v, int percent)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * size_t(percent) / 100)];
}

// Arg: 0 the mouse, 1 a stylus with pressure (the board draws it with its
// pressure; the bare widget draws what a mouse would).
void BM_InkLatency(benchmark::State &state)
{
    const bool stylus = state.range(0) != 0;
    TPWImage board;
    board.resize(BoardW, BoardH);
    board.show();
    board.PWResize();
    board.SetSrcBitmap(SharedPhoto());
    board.ZoomPosSet();
    board.SetCrPen(MakeMenuItem(pwPn, Ink, InkWidth));
    board.SetScreenPenWidth(true);
    board.PWMouseEnter();
    TBareInk bare;
    bare.resize(BoardW, BoardH);
    bare.show();
    bare.Prepare(SharedPhoto());
    QCoreApplication::processEvents();

    const int strokeLength = BenchShort() ? 20 : 400;
    const QVector<QPointF> pts = Walk(strokeLength, 31);
    std::vector<double> boardUs, bareUs;
    int boardMissed = 0, bareMissed = 0, covered = 0;
    for (auto _ : state) {
        for (QWidget *w : {static_cast<QWidget *>(&board), static_cast<QWidget *>(&bare)})
            Send(w, QEvent::MouseButtonPress, pts[0], stylus && w == &board, 0.5);
        for (int i = 1; i < pts.size(); ++i) {
            const qreal pressure = 0.3 + 0.7 * (i % 50) / 50.0;
            // Which goes first alternates, so neither always follows the other's cache.
            if (i & 1) {
                boardUs.push_back(Latency(&board, pts[i - 1], pts[i], stylus, pressure, boardMissed, covered));
                bareUs.push_back(Latency(&bare, pts[i - 1], pts[i], false, pressure, bareMissed, covered));
            } else {
                bareUs.push_back(Latency(&bare, pts[i - 1], pts[i], false, pressure, bareMissed, covered));
                boardUs.push_back(Latency(&board, pts[i - 1], pts[i], stylus, pressure, boardMissed, covered));
            }
        }
        state.PauseTiming();
        Send(&board, QEvent::MouseButtonRelease, pts.last(), stylus, 0.5);
        Send(&bare, QEvent::MouseButtonRelease, pts.last(), false, 0.5);
        board.PWUndo();
        bare.Prepare(SharedPhoto());
        QCoreApplication::sendPostedEvents();
        state.ResumeTiming();
    }
    state.counters["dpr"] = board.devicePixelRatioF();
    state.counters["board_p50_us"] = Percentile(boardUs, 50);
    state.counters["board_p95_us"] = Percentile(boardUs, 95);
    state.counters["bare_p50_us"] = Percentile(bareUs, 50);
    state.counters["bare_p95_us"] = Percentile(bareUs, 95);
    state.counters["p95_ratio"] = Percentile(boardUs, 95) / Percentile(bareUs, 95);
    // Events after which the backing store did not show the segment: the
    // figures only mean something while these are 0.
    state.counters["board_missed"] = boardMissed;
    state.counters["bare_missed"] = bareMissed;
    // Events whose segment was too short or under the cursor picture, unchecked.
    state.counters["unchecked"] = covered;
}
BENCHMARK(BM_InkLatency)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(BenchShort() ? 1 : 5);
} // namespace

int main(int argc, char **argv) { return RunWidgetBenchmarks(argc, argv); }
