#include "CSaveForm.h"
#include "ui_CSaveForm.h"

#include "DeviceMessage.h"

#include <QMovie>
#include <QTimer>

CSaveForm::CSaveForm(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CSaveForm)
    , m_movie(new QMovie(QStringLiteral(":/resources/gif/ajax_loader_green_32.gif"), QByteArray(), this))
    , m_timeout(new QTimer(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::WindowStaysOnTopHint);
    ui->label_gif->setMovie(m_movie);
    m_movie->start();

    m_timeout->setObjectName(QStringLiteral("saveTimeoutTimer"));
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, &QDialog::reject);
    connect(this, &QDialog::finished, m_timeout, &QTimer::stop);
    m_timeout->start(TimeoutMs);
}

CSaveForm::~CSaveForm()
{
    delete ui;
}

int CSaveForm::remainingTime() const
{
    return m_timeout->remainingTime();
}

void CSaveForm::onReceiveUSB(int id, int /*type*/, QByteArray /*data*/)
{
    // Any confirmation counts: the unit sends nothing else with this id.
    if (id == DeviceMessage::StoreSettings)
        accept();
}
