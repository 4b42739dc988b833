#ifndef CSMSFORM_H
#define CSMSFORM_H

#include <QByteArray>
#include <QWidget>

namespace Ui {
class CSMSForm;
}

class QTimer;
struct AppContext;

// The text message test page: sends a fixed test text through the GSM module to the number on
// the page, in text mode. The text goes out when the module prompts for it; without a prompt the
// send is given up and said on the console.
class CSMSForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int PromptTimeoutMs = 5000;

    CSMSForm(AppContext* context, QWidget* parent);
    ~CSMSForm() override;

    // Whether a message waits for the module's prompt.
    bool isWaitingForPrompt() const;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);
    void readSettings();
    void writeSettings();
    void on_pushButton_clicked();

private:
    void onMessagePrompt();
    void onPromptTimeout();
    void sendCommand(const QString& command);

    Ui::CSMSForm* ui;
    AppContext* m_context;
    QTimer* m_promptTimer;
    bool m_gaveUp = false;
};

#endif // CSMSFORM_H
