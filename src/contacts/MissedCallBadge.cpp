#include "MissedCallBadge.h"

#include "CallRegisterTable.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>

MissedCallBadge::MissedCallBadge(QAction* action, QObject* parent)
    : QObject(parent)
    , m_action(action)
    , m_icon(action->icon())
    , m_text(action->text())
{
    // The tool bar keeps its plain label: a longer one would push other buttons off a narrow
    // window. The count is on the icon, and in the text menus and screen readers use.
    m_action->setIconText(m_action->iconText());
}

int MissedCallBadge::count() const
{
    return m_count;
}

void MissedCallBadge::onCallRecorded(QString, int type, QDateTime, qint64)
{
    if (type != CallRegisterTable::Missed)
        return;
    ++m_count;
    show();
}

void MissedCallBadge::clear()
{
    if (m_count == 0)
        return;
    m_count = 0;
    show();
}

void MissedCallBadge::show()
{
    if (m_count == 0) {
        m_action->setIcon(m_icon);
        m_action->setText(m_text);
        m_action->setToolTip(m_text);
        return;
    }
    m_action->setIcon(badged(m_icon, m_count));
    //: The call history's tool button while calls were missed; %1 is the button's own text.
    m_action->setText(tr("%1 (%2 missed)").arg(m_text).arg(m_count));
    m_action->setToolTip(m_count == 1 ? tr("One call was missed since the history was last looked at")
                                      : tr("%1 calls were missed since the history was last looked at").arg(m_count));
}

QIcon MissedCallBadge::badged(const QIcon& icon, int count)
{
    const QString label = count > 99 ? QStringLiteral("99+") : QString::number(count);
    QIcon result;
    for (const int side : { 16, 24, 32, 48, 64 }) {
        QPixmap pixmap = icon.pixmap(side, side);
        if (pixmap.isNull()) {
            pixmap = QPixmap(side, side);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // In the top right corner, over about half the icon, as phones and mail programs show it.
        const int diameter = side * 11 / 20 + (label.size() > 1 ? side / 8 : 0);
        const QRectF badge(pixmap.width() - diameter, 0, diameter, side * 11 / 20);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xd0, 0x10, 0x10));
        painter.drawRoundedRect(badge, badge.height() / 2, badge.height() / 2);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(std::max(6, int(badge.height() * (label.size() > 2 ? 0.55 : 0.72))));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(badge, Qt::AlignCenter, label);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}
