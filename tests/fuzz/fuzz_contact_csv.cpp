// The CSV reader under any file: it reads it or names the line of the first fault in a short
// message, every field it gives keeps the bound, and what it read comes back unchanged when it
// is written and read again (formula marks and all).

#include "ContactCsv.h"
#include "ContactFuzzInput.h"

namespace {

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
    const auto read = [](const QString& text, QVector<ContactRecord>* contacts, QString* error) {
        return ContactCsv::read(text, contacts, error);
    };
    fuzzContactReader(bytes, size, read, &ContactCsv::write, checkRecords);
    return 0;
}
