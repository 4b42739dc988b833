#include "CDynForm.h"
#include "ui_CDynForm.h"

CDynForm::CDynForm(CNau8810* nau, CUC20* uc20, CConsole* console, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CDynForm)
    , m_nau8810(nau)
    , m_uc20(uc20)
    , m_console(console)
{
    ui->setupUi(this);
}

CDynForm::~CDynForm()
{
    delete ui;
}

void CDynForm::onReceiveUSB(int /*id*/, int /*type*/, QByteArray /*data*/) { }
