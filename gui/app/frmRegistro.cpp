#include "gui/app/frmRegistro.h"

#include "engine/transmit/Registro_Comunicacao.h"
#include "gui/cis/CIS_000.h"

#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

frmRegistro::frmRegistro(const Registro_Comunicacao &registro, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Registro de Comunicação"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *onde = new QLabel(QStringLiteral("Arquivo: %1").arg(QDir::toNativeSeparators(registro.Caminho())), this);
    onde->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(onde);
    txtRegistro = new QPlainTextEdit(this);
    txtRegistro->setReadOnly(true);
    txtRegistro->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtRegistro->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QString texto = registro.Ler();
    txtRegistro->setPlainText(texto.isEmpty() ? QStringLiteral("Nenhuma transmissão foi registrada ainda.") : texto);
    txtRegistro->verticalScrollBar()->setValue(txtRegistro->verticalScrollBar()->maximum());
    layout->addWidget(txtRegistro);
    auto *botoes = new QHBoxLayout;
    cmdCopiar = new QPushButton(QStringLiteral("&Copiar tudo"), this);
    cmdFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    botoes->addWidget(cmdCopiar);
    botoes->addStretch();
    botoes->addWidget(cmdFechar);
    layout->addLayout(botoes);
    connect(cmdCopiar, &QPushButton::clicked, this, &frmRegistro::cmdCopiar_Click);
    connect(cmdFechar, &QPushButton::clicked, this, &QDialog::accept);
    resize(Twips_X(11000), Twips_Y(6000));
    Centraliza_Form(this);
}

void frmRegistro::cmdCopiar_Click()
{
    QGuiApplication::clipboard()->setText(txtRegistro->toPlainText());
}
