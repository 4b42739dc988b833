// The phonebook's search over a large phonebook: for every keystroke of a few searches an
// operator would type, the time from the text being set to the view having painted the result.
// Each search's final result is checked against the same search done here in memory.
//
// Run a Release build: bench_phonebook_search [contacts]   (default 100000)

#include "AppContext.h"
#include "CDatabase.h"
#include "ContactsTable.h"
#include "PhonebookForm.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

namespace {

const double keystrokeTargetMs = 100.0;

const char* const firstNames[] = { "Anna", "Bert", "Carla", "Dirk", "Émile", "Jürgen", "Sophie", "Maarten", "Fatima",
    "Özlem", "Pieter", "Lotte", "Johannes", "Willem", "Sanne", "Chloé", "Henk", "Ingrid", "Jeroen", "Marieke", "Zoë",
    "Bjørn", "Agnès", "Luuk", "Noor", "Thijs", "Eva", "Sven", "Yusuf", "Ilse" };
const char* const lastNames[] = { "de Vries", "Jansen", "van den Berg", "Bakker", "Visser", "Smit", "Meijer", "Müller",
    "Schmidt", "Dubois", "O'Brien", "Peters", "Hendriks", "Mulder", "Bos", "Dekker", "de Jong", "van Dijk", "Lefèvre",
    "Gökçe", "Brouwer", "de Graaf", "Kuipers", "Østergaard", "Vermeulen", "Willems", "Janssens", "Şahin", "Koç",
    "van Leeuwen" };

struct Contact
{
    QString first;
    QString last;
    QString number;
};

// Contacts with ten-digit numbers, written the ways operators write them.
std::vector<Contact> makeContacts(int count)
{
    QRandomGenerator random(11);
    std::vector<Contact> contacts;
    contacts.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString subscriber = QString::number(random.bounded(100000000, 999999999));
        QString number;
        switch (random.bounded(3)) {
        case 0:
            number = QStringLiteral("0") + subscriber;
            break;
        case 1:
            number = QStringLiteral("+31") + subscriber;
            break;
        default:
            number = QStringLiteral("+31 ") + subscriber.left(1) + QLatin1Char(' ') + subscriber.mid(1);
        }
        contacts.push_back({ QString::fromUtf8(firstNames[random.bounded(int(std::size(firstNames)))]),
            QString::fromUtf8(lastNames[random.bounded(int(std::size(lastNames)))]), number });
    }
    return contacts;
}

QString withoutSeparators(QString number)
{
    return number.remove(QRegularExpression(QStringLiteral("[ ().\\-/]")));
}

// The text without its accents: "Jurgen" for "Jürgen".
QString unaccented(const QString& text)
{
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain += c;
    }
    return plain;
}

// The search as the operator understands it, done plainly: names whatever their accents,
// numbers whatever their separators.
int expectedMatches(const std::vector<Contact>& contacts, const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return int(contacts.size());
    // A text of digits and separators is also looked for in the numbers without separators.
    const QString digits = withoutSeparators(wanted);
    const QString plain = unaccented(wanted);
    const bool numberLike = digits.contains(QRegularExpression(QStringLiteral("^\\+?[0-9+]*[0-9][0-9+]*$")));
    int count = 0;
    for (const Contact& c : contacts) {
        if (unaccented(c.first).contains(plain, Qt::CaseInsensitive)
            || unaccented(c.last).contains(plain, Qt::CaseInsensitive)
            || unaccented(c.first + QLatin1Char(' ') + c.last).contains(plain, Qt::CaseInsensitive)
            || c.number.contains(wanted, Qt::CaseInsensitive)
            || (numberLike && withoutSeparators(c.number).contains(digits)))
            ++count;
    }
    return count;
}

// Notes when the view's viewport has painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const int contactCount = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    CDatabase database(dir.path(), nullptr);
    ContactsTable::create(&database);
    const std::vector<Contact> contacts = makeContacts(contactCount);
    database.database().transaction();
    for (const Contact& c : contacts) {
        database.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                      "VALUES (?, ?, ?, '')"),
            { c.first, c.last, c.number });
    }
    database.database().commit();

    AppContext context;
    context.database = &database;
    PhonebookForm phonebook(&context);
    phonebook.resize(460, 560);
    phonebook.show();
    app.processEvents();
    auto* search = phonebook.findChild<QLineEdit*>(QStringLiteral("search"));
    auto* view = phonebook.findChild<QTableView*>();
    PaintWatch watch;
    view->viewport()->installEventFilter(&watch);

    // A number typed from the middle of one in the phonebook: every spelling holds its last eight digits.
    const QString number = contacts[contacts.size() / 2].number.right(8);
    struct Search
    {
        const char* what;
        QString text;
        bool clearFirst;
    };
    const Search searches[] = {
        { "common last name", QStringLiteral("jansen"), true },
        { "first and last name", QStringLiteral("sophie van den berg"), true },
        { "accented name, lower case", QString::fromUtf8("özlem gökçe"), true },
        { "name not in the phonebook", QStringLiteral("xavier"), true },
        { "number, digit by digit", number, true },
        { "clear", QString(), false },
    };

    std::printf("contacts: %d; time per keystroke from setting the text to the painted view\n\n", contactCount);
    std::printf("%-28s %-22s %5s %10s %10s %8s\n", "search", "text", "keys", "median", "worst", "matches");
    std::vector<double> all;
    int mismatches = 0;
    for (const Search& s : searches) {
        if (s.clearFirst) {
            search->clear();
            app.processEvents();
        }
        QStringList steps;
        for (int i = 1; i <= s.text.size(); ++i)
            steps << s.text.left(i);
        if (steps.isEmpty())
            steps << QString();
        std::vector<double> times;
        QElapsedTimer timer;
        for (const QString& step : std::as_const(steps)) {
            watch.painted = false;
            timer.start();
            search->setText(step);
            while (!watch.painted)
                app.processEvents(QEventLoop::WaitForMoreEvents);
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        all.insert(all.end(), times.begin(), times.end());

        // Not timed: the whole result, fetched, against the plain search.
        QAbstractItemModel* model = view->model();
        while (model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        const int found = model->rowCount();
        const int expected = expectedMatches(contacts, s.text);
        if (found != expected)
            ++mismatches;
        std::printf("%-28s %-22s %5d %7.1f ms %7.1f ms %8d%s\n", s.what, qPrintable(QLatin1Char('"') + s.text + '"'),
            int(times.size()), median(times), *std::max_element(times.begin(), times.end()), found,
            found == expected ? "" : qPrintable(QStringLiteral("  (expected %1)").arg(expected)));
    }
    const double worst = *std::max_element(all.begin(), all.end());
    std::printf("\nall keystrokes: median %.1f ms, worst %.1f ms; under %.0f ms: %s\n", median(all), worst,
        keystrokeTargetMs, worst < keystrokeTargetMs ? "yes" : "NO");
    std::printf("results differing from the plain search: %d\n", mismatches);
    std::fflush(stdout);
    return mismatches == 0 ? 0 : 1;
}
