#ifndef VIRTUALHYBRIDPANEL_H
#define VIRTUALHYBRIDPANEL_H

#include <QPointer>
#include <QWidget>

namespace Ui {
class VirtualHybridPanel;
}

class QButtonGroup;
class QTimer;
class VirtualHybridBackend;
class VirtualHybridUnit;

// The "Virtual Hybrid" window: the network side and the cable of the virtual units, for
// demonstrations and for training an operator without a real hybrid. It acts on the unit chosen
// in its selector and shows that unit's call state in a status line.
class VirtualHybridPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int CounterRefreshMs = 500;

    explicit VirtualHybridPanel(VirtualHybridBackend* backend, QWidget* parent = nullptr);
    ~VirtualHybridPanel() override;

    QString statusText() const;

public slots:
    void setCurrentUnit(VirtualHybridUnit* unit);
    void refresh();
    void refreshCounters();

private slots:
    void on_comboBox_unit_currentIndexChanged(int index);
    void on_pushButton_plug_clicked();
    void on_pushButton_ringIn_clicked();
    void on_pushButton_farEndAnswers_clicked();
    void on_pushButton_farEndHangsUp_clicked();
    void on_comboBox_outcome_currentIndexChanged(int index);
    void on_spinBox_delay_valueChanged(int seconds);
    void on_horizontalSlider_signal_valueChanged(int value);
    void on_checkBox_noNetwork_toggled(bool checked);
    void on_comboBox_sim_currentIndexChanged(int index);
    void on_lineEdit_pin_editingFinished();
    void on_lineEdit_puk_editingFinished();
    void on_checkBox_autoAnswer_toggled(bool checked);
    void on_checkBox_storeSilent_toggled(bool checked);
    void on_checkBox_moduleSilent_toggled(bool checked);
    void on_checkBox_corruptFrames_toggled(bool checked);
    void onKeyClicked(int key);
    void onUnitAdded(VirtualHybridUnit* unit);

private:
    void setUpKeypad();
    // Parts of refresh(), called while the inputs' signals are blocked.
    void refreshUnit();
    void refreshNetwork();
    void refreshSim();
    void refreshSettings();
    void refreshCall();
    void applyOutgoingOutcome();
    void applySignal();

    Ui::VirtualHybridPanel* ui;
    VirtualHybridBackend* m_backend;
    QPointer<VirtualHybridUnit> m_unit;
    QButtonGroup* m_keys;
    QTimer* m_counterTimer;
};

#endif // VIRTUALHYBRIDPANEL_H
