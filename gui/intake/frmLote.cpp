#include "gui/intake/frmLote.h"

#include "gui/cis/CIS_000.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/intake/Resumo_Declaracao.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/print/Recibo_Pdf.h"
#include "engine/transmit/Mensagens.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>
#include <optional>


frmLote::frmLote(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ZELTA Net - Transmitir Vários Arquivos"));
    setModal(true);
    Criar_Controles();
    resize(Twips_X(12000), Twips_Y(6000));
    Centraliza_Form(this);
}

frmLote::~frmLote()
{
    if (trabalho_.joinable()) {
        parar_ = true;
        trabalho_.join();
    }
}

void frmLote::Mostrar(QWidget *pai)
{
    frmLote janela(pai);
    janela.exec();
}

void frmLote::Criar_Controles()
{
    auto *pasta = new QLabel(QStringLiteral("&Pasta:"), this);
    txtPasta = new QLineEdit(this);
    txtPasta->setReadOnly(true);
    pasta->setBuddy(txtPasta);
    cmdPasta = new QPushButton(QStringLiteral("&Escolher..."), this);
    auto *criterio = new QLabel(QStringLiteral("&Critério:"), this);
    txtTipoArq = new QLineEdit(QStringLiteral("*.m*"), this);
    txtTipoArq->setAccessibleName(QStringLiteral("Filtro de arquivos"));
    criterio->setBuddy(txtTipoArq);

    grdArquivos = new QTableWidget(0, Colunas, this);
    grdArquivos->setHorizontalHeaderLabels({QStringLiteral("Arquivo"), QStringLiteral("Identificador"),
                                            QStringLiteral("Empresa"), QStringLiteral("Competência"),
                                            QStringLiteral("Tipo"), QStringLiteral("Validação"),
                                            QStringLiteral("Andamento"), QStringLiteral("Resultado")});
    grdArquivos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdArquivos->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdArquivos->verticalHeader()->hide();
    grdArquivos->horizontalHeader()->setStretchLastSection(true);
    grdArquivos->setAccessibleName(QStringLiteral("Arquivos da pasta"));

    lblSituacao = new QLabel(this);
    cmdTransmitir = new QPushButton(QStringLiteral("&Transmitir"), this);
    cmdRecibos = new QPushButton(QStringLiteral("Gravar &Recibos em PDF..."), this);
    cmdRecibos->setEnabled(false);
    cmdSair = new QPushButton(QStringLiteral("&Sair"), this);

    auto *topo = new QHBoxLayout;
    topo->addWidget(pasta);
    topo->addWidget(txtPasta, 1);
    topo->addWidget(cmdPasta);
    topo->addWidget(criterio);
    topo->addWidget(txtTipoArq);
    auto *botoes = new QHBoxLayout;
    botoes->addWidget(lblSituacao, 1);
    botoes->addWidget(cmdTransmitir);
    botoes->addWidget(cmdRecibos);
    botoes->addWidget(cmdSair);
    auto *tudo = new QVBoxLayout(this);
    tudo->addLayout(topo);
    tudo->addWidget(grdArquivos, 1);
    tudo->addLayout(botoes);

    connect(cmdPasta, &QPushButton::clicked, this, &frmLote::cmdPasta_Click);
    connect(txtTipoArq, &QLineEdit::editingFinished, this, [this] {
        if (!pasta_.isEmpty() && !Em_Andamento())
            Abrir_Pasta(pasta_);
    });
    connect(cmdTransmitir, &QPushButton::clicked, this, &frmLote::cmdTransmitir_Click);
    connect(cmdRecibos, &QPushButton::clicked, this, &frmLote::cmdRecibos_Click);
    connect(cmdSair, &QPushButton::clicked, this, &frmLote::reject);
}

