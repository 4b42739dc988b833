#ifndef CNAU8810_H
#define CNAU8810_H

#include <QByteArray>
#include <QMap>
#include <QObject>

class CConsole;
class CUSBHID;

// The fixed underlying type keeps any integer a caller passes a valid value, so the setters can
// refuse or mask it themselves.
enum NAU8810_EQ_BAND : int {
    NAU8810_EQ_BAND1 = 0,
    NAU8810_EQ_BAND2 = 1,
    NAU8810_EQ_BAND3 = 2,
    NAU8810_EQ_BAND4 = 3,
    NAU8810_EQ_BAND5 = 4,
};

enum NAU8810_EQ_BANDWIDTH : int {
    NAU8810_EQ_NARROW = 0,
    NAU8810_EQ_WIDE = 1,
};

enum NAU8810_EQ1_CF : int {
    NAU8810_EQ1_80HZ = 0,
    NAU8810_EQ1_105HZ = 1,
    NAU8810_EQ1_135HZ = 2,
    NAU8810_EQ1_175HZ = 3,
};

enum NAU8810_EQ2_CF : int {
    NAU8810_EQ2_230HZ = 0,
    NAU8810_EQ2_300HZ = 1,
    NAU8810_EQ2_385HZ = 2,
    NAU8810_EQ2_500HZ = 3,
};

enum NAU8810_EQ3_CF : int {
    NAU8810_EQ3_650HZ = 0,
    NAU8810_EQ3_850HZ = 1,
    NAU8810_EQ3_1100HZ = 2,
    NAU8810_EQ3_1400HZ = 3,
};

enum NAU8810_EQ4_CF : int {
    NAU8810_EQ4_1800HZ = 0,
    NAU8810_EQ4_2400HZ = 1,
    NAU8810_EQ4_3200HZ = 2,
    NAU8810_EQ4_4100HZ = 3,
};

enum NAU8810_EQ5_CF : int {
    NAU8810_EQ5_5300HZ = 0,
    NAU8810_EQ5_6900HZ = 1,
    NAU8810_EQ5_9000HZ = 2,
    NAU8810_EQ5_11700HZ = 3,
};

enum NAU8810_EQ_PATH : int {
    NAU8810_EQ_PATH_ADC = 0,
    NAU8810_EQ_PATH_DAC = 1,
};

enum NAU8810_PGABST : int {
    NAU8810_PGABST_OFF = 0,
    NAU8810_PGABST_ON = 1,
};

// The program's picture of the hybrid's audio codec: each control rewrites its bit field against
// the last known register value and sends the whole register. The cache follows both the
// device's reports and this class's own writes, so two controls sharing a register keep each
// other's fields.
class CNau8810 : public QObject
{
    Q_OBJECT

public:
    // The last register of the report the device sends after a connection.
    static constexpr quint8 LastReportedRegister = 79;

    CNau8810(QObject* parent, CUSBHID* usb, CConsole* console);

    // The service page's raw access: the value goes out as given, with no masking.
    void writeRegister(quint8 reg, quint16 value);
    void requestRegister(quint8 reg);

    // The last known value of reg, 0 while neither reported nor written.
    quint16 registerValue(quint8 reg) const;
    bool isRegisterKnown(quint8 reg) const;

signals:
    // Fires when the cached value of a register is first known or differs from before, whether
    // the device reported it or this class wrote it.
    void registerChanged(int address, quint16 value);

public slots:
    void initialize();
    void onReceiveUSB(int id, int type, QByteArray data);
    void softwareReset();
    void setEQPath(NAU8810_EQ_PATH path);
    void setEQBandWidth(NAU8810_EQ_BAND band, NAU8810_EQ_BANDWIDTH bandwidth);
    void setEQGain(NAU8810_EQ_BAND band, int gain);
    void setEQ1Freq(NAU8810_EQ1_CF freq);
    void setEQ2Freq(NAU8810_EQ2_CF freq);
    void setEQ3Freq(NAU8810_EQ3_CF freq);
    void setEQ4Freq(NAU8810_EQ4_CF freq);
    void setEQ5Freq(NAU8810_EQ5_CF freq);
    void setPGAGain(int gain);
    void setPGAMute(bool mute);
    void setADCGain(int gain);
    void setDACGain(int gain);
    void setDACMute(bool mute);
    void setPGABoost(NAU8810_PGABST boost);
    void notchFilterConfig(int fc, int fb, int fs);
    void notchFilter(bool enable);

private:
    // Replaces the bits of mask in the last known value with field (shifted into place by the
    // caller), sends the result and returns it.
    quint16 writeField(quint8 reg, quint16 mask, quint16 field);
    void setEQFreq(int band, int freq);
    void store(quint8 reg, quint16 value);

    CUSBHID* m_usb;
    CConsole* m_console;
    QMap<quint8, quint16> m_registers;
};

#endif // CNAU8810_H
