#ifndef CONTACTRECORD_H
#define CONTACTRECORD_H

#include <QString>

// One contact's fields as they travel between the phonebook and a file.
struct ContactRecord
{
    QString firstName;
    QString lastName;
    QString phoneNumber;
    QString info;
    // Where the contact begins in the file it was read from; 0 when it was not read from one.
    int line = 0;

    bool operator==(const ContactRecord& other) const
    {
        return firstName == other.firstName && lastName == other.lastName && phoneNumber == other.phoneNumber
            && info == other.info;
    }
};

#endif // CONTACTRECORD_H
