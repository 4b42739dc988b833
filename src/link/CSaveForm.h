#ifndef CSAVEFORM_H
#define CSAVEFORM_H

#include <QByteArray>
#include <QDialog>

namespace Ui {
class CSaveForm;
}

class QMovie;
class QTimer;

// The small "please wait" window shown while the hybrid stores its settings: accepted by the
// unit's confirmation, rejected when none comes within TimeoutMs (or by Escape).
class CSaveForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int TimeoutMs = 10000;

    explicit CSaveForm(QWidget* parent = nullptr);
    ~CSaveForm() override;

    // The wait still allowed, in milliseconds; -1 once the wait has ended.
    int remainingTime() const;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);

private:
    Ui::CSaveForm* ui;
    QMovie* m_movie;
    QTimer* m_timeout;
};

#endif // CSAVEFORM_H
