#ifndef CDYNFORM_H
#define CDYNFORM_H

#include <QByteArray>
#include <QWidget>

namespace Ui {
class CDynForm;
}

class CConsole;
class CNau8810;
class CUC20;

// The dynamics page: a place in the page stack and on the link for the hybrid's dynamics
// controls. The unit offers none yet, so the page shows nothing and answers no message.
class CDynForm : public QWidget
{
    Q_OBJECT

public:
    CDynForm(CNau8810* nau, CUC20* uc20, CConsole* console, QWidget* parent);
    ~CDynForm() override;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);

private:
    Ui::CDynForm* ui;
    // Kept for the controls to come.
    [[maybe_unused]] CNau8810* m_nau8810;
    [[maybe_unused]] CUC20* m_uc20;
    [[maybe_unused]] CConsole* m_console;
};

#endif // CDYNFORM_H
