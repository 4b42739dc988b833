#ifndef CONTACTFUZZINPUT_H
#define CONTACTFUZZINPUT_H

#include "ContactRecord.h"
#include "ContactText.h"
#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QVector>

// A contact reader under any file: it reads it, or names the line of the first fault in a short
// message; what it read passes check, and comes back unchanged when written and read again.
template <typename Read, typename Write, typename Check>
void fuzzContactReader(const uint8_t* bytes, size_t size, Read read, Write write, Check check)
{
    // The longest error: the fixed words, a few numbers and quoted excerpts.
    constexpr int maxErrorLength = 600;
    makeApplication<QCoreApplication>();
    const QString text = ContactText::decode(QByteArray(reinterpret_cast<const char*>(bytes), int(size)));
    QVector<ContactRecord> contacts;
    QString error;
    if (!read(text, &contacts, &error)) {
        FUZZ_CHECK(error.startsWith(QLatin1String("Line ")) && error.size() <= maxErrorLength);
        return;
    }
    check(contacts);
    QVector<ContactRecord> again;
    FUZZ_CHECK(read(write(contacts), &again, &error));
    FUZZ_CHECK(again == contacts);
}

#endif // CONTACTFUZZINPUT_H