void frmLote::Abrir_Pasta(const QString &pasta)
{
    pasta_ = QDir(pasta).absolutePath();
    txtPasta->setText(QDir::toNativeSeparators(pasta_));
    grdArquivos->setRowCount(0);
    for (const Arquivo_Listado &arquivo : Arquivos_Da_Pasta(pasta_, txtTipoArq->text())) {
        const QByteArray caminho = QFile::encodeName(pasta_) + '/' + arquivo.bytes;
        std::optional<Resumo_Declaracao> r;
        QString motivo;
        try {
            r = Ler_Resumo(caminho.toStdString());
        } catch (const Erro_Execucao &e) {
            motivo = e.descricao;
        }
        const int linha = grdArquivos->rowCount();
        grdArquivos->insertRow(linha);
        auto *item = new QTableWidgetItem(arquivo.nome);
        item->setData(Qt::UserRole, caminho);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool validado = r && r->validacao == Estado_Validacao::Validado;
        item->setCheckState(validado ? Qt::Checked : Qt::Unchecked);
        grdArquivos->setItem(linha, Arquivo, item);
        if (!r) {
            Texto(linha, Validacao, QStringLiteral("Ilegível: ") + motivo);
            continue;
        }
        Texto(linha, Identificador, De_1252(r->identificador));
        Texto(linha, Empresa, De_1252(r->razao_social));
        Texto(linha, Competencia, De_1252(Texto_Competencia(*r)));
        Texto(linha, Tipo, De_1252(Texto_Tipo(*r)));
        Texto(linha, Validacao, De_1252(Texto_Validacao(r->validacao)));
    }
    grdArquivos->resizeColumnsToContents();
    lblSituacao->setText(QStringLiteral("%1 arquivo(s)").arg(grdArquivos->rowCount()));
}

void frmLote::Texto(int linha, Coluna c, const QString &texto)
{
    if (QTableWidgetItem *i = grdArquivos->item(linha, c))
        i->setText(texto);
    else
        grdArquivos->setItem(linha, c, new QTableWidgetItem(texto));
}

void frmLote::cmdPasta_Click()
{
    const QString p = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos arquivos"), pasta_);
    if (!p.isEmpty())
        Abrir_Pasta(p);
}

void frmLote::cmdTransmitir_Click()
{
    if (Em_Andamento()) { // "&Parar": running deliveries end their step, no other file starts
        parar_ = true;
        cmdTransmitir->setEnabled(false);
        return;
    }
    std::vector<std::string> arquivos;
    linhas_.clear();
    for (int l = 0; l < grdArquivos->rowCount(); ++l)
        if (grdArquivos->item(l, Arquivo)->checkState() == Qt::Checked) {
            arquivos.push_back(grdArquivos->item(l, Arquivo)->data(Qt::UserRole).toByteArray().toStdString());
            linhas_.push_back(l);
        }
    if (arquivos.empty()) {
        Caixa_Mensagem(Mensagem_01, Icone::Exclamacao, Botoes::Ok);
        grdArquivos->setFocus();
        return;
    }
    if (Caixa_Mensagem(Mensagem::Confirmacao_03, Icone::Pergunta, Botoes::SimNao) != Resposta::Sim)
        return;
    for (int l : linhas_) {
        Texto(l, Andamento, QStringLiteral("Na fila"));
        Texto(l, Resultado, {});
    }
    parar_ = false;
    resultados_.clear();
    for (QWidget *w : std::initializer_list<QWidget *>{cmdPasta, txtTipoArq, grdArquivos, cmdRecibos, cmdSair})
        w->setEnabled(false);
    cmdTransmitir->setText(QStringLiteral("&Parar"));
    lblSituacao->setText(QStringLiteral("Transmitindo %1 arquivo(s)...").arg(arquivos.size()));

    // The engine runs off the GUI thread; its events come back to the window queued.
    trabalho_ = std::thread([this, arquivos, ajustes = Ajustes_] {
        auto avisar = [this](const Evento_Entrega &e) {
            Resultado_Entrega r = e.resultado ? *e.resultado : Resultado_Entrega{};
            QMetaObject::invokeMethod(this, [this, e, r] { Evento(e, r); }, Qt::QueuedConnection);
        };
        std::vector<Resultado_Entrega> r = Transmitir_Lote(arquivos, ajustes, avisar, parar_);
        QMetaObject::invokeMethod(this, [this, r = std::move(r)]() mutable { Concluir(std::move(r)); },
                                  Qt::QueuedConnection);
    });
}

