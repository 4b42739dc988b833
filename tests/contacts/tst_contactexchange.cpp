#include "CDatabase.h"
#include "ContactExchange.h"
#include "ContactImportJob.h"
#include "ContactsTable.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using Format = ContactExchange::Format;
const Format csv = ContactExchange::FORMAT_CSV;
const Format vcard = ContactExchange::FORMAT_VCARD;

// Contacts as "first|last|number|info".
QStringList texts(const QVector<ContactRecord>& contacts)
{
    QStringList result;
    for (const ContactRecord& c : contacts)
        result << QStringList { c.firstName, c.lastName, c.phoneNumber, c.info }.join('|');
    return result;
}

} // namespace

// Contacts to and from CSV and vCard files, through the phonebook's database.
class TestContactExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CDatabase> m_database;
    std::unique_ptr<ContactExchange> m_exchange;

    void add(const QString& contact)
    {
        // An empty field is an empty text, never NULL (Qt 6 gives a null string for it).
        const auto field = [&contact](int first, int last) {
            const QString text = contact.section('|', first, last);
            return text.isNull() ? QStringLiteral("") : text;
        };
        m_database->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                         "VALUES (?, ?, ?, ?)"),
            { field(0, 0), field(1, 1), field(2, 2), field(3, -1) });
    }
    QStringList stored() const { return texts(m_exchange->contacts()); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_database = std::make_unique<CDatabase>(m_dir->path(), nullptr);
        ContactsTable::create(m_database.get());
        m_exchange = std::make_unique<ContactExchange>(m_database.get());
    }

    void cleanup()
    {
        m_exchange.reset();
        m_database.reset();
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("format");
        for (const Format format : { csv, vcard })
            QTest::newRow(format == csv ? "CSV" : "vCard") << int(format);
    }

    // Awkward contacts come back as they were; vCard lines stay within 75 octets, each of them
    // whole UTF-8, and unfold to the same text.
    void roundTrip()
    {
        QFETCH(int, format);
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QStringList contacts { QString::fromUtf8("Émile|Lefèvre-Dubois|+33 1 23 45 67 89|àéîõü ÆØÅ ß"),
            "Sean|O'Brien|0611|it's", "Doe, John|Smith; Jr.|(030) 123|a \"quoted\" note, with; all", "||3|",
            "Multi|Line|1|first line\nsecond\n\nfourth \\ \\n \\, end\n",
            " Padded |\t|2|" + QString::fromUtf8("ü").repeated(50) + emoji.repeated(30) + "x",
            "=1+1|@me|+31 20 123 4567|-note", "'=quoted|''+two|5|'plain",
            // Each name within the bound, the full name of both beyond it.
            QString(1000, 'x') + '|' + QString(1000, 'y') + "|7|" };
        for (const QString& contact : contacts)
            add(contact);
        const QByteArray data = m_exchange->exportData(Format(format));
        if (format == vcard) {
            const QList<QByteArray> lines = data.split('\n');
            QCOMPARE(lines.last(), QByteArray());
            for (const QByteArray& line : lines.mid(0, lines.size() - 1)) {
                QVERIFY2(line.endsWith('\r') && line.size() <= 76, line);
                QCOMPARE(QString::fromUtf8(line).toUtf8(), line);
            }
            QVERIFY(data.contains("\r\nNOTE:first line\\nsecond\\n\\nfourth \\\\ \\\\n \\\\\\, end\\n\r\n"));
        } else {
            QVERIFY(data.startsWith("first_name,last_name,phone_number,info\r\nÉmile,Lefèvre-Dubois,"));
            QVERIFY(
                data.contains("\r\n\"Doe, John\",\"Smith; Jr.\",(030) 123,\"a \"\"quoted\"\" note, with; all\"\r\n"));
            // What a spreadsheet would run as a formula is marked as text.
            QVERIFY(data.contains("\r\n'=1+1,'@me,'+31 20 123 4567,'-note\r\n''=quoted,'''+two,5,'plain\r\n"));
        }
        m_database->query(QStringLiteral("DELETE FROM contacts"));
        const ContactExchange::ImportResult result = m_exchange->importData(data, Format(format));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.added, contacts.size());
        QCOMPARE(stored(), contacts);
    }

    // Files written by hand or by other programs.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("contacts");
        QTest::newRow("CSV: BOM, LF, quoted line breaks, no final line end")
            << QByteArray("\xEF\xBB\xBF"
                          "first_name,last_name,phone_number,info\nA,\"B\nC\",\"1\",\"x,\"\"y\"\"\"\r\n\nD,E,2,")
            << QStringList { "A|B\nC|1|x,\"y\"", "D|E|2|" };
        QTest::newRow("CSV: columns reordered, no info, blanks kept")
            << QByteArray("Phone_Number , first_name,last_name\r\n 030 ,Anna,\r\n") << QStringList { "Anna|| 030 |" };
        QTest::newRow("vCard: several cards, LF, folding, groups, parameters, extras")
            << QByteArray("begin:vcard\nVERSION:3.0\nN:Lef\xC3\xA8vre;\xC3\x89mile;Paul;Dr.;\nFN:ignored\n"
                          "EMAIL;TYPE=work:e@x.org\nitem1.TEL;TYPE=\"cell:x\":+33 1\nTEL:999\n"
                          "NOTE:one\\nt\n wo\\, \\;\\\\ three\nPHOTO;ENCODING=b:AAAA\n\tBBBB\nend:VCARD\n"
                          "\nBEGIN:VCARD\r\nN:;;;;\r\nFN:Only Fullname\r\nTEL:02\r\nEND:VCARD\r\n")
            << QStringList { QString::fromUtf8("Émile Paul|Lefèvre|+33 1|one\ntwo, ;\\ three\nOther numbers: 999"),
                   "Only Fullname||02|" };
        QTest::newRow("CSV: semicolons, Dutch header, BOM, formula mark")
            << QByteArray("\xEF\xBB\xBFVoornaam;Achternaam;Telefoonnummer;Opmerkingen\r\n"
                          "J\xC3\xBCrgen;de Vries, jr.;'+31 6 12345678;\"a;b\"\r\n")
            << QStringList { QString::fromUtf8("Jürgen|de Vries, jr.|+31 6 12345678|a;b") };
        QTest::newRow("CSV: Windows-1252, English header") << QByteArray(
            "Last Name,First name,Mobile,Notes\r\nM\xFCller,Ren\xE9"
            "e,0612,\x80 5 \x93ok\x94\r\n") << QStringList { QString::fromUtf8("Renée|Müller|0612|€ 5 “ok”") };
        QTest::newRow("vCard 2.1: quoted-printable, charsets, soft breaks, bare types")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n"
                          "=C3=BCrgen\r\nTEL;HOME:020 1\r\nTEL;CELL:06 2\r\n"
                          "NOTE;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Caf=E9 =3D 1\r\nEND:VCARD\r\n")
            << QStringList { QString::fromUtf8("Jürgen|Müller|06 2|Café = 1\nOther numbers: 020 1 (home)") };
        // Read, written and read again, a note keeps its line breaks: CR alone and behind a backslash too.
        QTest::newRow("vCard 2.1: line breaks behind a backslash")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Z;Y\r\nTEL:06 2\r\n"
                          "NOTE;QUOTED-PRINTABLE:a\\=0Db\\=0D=0Ac=0Dd\r\nEND:VCARD\r\n")
            << QStringList { "Y|Z|06 2|a\nb\nc\nd" };
        QTest::newRow("vCard 4.0: tel: URIs, the lowest PREF")
            << QByteArray(
                   "BEGIN:VCARD\nVERSION:4.0\nFN:Ann Lee\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100\n"
                   "TEL;VALUE=uri;PREF=2;TYPE=work:tel:+1-555-0101;ext=7\nTEL;PREF=1:tel:+1-555-0102\nEND:VCARD\n")
            << QStringList { "Ann Lee||+1-555-0102|Other numbers: +1-555-0100 (cell); +1-555-0101 (work)" };
    }

    void reads()
    {
        QFETCH(QByteArray, file);
        const ContactExchange::ImportResult result = m_exchange->importData(file, ContactExchange::FORMAT_UNKNOWN);
        QVERIFY2(result.ok, qPrintable(result.error));
        QTEST(stored(), "contacts");
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line"); // where the bad record begins
        QTest::addColumn<QString>("says");
        const QByteArray header("first_name,last_name,phone_number,info\r\n");
        const QByteArray spanning("A,B,1,\"two\r\nlines\"\r\n"); // lines 2 and 3
        QTest::newRow("CSV: unterminated quote") << header + spanning + "C,\"D,2,x\r\nE,F,3,y\r\n" << 4 << "not closed";
        QTest::newRow("CSV: too few fields") << header + spanning + "\r\nC,D,2\r\n" << 5 << "this record 3";
        QTest::newRow("CSV: quote inside a field") << header + "C,D\"d,2,x\r\n" << 2 << "quote";
        QTest::newRow("CSV: text after a quote") << header + "\"C\"c,D,2,x\r\n" << 2 << "closing quote";
        QTest::newRow("CSV: unknown column") << QByteArray("\nfirst_name,last_name,email,info\n") << 2 << "\"email\"";
        QTest::newRow("CSV: ambiguous columns, expected ones named")
            << QByteArray("First name;Last name;Phone;Mobile\n") << 1
            << "\"Phone\" and \"Mobile\" of the header both stand for phone_number; the import expects the columns "
               "first_name, last_name, phone_number and info";
        QTest::newRow("CSV: over-long line") << header + spanning + "C,D,2," + QByteArray("x;").repeated(40000) << 4
                                             << "the line is longer than 65536 characters";
        QTest::newRow("CSV: over-long field")
            << header + "C,D,2," + QByteArray(1025, 'x') << 2 << "field 4 is longer than 1024 characters";
        QTest::newRow("CSV: long text quoted short") << header + "C,D,call " + QByteArray(100, 'x') + ",\r\n"
                                                     << 2 << "\"call " + QString(35, 'x') + QChar(0x2026) + "\" is not";
        QTest::newRow("CSV: empty") << QByteArray("") << 1 << "header";
        QTest::newRow("CSV: no number") << header + spanning + "C,D, ,x\r\n" << 4 << "contact has no phone number";
        QTest::newRow("CSV: a NUL byte") << header + spanning + QByteArray("C,D\0d,2,x\r\n", 11) << 4 << "NUL";
        QTest::newRow("CSV: words for a number") << header + "C,D,call me,x\r\n" << 2 << "\"call me\" is not";
        const QByteArray card("BEGIN:VCARD\r\nN:A;B\r\nNOTE:fol\r\n ded\r\nTEL:1\r\nEND:VCARD\r\n"); // lines 1-6
        QTest::newRow("vCard: no END") << card + "BEGIN:VCARD\r\nTEL:2\r\n" << 7 << "END:VCARD";
        QTest::newRow("vCard: BEGIN before END") << card + "BEGIN:VCARD\nTEL:2\nBEGIN:VCARD\nEND:VCARD\n" << 7 << "END";
        QTest::newRow("vCard: no TEL") << card + "BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n" << 7 << "TEL";
        QTest::newRow("vCard: empty TEL") << card + "BEGIN:VCARD\r\nFN:x\r\nTEL:\r\nEND:VCARD\r\n"
                                          << 7 << "card has no phone number";
        QTest::newRow("vCard: a NUL byte") << card + QByteArray("BEGIN:VCARD\r\nN:D\0d\r\nTEL:2\r\nEND:VCARD\r\n", 36) << 8
                                           << "NUL";
        QTest::newRow("vCard: no colon") << card + "BEGIN:VCARD\r\nTEL:2\r\nNOTE\r\nEND:VCARD\r\n" << 9 << ":";
        QTest::newRow("vCard: text outside a card") << card + "TEL:2\r\n" << 7 << "BEGIN:VCARD";
        QTest::newRow("vCard: unknown charset") << card + "BEGIN:VCARD\r\nN;CHARSET=KOI8-R;QUOTED-PRINTABLE:=C3\r\n"
                                                << 8 << "KOI8-R";
        QTest::newRow("vCard: over-long line")
            << card + "BEGIN:VCARD\nTEL:2\nNOTE:" + QByteArray(70000, 'x') << 9 << "longer than 65536";
    }

    // The first bad record stops the import before anything is added, and is named by its line.
    void faults()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, says);
        add("Kept|Contact|0301234567|");
        const ContactExchange::ImportResult result = m_exchange->importData(file, ContactExchange::FORMAT_UNKNOWN);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.startsWith(QStringLiteral("Line %1: ").arg(line)), qPrintable(result.error));
        QVERIFY2(result.error.contains(says), qPrintable(result.error));
        QCOMPARE(stored(), QStringList { "Kept|Contact|0301234567|" });
    }

    void allOrNothing_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("line");
        QTest::newRow("CSV, bad last record") << int(csv) << QByteArray("x,y\r\n") << 2002;
        QTest::newRow("CSV, refused by the database") << int(csv) << QByteArray("Refused,y,5,\r\n") << 2002;
        QTest::newRow("vCard, bad last card") << int(vcard) << QByteArray("BEGIN:VCARD\r\nN:x\r\n") << 12001;
    }

    // Two thousand good contacts and one bad at the end: the phonebook stays as it was.
    void allOrNothing()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, tail);
        QFETCH(int, line);
        QVERIFY(m_database->database().transaction());
        for (int i = 0; i < 2000; ++i)
            add(QStringLiteral("First%1|Last|+4930%1|").arg(i));
        QVERIFY(m_database->database().commit());
        const QByteArray data = m_exchange->exportData(Format(format)) + tail;
        m_database->query(QStringLiteral("DELETE FROM contacts"));
        add("Kept|Contact|0301234567|");
        m_database->query(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON contacts "
                                         "WHEN NEW.first_name = 'Refused' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const ContactExchange::ImportResult result = m_exchange->importData(data, Format(format));
        QVERIFY(!result.ok);
        QVERIFY2(result.error.startsWith(QStringLiteral("Line %1: ").arg(line)), qPrintable(result.error));
        QCOMPARE(stored(), QStringList { "Kept|Contact|0301234567|" });
        // The connection is usable afterwards, outside any transaction.
        add("Later|Contact|1|");
        QCOMPARE(stored().size(), 2);
    }

    // Numbers are compared by their last nine characters, with the phonebook and within the file.
    void duplicates()
    {
        add("Anna|Alpha|0301234567|");
        const QByteArray file("first_name,last_name,phone_number,info\r\n"
                              "Anna,Again,+49301234567,\r\n" // line 2: in the phonebook
                              "Bert,Beta,0407654321,\r\n"
                              "Bert,Twice,0049407654321,\r\n" // line 4: as line 3
                              "Short,One,12345,\r\n"
                              "Short,Two,12345,\r\n"); // line 6: as line 5
        const ContactExchange::ImportResult result = m_exchange->importData(file, csv);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.added, 2);
        QStringList reported;
        for (const ContactExchange::Duplicate& d : result.duplicates)
            reported << QStringLiteral("%1 %2 %3").arg(d.contact.line).arg(d.contact.lastName).arg(d.earlierLine);
        QCOMPARE(reported, QStringList({ "2 Again 0", "4 Twice 3", "6 Two 5" }));
        QCOMPARE(stored(), QStringList({ "Anna|Alpha|0301234567|", "Bert|Beta|0407654321|", "Short|One|12345|" }));
    }

    void job_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("done") << false;
        QTest::newRow("cancelled") << true;
    }

    // The job reads and stores on its own thread and connection, telling its progress; cancelled,
    // it adds nothing.
    void job()
    {
        QFETCH(bool, cancel);
        add("Kept|Contact|0301234567|");
        QByteArray data("Voornaam;Achternaam;Telefoon\r\n");
        for (int i = 0; i < 20000; ++i)
            data += "F;L;+3120" + QByteArray::number(1000000 + i) + "\r\n";
        QFile file(m_dir->filePath("many.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        file.close();
        ContactImportJob job(file.fileName(), ContactExchange::FORMAT_UNKNOWN, m_database->fileName());
        QVector<int> steps;
        // On the job's thread, so that the cancel comes at the first progress, whatever the timing.
        connect(
            &job, &ContactImportJob::progress, &job,
            [&](int perMille) {
                steps << perMille;
                if (cancel)
                    job.cancel();
            },
            Qt::DirectConnection);
        QSignalSpy finished(&job, &ContactImportJob::finished);
        job.start();
        QVERIFY(finished.wait(20000));
        QVERIFY(!steps.isEmpty() && std::is_sorted(steps.begin(), steps.end()) && steps.last() <= 1000);
        QCOMPARE(job.wasCancelled(), cancel);
        QCOMPARE(job.result().ok, !cancel);
        QCOMPARE(job.result().added, cancel ? 0 : 20000);
        QCOMPARE(stored().size(), cancel ? 1 : 20001);
    }
};

QTEST_MAIN(TestContactExchange)
#include "tst_contactexchange.moc"
