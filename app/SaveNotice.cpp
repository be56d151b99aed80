#include "app/SaveNotice.h"

SaveNotice::SaveNotice(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("SaveNotice"));
    setFocusPolicy(Qt::NoFocus);
    // Strokes drawn under it go on as if it were not there.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QLabel { background-color: rgba(31, 31, 31, 225); color: white;"
                                 " border: 2px solid #1BA1E2; padding: 10px 16px; font-size: 16px; }"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void SaveNotice::Show(const QString &text, const QRect &area, int milliseconds)
{
    setText(text);
    const int maxWidth = qMax(120, area.width() - 40);
    setMaximumWidth(maxWidth);
    resize(qMin(sizeHint().width(), maxWidth), 10);
    resize(width(), heightForWidth(width()) > 0 ? heightForWidth(width()) : sizeHint().height());
    move(area.left() + (area.width() - width()) / 2, qMax(area.top(), area.bottom() - height() - 40));
    raise();
    show();
    m_timer.start(milliseconds);
}
