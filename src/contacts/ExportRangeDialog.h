#ifndef EXPORTRANGEDIALOG_H
#define EXPORTRANGEDIALOG_H

#include <QDate>
#include <QDialog>

namespace Ui {
class ExportRangeDialog;
}

// Asks which calls an export of the call history takes: all of them, or those that began from
// one day to another, both days included. The last day can never be set before the first.
class ExportRangeDialog : public QDialog
{
    Q_OBJECT

public:
    // The range offered runs from the first of today's month to today.
    explicit ExportRangeDialog(const QDate& today, QWidget* parent = nullptr);
    ~ExportRangeDialog() override;

    bool allCalls() const;
    QDate firstDay() const;
    QDate lastDay() const;

private:
    Ui::ExportRangeDialog* ui;
};

#endif // EXPORTRANGEDIALOG_H
