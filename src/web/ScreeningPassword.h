#ifndef SCREENINGPASSWORD_H
#define SCREENINGPASSWORD_H

#include <QByteArray>
#include <QString>

class QSettings;

// The screening page's password as the program keeps it: a random salt and a PBKDF2-SHA256 hash
// of many rounds, never the password itself. Making and checking one takes a noticeable time on
// purpose (a stolen settings file is slow to guess from), so neither belongs on the GUI thread.
class ScreeningPassword
{
public:
    static constexpr int Rounds = 100000;
    // Fewer are not taken from a settings file: such a hash would be quick to guess from.
    static constexpr int LeastRounds = 1000;
    static constexpr int SaltBytes = 16;
    static constexpr int HashBytes = 32;

    // No password: nothing matches.
    ScreeningPassword() = default;
    // A fresh salt and the hash of password with it.
    static ScreeningPassword make(const QString& password);
    // The same with rounds of one's own, LeastRounds at the least; the rounds are kept with the
    // hash, so that a password made with other rounds than today's still matches.
    static ScreeningPassword make(const QString& password, int rounds);
    // The one kept in the settings' group "Screening", or none.
    static ScreeningPassword load(QSettings& settings);
    void save(QSettings& settings) const;

    bool isSet() const { return !m_hash.isEmpty(); }
    // Compares in a time that does not depend on where the hashes differ.
    bool matches(const QString& password) const;

private:
    ScreeningPassword(QByteArray salt, int rounds, QByteArray hash);
    static QByteArray derive(const QString& password, const QByteArray& salt, int rounds);

    QByteArray m_salt;
    int m_rounds = Rounds;
    QByteArray m_hash;
};

#endif // SCREENINGPASSWORD_H
