#include "gui/intake/frmLote.h"

#include "gui/cis/CIS_000.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/intake/Resumo_Declaracao.h"
#include "engine/intake/Verificacao.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/transmit/Mensagens.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString Chave_Pasta = QStringLiteral("Lote/Pasta");
const QString Aguardando = QStringLiteral("Aguardando resposta do servidor...");
constexpr int Largura_Empresa = 180; // px; the whole name is the cell's tooltip

// A fact the clerk must not miss: in bold and red, and said to a screen reader.
void Destacar(QTableWidgetItem *item)
{
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
    item->setForeground(QColor(0xB0, 0, 0));
    item->setData(Qt::AccessibleDescriptionRole, QStringLiteral("Atenção"));
}

// Every column readable: the company name capped, the progress wide enough for its longest text.
void Ajustar_Colunas(QTableWidget *t)
{
    t->resizeColumnsToContents();
    t->setColumnWidth(frmLote::Empresa, std::min(t->columnWidth(frmLote::Empresa), Largura_Empresa));
    const int andamento = t->fontMetrics().horizontalAdvance(Aguardando) + 16;
    t->setColumnWidth(frmLote::Andamento, std::max(t->columnWidth(frmLote::Andamento), andamento));
}
} // namespace

frmLote::frmLote(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ZELTA Net - Transmitir Vários Arquivos"));
    setModal(true);
    Criar_Controles();
    // Wide enough for every column of a listed folder, within the screen.
    QSize tamanho(Twips_X(16500), Twips_Y(6600));
    if (const QScreen *tela = screen())
        tamanho = tamanho.boundedTo(tela->availableSize() * 9 / 10);
    resize(tamanho);
    Centraliza_Form(this);
}

