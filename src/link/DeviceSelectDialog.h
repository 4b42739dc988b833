#ifndef DEVICESELECTDIALOG_H
#define DEVICESELECTDIALOG_H

#include <QDialog>

namespace Ui {
class DeviceSelectDialog;
}

// Lets the operator pick one of several attached hybrids by its serial number.
class DeviceSelectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DeviceSelectDialog(QWidget* parent = nullptr);
    ~DeviceSelectDialog() override;

    void addDevice(const QString& serial);
    int deviceCount() const;
    QString selectedDevice() const;

private:
    Ui::DeviceSelectDialog* ui;
};

#endif // DEVICESELECTDIALOG_H
