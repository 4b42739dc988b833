#ifndef PHONENUMBERKEY_H
#define PHONENUMBERKEY_H

#include <QLocale>
#include <QString>
#include <QStringList>

// Phone numbers compared as people mean them, whatever their spelling. A number that parses
// for the home country ("0612345678", "+31 6 1234 5678" and "0031612345678" in the Netherlands)
// is known by its international form, so that two different numbers with the same ending stay
// apart. One that does not parse (a short code, a service number, letters) is known by the last
// nine of its digits alone. Without a home country national and international spellings cannot
// be told apart, so then every number is known by its last nine digits.
class PhoneNumberKey
{
public:
    static constexpr int DigitsKeyLength = 9;
    // The candidates' key: the last digits every spelling of one number shares, national or
    // international, down to the shortest national numbers people call.
    static constexpr int CandidateLength = 7;

    // home: the region code of the country national numbers belong to ("NL"), or empty.
    explicit PhoneNumberKey(const QString& home);

    // Two numbers match when their keys are equal: the international form ("+31612345678"), or
    // "d:" and the last nine digits.
    QString key(const QString& number) const;

    // The number's ASCII digits alone, in order.
    static QString digitsOf(const QString& number);
    // What candidates are found by, the same as ContactsTable computes in SQL.
    static QString candidateOf(const QString& number);

    // The settings key of the home country, and the home country: the one set, or the system
    // locale's.
    static const char* settingsKey();
    static QString homeCountry();
    // The region code of a locale's country ("NL" for nl_NL), empty when it has none.
    static QString regionOf(const QLocale& locale);
    // The region codes numbers can be read for, in alphabetical order.
    static QStringList supportedRegions();

private:
    QString international(const QString& number) const;

    std::string m_home;
};

#endif // PHONENUMBERKEY_H