frmLote::~frmLote()
{
    Parar_Leitura();
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
    // Movement files and the adjustment files the declaration tool writes.
    txtTipoArq = new QLineEdit(QString::fromLatin1(Padrao_Declaracoes), this);
    txtTipoArq->setAccessibleName(QStringLiteral("Filtro de arquivos"));
    txtTipoArq->setToolTip(QStringLiteral("Padrões separados por \";\""));
    criterio->setBuddy(txtTipoArq);
    auto *paralelas = new QLabel(QStringLiteral("S&imultâneos:"), this);
    spnParalelas = new QSpinBox(this);
    spnParalelas->setRange(1, Max_Paralelas);
    spnParalelas->setValue(4);
    spnParalelas->setAccessibleName(QStringLiteral("Transmissões simultâneas"));
    spnParalelas->setToolTip(QStringLiteral("Quantos arquivos são transmitidos ao mesmo tempo"));
    paralelas->setBuddy(spnParalelas);

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
    topo->addWidget(paralelas);
    topo->addWidget(spnParalelas);
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
    Parar_Leitura();
    pasta_ = QDir(pasta).absolutePath();
    QSettings().setValue(Chave_Pasta, pasta_);
    txtPasta->setText(QDir::toNativeSeparators(pasta_));
    grdArquivos->setRowCount(0);
    std::vector<std::string> caminhos;
    for (const Arquivo_Listado &arquivo : Arquivos_Da_Pasta(pasta_, txtTipoArq->text())) {
        const QByteArray caminho = QFile::encodeName(pasta_) + '/' + arquivo.bytes;
        const int linha = grdArquivos->rowCount();
        grdArquivos->insertRow(linha);
        auto *item = new QTableWidgetItem(arquivo.nome);
        item->setData(Qt::UserRole, caminho);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setToolTip(arquivo.nome);
        grdArquivos->setItem(linha, Arquivo, item);
        Texto(linha, Validacao, QStringLiteral("Lendo..."));
        caminhos.push_back(caminho.toStdString());
    }
    Ajustar_Colunas(grdArquivos);
    lblSituacao->setText(QStringLiteral("%1 arquivo(s)").arg(grdArquivos->rowCount()));

    // Each file's summary comes back to the window queued, tagged with this reading.
    const uint64_t leitura = ++leitura_atual_;
    parar_leitura_ = false;
    leitura_ = std::thread([this, leitura, caminhos = std::move(caminhos)] {
        for (size_t i = 0; i < caminhos.size() && !parar_leitura_; ++i) {
            Resumo_Lido lido;
            try {
                lido.resumo = Ler_Resumo(caminhos[i], &parar_leitura_);
            } catch (const Leitura_Interrompida &) {
                break;
            } catch (const Erro_Execucao &e) {
                lido.falha = Para_1252(e.descricao);
            }
            QMetaObject::invokeMethod(
                this, [this, leitura, i, lido] { Mostrar_Resumo(leitura, static_cast<int>(i), lido); },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, [this, leitura] { Fim_Leitura(leitura); }, Qt::QueuedConnection);
    });
}

void frmLote::Mostrar_Resumo(uint64_t leitura, int linha, const Resumo_Lido &lido)
{
    if (leitura != leitura_atual_ || linha >= grdArquivos->rowCount())
        return; // a reading stopped for another folder
    QTableWidgetItem *item = grdArquivos->item(linha, Arquivo);
    if (!lido.resumo) {
        Texto(linha, Validacao, QStringLiteral("Ilegível: ") + De_1252(lido.falha));
        return;
    }
    const Resumo_Declaracao &r = *lido.resumo;
    Texto(linha, Identificador, De_1252(r.identificador));
    Texto(linha, Empresa, De_1252(r.razao_social));
    grdArquivos->item(linha, Empresa)->setToolTip(De_1252(r.razao_social));
    Texto(linha, Competencia, De_1252(Texto_Competencia(r)));
    Texto(linha, Tipo, De_1252(Texto_Tipo(r)));
    const std::string nome = Para_1252(item->text());
    const std::string aviso = Aviso_Nome(nome);
    const bool validado = r.validacao == Estado_Validacao::Validado;
    Texto(linha, Validacao, De_1252(aviso.empty() ? Texto_Validacao(r.validacao) : aviso));
    if (!validado || !aviso.empty())
        Destacar(grdArquivos->item(linha, Validacao));
    if (!Em_Andamento())
        item->setCheckState(validado && aviso.empty() ? Qt::Checked : Qt::Unchecked);
}

void frmLote::Fim_Leitura(uint64_t leitura)
{
    if (leitura != leitura_atual_)
        return;
    leitura_.join();
    Ajustar_Colunas(grdArquivos);
    emit Pasta_Lida();
}

void frmLote::Parar_Leitura()
{
    if (!leitura_.joinable())
        return;
    parar_leitura_ = true;
    leitura_.join();
    ++leitura_atual_; // what it queued is dropped
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
    const QString inicio = pasta_.isEmpty() ? QSettings().value(Chave_Pasta).toString() : pasta_;
    const QString p = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos arquivos"), inicio);
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
    Ajustes_Lote ajustes = Ajustes_;
    ajustes.paralelas = spnParalelas->value();
    if (!Pedir_Senha_Se_Preciso(this, ajustes.proxy))
        return;
    for (int l : linhas_) {
        Texto(l, Andamento, QStringLiteral("Na fila"));
        Texto(l, Resultado, {});
        grdArquivos->item(l, Resultado)->setToolTip({});
    }
    parar_ = false;
    resultados_.clear();
    terminados_ = entregues_ = 0;
    // The table stays readable while the files go; only its ticks are held.
    for (QWidget *w : std::initializer_list<QWidget *>{cmdPasta, txtTipoArq, spnParalelas, cmdRecibos, cmdSair})
        w->setEnabled(false);
    Permitir_Marcar(false);
    cmdTransmitir->setText(QStringLiteral("&Parar"));
    Mostrar_Situacao();

    // The engine runs off the GUI thread; its events come back to the window queued.
    trabalho_ = std::thread([this, arquivos, ajustes] {
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
    case Evento_Entrega::Aguardando: Texto(l, Andamento, Aguardando); break;
    case Evento_Entrega::Mensagem: break; // questions are answered by the batch; the outcome follows
    case Evento_Entrega::Fim:
        ++terminados_;
        entregues_ += Entregue(r);
        Texto(l, Andamento, Entregue(r) ? QStringLiteral("Concluído") : QStringLiteral("Não entregue"));
        Texto(l, Resultado, Texto_Resultado(r));
        // The words name the message; its whole text is at hand.
        grdArquivos->item(l, Resultado)->setToolTip(QString(r.mensagem).replace(QChar(13), QChar('\n')));
        if (!Entregue(r))
            Destacar(grdArquivos->item(l, Resultado));
        Mostrar_Situacao();
        break;
    }
}

void frmLote::Mostrar_Situacao()
{
    QString t = QStringLiteral("%1 de %2 transmitidos").arg(entregues_).arg(linhas_.size());
    if (terminados_ > entregues_)
        t += QStringLiteral(", %1 não entregue(s)").arg(terminados_ - entregues_);
    lblSituacao->setText(t);
}

void frmLote::Permitir_Marcar(bool sim)
{
    for (int l = 0; l < grdArquivos->rowCount(); ++l) {
        QTableWidgetItem *i = grdArquivos->item(l, Arquivo);
        i->setFlags(sim ? i->flags() | Qt::ItemIsUserCheckable : i->flags() & ~Qt::ItemIsUserCheckable);
    }
}

void frmLote::Concluir(std::vector<Resultado_Entrega> resultados)
{
    trabalho_.join();
    resultados_ = std::move(resultados);
    int aceitos = 0;
    for (size_t i = 0; i < resultados_.size(); ++i) {
        const Resultado_Entrega &r = resultados_[i];
        aceitos += Entregue(r);
        Esquecer_Senha_Recusada(r.falha, Ajustes_.proxy);
        if (r.situacao == Situacao_Entrega::Na_Fila)
            Texto(linhas_[i], Andamento, Texto_Resultado(r));
    }
    lblSituacao->setText(QStringLiteral("%1 de %2 arquivo(s) entregue(s)").arg(aceitos).arg(resultados_.size()));
    for (QWidget *w : std::initializer_list<QWidget *>{cmdPasta, txtTipoArq, spnParalelas, cmdTransmitir, cmdSair})
        w->setEnabled(true);
    Permitir_Marcar(true);
    cmdTransmitir->setText(QStringLiteral("&Transmitir"));
    cmdRecibos->setEnabled(std::any_of(resultados_.begin(), resultados_.end(), Entregue));
    emit Lote_Concluido();
}

Gravacao_Recibos frmLote::Gravar_Recibos(const QString &pasta)
{
    return Gravar_Recibos_Pdf(Registros_Dos_Recibos(resultados_, Ajustes_.historico), pasta);
}

void frmLote::cmdRecibos_Click()
{
    const QString p = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos recibos"), pasta_);
    if (p.isEmpty())
        return;
    const Gravacao_Recibos g = Gravar_Recibos(p);
    QString texto = QStringLiteral("%1 recibo(s) gravado(s) em ").arg(g.gravados.size()) + QDir::toNativeSeparators(p);
    for (const Recibo_Pdf_Gravado &f : g.falhas)
        texto += QChar(13) + QStringLiteral("Não gravado: ") + QFileInfo(f.caminho).fileName() + QStringLiteral(" - ")
                 + f.motivo;
    Caixa_Mensagem(texto, g.falhas.empty() ? Icone::Informacao : Icone::Exclamacao, Botoes::Ok);
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