void frmLote::Evento(const Evento_Entrega &e, const Resultado_Entrega &r)
{
    const int l = linhas_.at(e.indice);
    switch (e.tipo) {
    case Evento_Entrega::Inicio: Texto(l, Andamento, QStringLiteral("Conectando servidor...")); break;
    case Evento_Entrega::Bloco: Texto(l, Andamento, QStringLiteral("Bloco %1 de %2").arg(e.bloco).arg(e.total)); break;
    case Evento_Entrega::Aguardando: Texto(l, Andamento, QStringLiteral("Aguardando resposta do servidor...")); break;
    case Evento_Entrega::Mensagem: Texto(l, Resultado, QString(e.texto).replace(QChar(13), QChar(' '))); break;
    case Evento_Entrega::Fim:
        Texto(l, Andamento, QStringLiteral("Concluído"));
        Texto(l, Resultado, Texto_Resultado(r));
        break;
    }
}

void frmLote::Concluir(std::vector<Resultado_Entrega> resultados)
{
    trabalho_.join();
    resultados_ = std::move(resultados);
    int aceitos = 0;
    for (size_t i = 0; i < resultados_.size(); ++i) {
        const Resultado_Entrega &r = resultados_[i];
        aceitos += r.situacao == Situacao_Entrega::Aceita || r.situacao == Situacao_Entrega::Ja_Entregue;
        if (r.situacao == Situacao_Entrega::Na_Fila)
            Texto(linhas_[i], Andamento, Texto_Resultado(r));
    }
    lblSituacao->setText(QStringLiteral("%1 de %2 arquivo(s) entregue(s)").arg(aceitos).arg(resultados_.size()));
    for (QWidget *w : std::initializer_list<QWidget *>{cmdPasta, txtTipoArq, grdArquivos, cmdTransmitir, cmdSair})
        w->setEnabled(true);
    cmdTransmitir->setText(QStringLiteral("&Transmitir"));
    cmdRecibos->setEnabled(std::any_of(resultados_.begin(), resultados_.end(), [](const Resultado_Entrega &r) {
        return r.situacao == Situacao_Entrega::Aceita && !r.registro.empty();
    }));
    emit Lote_Concluido();
}

int frmLote::Gravar_Recibos(const QString &pasta, QString *erro)
{
    if (!QDir().mkpath(pasta)) {
        *erro = QStringLiteral("Não foi possível criar a pasta ") + pasta;
        return -1;
    }
    int gravados = 0;
    for (const Resultado_Entrega &r : resultados_) {
        if (r.situacao != Situacao_Entrega::Aceita || r.registro.empty())
            continue;
        const QString caminho = QDir(pasta).filePath(QFile::decodeName(Nome_Arquivo_Recibo(r.registro).c_str()));
        if (!Gravar_Recibo_Pdf(r.registro, caminho, erro))
            return -1;
        ++gravados;
    }
    return gravados;
}

void frmLote::cmdRecibos_Click()
{
    const QString p = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos recibos"), pasta_);
    if (p.isEmpty())
        return;
    QString erro;
    const int n = Gravar_Recibos(p, &erro);
    if (n < 0)
        Caixa_Mensagem(QStringLiteral("Os recibos não foram gravados: ") + erro, Icone::Exclamacao, Botoes::Ok);
    else
        Caixa_Mensagem(QStringLiteral("%1 recibo(s) gravado(s) em ").arg(n) + QDir::toNativeSeparators(p),
                       Icone::Informacao, Botoes::Ok);
}

// While a batch runs the window stays: the close box and Escape are ignored, "&Parar" stops it.
void frmLote::closeEvent(QCloseEvent *evento)
{
    if (Em_Andamento())
        evento->ignore();
    else
        QDialog::closeEvent(evento);
}

void frmLote::reject()
{
    if (!Em_Andamento())
        QDialog::reject();
}
