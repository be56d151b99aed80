// Making, placing and sizing the setup dialog's controls.
#include "setup/SetupControls.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVariant>

#include <algorithm>

namespace SetupControls {

void SetPixelFont(QWidget *w, int px)
{
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
}

void FitWidths(std::initializer_list<QWidget *> controls, int maxWidth)
{
    QFont f = (*controls.begin())->font();
    int px = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
    const auto fits = [&] {
        for (QWidget *w : controls)
            if (w->sizeHint().width() > maxWidth)
                return false;
        return true;
    };
    while (!fits() && px > 9) {
        f.setPixelSize(--px);
        for (QWidget *w : controls)
            w->setFont(f);
    }
    for (QWidget *w : controls)
        w->resize(std::min(w->sizeHint().width(), maxWidth), w->sizeHint().height());
}

QSpinBox *NewSpinBox(QWidget *parent, const QRect &geometry, int min, int max, int step, int fontPx)
{
    auto *sb = new QSpinBox(parent);
    sb->setGeometry(geometry);
    sb->setRange(min, max);
    sb->setSingleStep(step);
    sb->setAlignment(Qt::AlignCenter);
    if (fontPx > 0)
        SetPixelFont(sb, fontPx);
    return sb;
}

QComboBox *NewComboBox(QWidget *parent, const QRect &geometry)
{
    auto *cb = new QComboBox(parent);
    cb->setGeometry(geometry);
    // The style's own delegate ignores the rows' size hints.
    cb->setItemDelegate(new QStyledItemDelegate(cb));
    return cb;
}

void SetItemHeight(QComboBox *cb, int itemHeight)
{
    for (int i = 0; i < cb->count(); ++i)
        cb->setItemData(i, QSize(0, itemHeight), Qt::SizeHintRole);
}

QLabel *NewLabel(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton *NewButton(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

int SenderTag(QObject *sender)
{
    bool ok = false;
    const int t = sender ? sender->property("Tag").toInt(&ok) : -1;
    return ok ? t : -1;
}

} // namespace SetupControls
