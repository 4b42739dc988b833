// The CSV reader under any file: it reads it or names the line of the first fault in a short
// message, every field it gives keeps the bound, and what it read comes back unchanged when it
// is written and read again (formula marks and all).

#include "ContactCsv.h"
#include "ContactText.h"
#include "FuzzSupport.h"

#include <QCoreApplication>

namespace {

// The longest error: the fixed words, a few numbers and quoted excerpts.
constexpr int MaxErrorLength = 600;

void checkRecords(const QVector<ContactRecord>& contacts)
{
    int lastLine = 0;
    for (const ContactRecord& contact : contacts) {
        FUZZ_CHECK(contact.line > lastLine);
        lastLine = contact.line;
        for (const QString* field : { &contact.firstName, &contact.lastName, &contact.phoneNumber, &contact.info })
            FUZZ_CHECK(field->size() <= ContactText::MaxFieldLength);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    makeApplication<QCoreApplication>();
    const QString text = ContactText::decode(QByteArray(reinterpret_cast<const char*>(bytes), int(size)));
    QVector<ContactRecord> contacts;
    QString error;
    if (!ContactCsv::read(text, &contacts, &error)) {
        FUZZ_CHECK(error.startsWith(QLatin1String("Line ")) && error.size() <= MaxErrorLength);
        return 0;
    }
    checkRecords(contacts);
    QVector<ContactRecord> again;
    FUZZ_CHECK(ContactCsv::read(ContactCsv::write(contacts), &again, &error));
    FUZZ_CHECK(again == contacts);
    return 0;
}
