// The vCard reader under any file: it reads it or names the line of the first fault in a short
// message, every field it gives keeps the bound, and what it read comes back unchanged when it
// is written as vCard 3.0 and read again.

#include "ContactFuzzInput.h"
#include "ContactVCard.h"

namespace {

void checkRecords(const QVector<ContactRecord>& contacts)
{
    for (const ContactRecord& contact : contacts) {
        FUZZ_CHECK(contact.line > 0);
        FUZZ_CHECK(contact.phoneNumber.size() <= ContactText::MaxFieldLength);
        FUZZ_CHECK(contact.info.size() <= ContactText::MaxFieldLength);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const auto read = [](const QString& text, QVector<ContactRecord>* contacts, QString* error) {
        return ContactVCard::read(text, contacts, error);
    };
    fuzzContactReader(bytes, size, read, &ContactVCard::write, checkRecords);
    return 0;
}
