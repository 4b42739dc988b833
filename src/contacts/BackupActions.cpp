#include "BackupActions.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "ConsoleLog.h"
#include "DatabaseBackup.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QThread>
#include <QTimer>

BackupActions::BackupActions(AppContext* context, QWidget* window)
    : QObject(window)
    , m_context(context)
    , m_window(window)
    , m_daily(new QTimer(this))
    , m_folder(DatabaseBackup(context->database->fileName()).folder())
{
    m_daily->setObjectName(QStringLiteral("dailyBackupTimer"));
    connect(m_daily, &QTimer::timeout, this, &BackupActions::backUpIfDue);
    m_daily->start(CheckIntervalMs);
    // The first look a minute after the start, once the program has settled.
    QTimer::singleShot(60 * 1000, this, &BackupActions::backUpIfDue);
}

BackupActions::~BackupActions() = default;

void BackupActions::setFolder(const QString& folder)
{
    m_folder = folder;
}

QString BackupActions::folder() const
{
    return m_folder;
}

void BackupActions::backUpNow()
{
    backUp(QStringLiteral("manual"), true);
}

void BackupActions::backUpIfDue()
{
    if (DatabaseBackup(QString(), QString(), m_folder).isDue(QDateTime::currentDateTime()))
        backUp(QStringLiteral("daily"), false);
}

void BackupActions::backUp(const QString& occasion, bool tell)
{
    CDatabase* database = m_context->database;
    if (database->isServer()) {
        // Copies of this computer's file only; the station's server is backed up where it runs.
        if (tell)
            QMessageBox::information(m_window, tr("Back up now"),
                tr("The phonebook and the call history are kept on the station database server: back them up there."));
        return;
    }
    if (m_busy || !database->isOpen())
        return;
    m_busy = true;
    const DatabaseBackup backup(database->fileName(), QSettings().fileName(), m_folder);
    QPointer<BackupActions> self(this);
    QThread* worker = QThread::create([backup, occasion, self, tell] {
        QString error;
        const QString copy = backup.backUp(occasion, &error);
        QMetaObject::invokeMethod(qApp, [self, copy, error, tell] {
            if (!self)
                return;
            self->m_busy = false;
            ConsoleLog::info(self->m_context->console,
                copy.isEmpty() ? tr("The database could not be backed up: %1").arg(error)
                               : tr("Database backed up to %1").arg(QDir::toNativeSeparators(copy)));
            if (tell && copy.isEmpty())
                QMessageBox::warning(self->m_window, tr("Back up now"), tr("The database could not be backed up: %1").arg(error));
            emit self->backedUp(copy, error);
        });
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

void BackupActions::restoreFromBackup()
{
    if (m_context->uc20 && m_context->uc20->callState() != VOICECALL_IDLE) {
        QMessageBox::information(m_window, tr("Restore from backup"), tr("A call is in progress: restore after it has ended."));
        return;
    }
    if (m_context->database->isServer()) {
        QMessageBox::information(m_window, tr("Restore from backup"),
            tr("The phonebook and the call history are kept on the station database server: restore them there."));
        return;
    }
    const QString copy = QFileDialog::getOpenFileName(
        m_window, tr("Restore from backup"), m_folder, tr("Database copies (parlona-*.db)"));
    if (!copy.isEmpty())
        restoreFrom(copy);
}

bool BackupActions::restoreFrom(const QString& copy)
{
    QString error;
    if (!DatabaseBackup::check(copy, &error)) {
        QMessageBox::warning(m_window, tr("Restore from backup"), tr("This copy cannot be restored: %1").arg(error));
        return false;
    }
    QMessageBox question(QMessageBox::Question, tr("Restore from backup"),
        tr("Replace the phonebook and the call history with the copy %1?").arg(QFileInfo(copy).fileName()),
        QMessageBox::Yes | QMessageBox::No, m_window);
    question.setInformativeText(tr("The data in use now is kept beside it, not deleted."));
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return false;
    QString kept;
    if (!m_context->database->restore(copy, &kept, &error)) {
        QMessageBox::warning(m_window, tr("Restore from backup"), tr("The copy was not restored: %1").arg(error));
        return false;
    }
    ConsoleLog::info(m_context->console, tr("Phonebook and call history restored from %1; the data used before is kept as %2")
                                             .arg(QDir::toNativeSeparators(copy), QDir::toNativeSeparators(kept)));
    return true;
}
