#ifndef INFOFORM_H
#define INFOFORM_H

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "DevicePayload.h"

namespace Ui {
class InfoForm;
}

struct AppContext;

// The information page: what identifies the connected hybrid (serial number, firmware revision,
// hardware id, from its answers to the connection-time requests) and the GSM module inside it
// (from the module engine's identification signals). It only displays, and keeps the last
// values shown after the hybrid is gone.
class InfoForm : public QWidget
{
    Q_OBJECT

public:
    explicit InfoForm(AppContext* context, QWidget* parent = nullptr);
    ~InfoForm() override;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);
    void onManufacturerIdentification(QString str);
    void onModelIdentification(QString str);
    void onFirmwareRevision(QString str);
    void onIMEIIdentify(QString str);

private:
    // The hybrid's firmware version, or that it is unknown when the unit reports impossible numbers.
    void showFirmwareVersion(const DevicePayload::FirmwareVersion& version);

    Ui::InfoForm* ui;
    AppContext* m_context;
};

#endif // INFOFORM_H
