#ifndef NOTEDCALLERSAVER_H
#define NOTEDCALLERSAVER_H

#include <QObject>
#include <QString>

struct AppContext;

// Puts the caller of the call going on, or of the last one, into the phonebook under the name the
// producer noted, with the noted place as the contact's information: one click in the notes strip
// of the control bar, or one request from the producer's page. A name is split into the first
// word and the rest ("Jan de Vries": "Jan", "de Vries"). A number the phonebook knows already is
// left as it is.
class NotedCallerSaver : public QObject
{
    Q_OBJECT

public:
    enum Outcome { Saved, NoName, Withheld, AlreadyKnown, NotWritten };

    // Uses the context's database, call notes and console.
    explicit NotedCallerSaver(AppContext* context, QObject* parent = nullptr);

    // What save() would come to now, without writing anything: Saved when it would add a contact.
    Outcome check() const;
    // Adds the contact, tells the operator on the console, and says what it came to.
    Outcome save();
    // The same under a name typed on the producer's page, which may not be in the notes yet.
    Outcome save(const QString& name);
    // A sentence for the operator about what save() came to for the present notes.
    QString outcomeText(Outcome outcome) const;

    // The first word of a name and the rest of it.
    static void splitName(const QString& name, QString* firstName, QString* lastName);

signals:
    // Fires after a contact was added for a caller, with the number and the name as noted.
    void contactAdded(QString number, QString name);

private:
    Outcome check(const QString& name) const;
    QString outcomeText(Outcome outcome, const QString& name) const;

    AppContext* m_context;
};

#endif // NOTEDCALLERSAVER_H
