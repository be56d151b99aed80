#include "app/GeometryDump.h"

#include "board/PWImage.h"
#include "tiles/MetroButton.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTimer>

namespace {
QJsonObject Place(const QString &kind, const QString &text, const QRect &globalRect)
{
    return QJsonObject{{QStringLiteral("kind"), kind},
                       {QStringLiteral("text"), text},
                       {QStringLiteral("x"), globalRect.x()},
                       {QStringLiteral("y"), globalRect.y()},
                       {QStringLiteral("w"), globalRect.width()},
                       {QStringLiteral("h"), globalRect.height()}};
}

QRect GlobalRect(const QWidget *w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The nearest ancestor with an object name: which panel or list a control sits in.
QString Container(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty())
            return p->objectName();
    return QString();
}

class GeometryDump : public QObject
{
public:
    explicit GeometryDump(const QString &file) : m_file(file)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, &GeometryDump::Write);
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject *o, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
            if (o->isWidgetType())
                m_timer.start();
            break;
        case QEvent::Paint: // a tile's caption changes without moving
            if (qobject_cast<TMetroButton *>(o))
                m_timer.start();
            break;
        default: break;
        }
        return false;
    }

private:
    void Write()
    {
        QJsonArray windows;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            QJsonArray controls;
            for (QWidget *w : top->findChildren<QWidget *>()) {
                if (!w->isVisible())
                    continue;
                QJsonObject c;
                if (auto *t = qobject_cast<TMetroButton *>(w)) {
                    c = Place(QStringLiteral("tile"), t->Text(), GlobalRect(w));
                    c[QStringLiteral("tag")] = t->Tag;
                } else if (qobject_cast<TPWImage *>(w)) {
                    c = Place(QStringLiteral("board"), QString(), GlobalRect(w));
                } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
                    c = Place(QStringLiteral("button"), b->text(), GlobalRect(w));
                } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
                    for (int i = 0; i < bar->count(); ++i)
                        controls.append(
                            Place(QStringLiteral("tab"), bar->tabText(i),
                                  QRect(bar->mapToGlobal(bar->tabRect(i).topLeft()), bar->tabRect(i).size())));
                    continue;
                } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                           || qobject_cast<QComboBox *>(w) || qobject_cast<QListWidget *>(w)) {
                    c = Place(QStringLiteral("field"), QString(), GlobalRect(w));
                } else if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
                    c = Place(QStringLiteral("named"), QString(), GlobalRect(w));
                } else {
                    continue;
                }
                c[QStringLiteral("name")] = w->objectName();
                c[QStringLiteral("in")] = Container(w);
                controls.append(c);
            }
            QJsonObject win = Place(QStringLiteral("window"), top->windowTitle(), GlobalRect(top));
            win[QStringLiteral("name")] = QString::fromLatin1(top->metaObject()->className());
            win[QStringLiteral("controls")] = controls;
            windows.append(win);
        }
        // Whole or not at all: a journey may read it at any moment.
        const QString tmp = m_file + QStringLiteral(".tmp");
        QFile f(tmp);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        f.write(QJsonDocument(windows).toJson(QJsonDocument::Compact));
        f.close();
        QFile::remove(m_file);
        QFile::rename(tmp, m_file);
    }

    QString m_file;
    QTimer m_timer;
};
} // namespace

void InstallGeometryDump()
{
    const QString file = qEnvironmentVariable("TW_GEOMETRY_FILE");
    if (!file.isEmpty())
        new GeometryDump(file); // lives as long as the program
}
