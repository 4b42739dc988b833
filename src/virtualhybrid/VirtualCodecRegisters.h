#ifndef VIRTUALCODECREGISTERS_H
#define VIRTUALCODECREGISTERS_H

#include <QObject>
#include <QVector>

// The NAU8810 codec inside the virtual hybrid: 80 registers of 9 bits with the chip's power-on
// values. Addresses the chip does not have read as 0 and ignore writes; register 0 is the
// software reset (any write puts every register back to its power-on value); the identification
// and status registers are read-only; the notch filter's update bits (bit 8 of registers 27 to
// 30) take effect on write and read back as 0.
class VirtualCodecRegisters : public QObject
{
    Q_OBJECT

public:
    static constexpr int RegisterCount = 80;
    static constexpr quint16 ValueMask = 0x1FF;

    explicit VirtualCodecRegisters(QObject* parent = nullptr);

    // The value the chip holds after power-on or a reset; 0 for an address it does not have.
    static quint16 powerOnValue(int address);
    // True when the chip has a register at this address (0 to 79).
    static bool exists(int address);

    // The current value; 0 outside 0 to 79.
    quint16 value(int address) const;
    // A write from the firmware; false when the address is out of range or not writable.
    bool write(int address, quint16 value);
    // Every register back to its power-on value.
    void reset();

    // All 80 values, in address order, and the same back (as after restoring stored settings).
    QVector<quint16> values() const;
    void setValues(const QVector<quint16>& values);

signals:
    // Fires when a register takes a new value, whatever the cause.
    void registerChanged(int address, quint16 value);

private:
    void assign(int address, quint16 value);

    QVector<quint16> m_values;
};

#endif // VIRTUALCODECREGISTERS_H
