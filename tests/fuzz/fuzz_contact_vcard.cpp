// The vCard reader under any file: it reads it or names the line of the first fault in a short
// message, every field it gives keeps the bound, and what it read comes back unchanged when it
// is written as vCard 3.0 and read again.

#include "ContactText.h"
#include "ContactVCard.h"
#include "FuzzSupport.h"

#include <QCoreApplication>

namespace {

// The longest error: the fixed words, a few numbers and quoted excerpts.
constexpr int MaxErrorLength = 600;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    makeApplication<QCoreApplication>();
    const QString text = ContactText::decode(QByteArray(reinterpret_cast<const char*>(bytes), int(size)));
    QVector<ContactRecord> contacts;
    QString error;
    if (!ContactVCard::read(text, &contacts, &error)) {
        FUZZ_CHECK(error.startsWith(QLatin1String("Line ")) && error.size() <= MaxErrorLength);
        return 0;
    }
    for (const ContactRecord& contact : contacts) {
        FUZZ_CHECK(contact.line > 0);
        FUZZ_CHECK(contact.phoneNumber.size() <= ContactText::MaxFieldLength);
        FUZZ_CHECK(contact.info.size() <= ContactText::MaxFieldLength);
    }
    QVector<ContactRecord> again;
    FUZZ_CHECK(ContactVCard::read(ContactVCard::write(contacts), &again, &error));
    FUZZ_CHECK(again == contacts);
    return 0;
}
