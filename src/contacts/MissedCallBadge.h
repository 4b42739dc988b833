#ifndef MISSEDCALLBADGE_H
#define MISSEDCALLBADGE_H

#include <QDateTime>
#include <QIcon>
#include <QObject>

class QAction;

// Counts the calls missed since the operator last looked at the call history and shows the count
// on the history's action: a red badge with the number on its icon, and in its text and tool tip
// (the tool bar's label stays as it is).
// Desktops without a tray show nothing else of a call that rang out unseen.
class MissedCallBadge : public QObject
{
    Q_OBJECT

public:
    // The action keeps its own icon and text while nothing was missed.
    explicit MissedCallBadge(QAction* action, QObject* parent = nullptr);

    int count() const;
    // The icon with a badge for count (1 to 99, then "99+").
    static QIcon badged(const QIcon& icon, int count);

public slots:
    // As CCallRegistration::callRecorded(): a missed call adds one.
    void onCallRecorded(QString number, int type, QDateTime start, qint64 durationMs);
    // The history has been looked at.
    void clear();

private:
    void show();

    QAction* m_action;
    QIcon m_icon;
    QString m_text;
    int m_count = 0;
};

#endif // MISSEDCALLBADGE_H
