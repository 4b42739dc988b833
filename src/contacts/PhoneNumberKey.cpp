#include "PhoneNumberKey.h"

#include <QSettings>

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Only numbers people write with digits go to the parser: it would read letters as a keypad's.
bool writtenWithDigits(const QString& number)
{
    static const QString separators = QStringLiteral(" -.()/");
    for (int i = 0; i < number.size(); ++i) {
        const QChar c = number.at(i);
        if (!isAsciiDigit(c) && !separators.contains(c) && !(c == QLatin1Char('+') && i == 0))
            return false;
    }
    return true;
}

} // namespace

PhoneNumberKey::PhoneNumberKey(const QString& home)
    : m_home(home.trimmed().toUpper().toStdString())
{
}

QString PhoneNumberKey::key(const QString& number) const
{
    const QString parsed = international(number);
    return parsed.isEmpty() ? QLatin1String("d:") + digitsOf(number).right(DigitsKeyLength) : parsed;
}

QString PhoneNumberKey::digitsOf(const QString& number)
{
    QString digits;
    digits.reserve(number.size());
    for (const QChar c : number) {
        if (isAsciiDigit(c))
            digits += c;
    }
    return digits;
}

QString PhoneNumberKey::candidateOf(const QString& number)
{
    return digitsOf(number).right(CandidateLength);
}

QString PhoneNumberKey::international(const QString& number) const
{
    using i18n::phonenumbers::PhoneNumber;
    using i18n::phonenumbers::PhoneNumberUtil;
    const QString trimmed = number.trimmed();
    if (m_home.empty() || trimmed.isEmpty() || !writtenWithDigits(trimmed))
        return QString();
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util->Parse(trimmed.toStdString(), m_home, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR
        || !util->IsPossibleNumber(parsed))
        return QString();
    std::string formatted;
    util->Format(parsed, PhoneNumberUtil::E164, &formatted);
    return QString::fromStdString(formatted);
}

const char* PhoneNumberKey::settingsKey()
{
    return "HomeCountry";
}

QString PhoneNumberKey::homeCountry()
{
    return QSettings().value(QLatin1String(settingsKey()), regionOf(QLocale::system())).toString();
}

QString PhoneNumberKey::regionOf(const QLocale& locale)
{
    // "nl_NL": the part after the underscore is the country's two-letter code.
    return locale.name().section(QLatin1Char('_'), 1, 1);
}

QStringList PhoneNumberKey::supportedRegions()
{
    std::set<std::string> regions;
    i18n::phonenumbers::PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
    QStringList codes;
    for (const std::string& region : regions)
        codes << QString::fromStdString(region);
    return codes;
}
