#include "gui/ledger/frmEntregas.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"
#include "gui/cis/CIS_000.h"
#include "gui/history/frmReimpressao.h"
#include "gui/intake/Conexao_Usuario.h"
#include "gui/ledger/Tabela_Mes.h"

#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char16_t *const Filtros[] = {u"Todas as situações", u"incerta",  u"recusada",
                                   u"pendente",           u"em falta", u"entregue"};

QString Identificador(const Linha_Mes &l)
{
    return De_1252(Identificador_Para_Exibir(l.tipo_identificador, l.identificador));
}

// Case- and accent-blind, as the reprint window's search.
QString Sem_Acentos(const QString &s)
{
    QString d = s.normalized(QString::NormalizationForm_D);
    d.remove(QRegularExpression(QStringLiteral("\\p{Mn}")));
    return d.toCaseFolded();
}
} // namespace

frmEntregas::frmEntregas(QWidget *pai, std::string historico, std::string pasta)
    : QDialog(pai), Ajustes_(Lote_Do_Usuario()), historico_(std::move(historico)),
      pasta_(std::move(pasta))
{
    Ajustes_.historico = historico_;
    setWindowTitle(QStringLiteral("Entregas do Mês"));
    Criar_Controles();
    // The month of the newest uncertain delivery, so the notice's click lands on it; else the
    // month before this one, the one usually being delivered.
    const QDate antes = QDate::currentDate().addMonths(-1);
    int mes = antes.month(), ano = antes.year();
    try {
        const std::vector<Tentativa_Razao> incertas =
            QFile::exists(QFile::decodeName(Caminho_Razao(historico_).c_str()))
                ? Entregas_Incertas(historico_)
                : std::vector<Tentativa_Razao>{};
        if (!incertas.empty()) {
            bool ok_mes = false, ok_ano = false;
            const int m = QString::fromStdString(incertas[0].declaracao.Mes_Competencia).toInt(&ok_mes);
            const int a = QString::fromStdString(incertas[0].declaracao.Ano_Competencia).toInt(&ok_ano);
            if (ok_mes && ok_ano && m >= 1 && m <= 12) {
                mes = m;
                ano = a;
            }
        }
    } catch (const Erro_Execucao &) {
        // the month before; reading the month says what is wrong with the ledger
    }
    cmbMes->setCurrentIndex(mes - 1);
    spnAno->setValue(ano);
    Carregar_Em_Segundo_Plano();
}

frmEntregas::~frmEntregas()
{
    parar_ = true;
    if (trabalho_.joinable())
        trabalho_.join();
    Cancelar_Leitura();
}

void frmEntregas::Mostrar(QWidget *pai)
{
    frmEntregas janela(pai);
    janela.exec();
}

void frmEntregas::Criar_Controles()
{
    cmbMes = new QComboBox(this);
    for (int m = 1; m <= 12; ++m)
        cmbMes->addItem(QStringLiteral("%1").arg(m, 2, 10, QChar('0')));
    spnAno = new QSpinBox(this);
    spnAno->setRange(1990, 2100);
    cmbSituacao = new QComboBox(this);
    for (const char16_t *f : Filtros)
        cmbSituacao->addItem(QString::fromUtf16(f));
    txtProcurar = new QLineEdit(this);
    txtProcurar->setPlaceholderText(QStringLiteral("Procurar empresa ou identificador"));
    txtProcurar->setClearButtonEnabled(true);

    auto *topo = new QHBoxLayout;
    auto *rotulo = new QLabel(QStringLiteral("&Competência:"), this);
    rotulo->setBuddy(cmbMes);
    topo->addWidget(rotulo);
    topo->addWidget(cmbMes);
    topo->addWidget(new QLabel(QStringLiteral("/"), this));
    topo->addWidget(spnAno);
    auto *rotulo_situacao = new QLabel(QStringLiteral("&Situação:"), this);
    rotulo_situacao->setBuddy(cmbSituacao);
    topo->addWidget(rotulo_situacao);
    topo->addWidget(cmbSituacao);
    topo->addWidget(txtProcurar, 1);

    grdEntregas = new QTableWidget(0, 3, this);
    grdEntregas->setHorizontalHeaderLabels(
        {QStringLiteral("Identificador"), QStringLiteral("Empresa"), QStringLiteral("Situação")});
    grdEntregas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdEntregas->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdEntregas->setSelectionMode(QAbstractItemView::SingleSelection);
    grdEntregas->verticalHeader()->hide();
    grdEntregas->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    grdEntregas->setToolTip(
        QStringLiteral("Clique duas vezes: reimprime o recibo de uma entrega, ou verifica uma "
                       "entrega incerta"));
    lblSituacao = new QLabel(this);

    cmdVerificar = new QPushButton(QStringLiteral("&Verificar incertas"), this);
    cmdCsv = new QPushButton(QStringLiteral("Exportar C&SV..."), this);
    cmdImprimir = new QPushButton(QStringLiteral("&Imprimir..."), this);
    cmdPdf = new QPushButton(QStringLiteral("Gravar &PDF..."), this);
    cmdFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    auto *botoes = new QHBoxLayout;
    for (QPushButton *b : {cmdVerificar, cmdCsv, cmdImprimir, cmdPdf})
        botoes->addWidget(b);
    botoes->addStretch(1);
    botoes->addWidget(cmdFechar);

    auto *tudo = new QVBoxLayout(this);
    tudo->addLayout(topo);
    tudo->addWidget(grdEntregas, 1);
    tudo->addWidget(lblSituacao);
    tudo->addLayout(botoes);
    resize(760, 480);

    connect(cmbMes, &QComboBox::activated, this, [this] { Carregar_Em_Segundo_Plano(); });
    connect(spnAno, &QSpinBox::editingFinished, this, [this] { Carregar_Em_Segundo_Plano(); });
    connect(cmbSituacao, &QComboBox::currentIndexChanged, this, [this] { Aplicar_Filtros(); });
    connect(txtProcurar, &QLineEdit::textChanged, this, [this] { Aplicar_Filtros(); });
    connect(grdEntregas, &QTableWidget::cellDoubleClicked, this,
            [this](int linha, int) { Linha_Escolhida(linha); });
    connect(cmdVerificar, &QPushButton::clicked, this, [this] { Verificar(); });
    connect(cmdCsv, &QPushButton::clicked, this, &frmEntregas::cmdCsv_Click);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmEntregas::cmdImprimir_Click);
    connect(cmdPdf, &QPushButton::clicked, this, &frmEntregas::cmdPdf_Click);
    connect(cmdFechar, &QPushButton::clicked, this, &QDialog::reject);
}

QString frmEntregas::Competencia() const
{
    return cmbMes->currentText() + QChar('/') + QString::number(spnAno->value());
}

void frmEntregas::Definir_Competencia(int mes, int ano)
{
    cmbMes->setCurrentIndex(std::clamp(mes, 1, 12) - 1);
    spnAno->setValue(ano);
    Carregar();
}

std::string frmEntregas::Mes_Escolhido() const
{
    return cmbMes->currentText().toStdString();
}

std::string frmEntregas::Ano_Escolhido() const
{
    return std::to_string(spnAno->value());
}

frmEntregas::Mes_Lido frmEntregas::Ler_Mes(const std::string &mes, const std::string &ano,
                                           const std::string &historico, const std::string &pasta,
                                           const std::atomic<bool> *parar)
{
    Mes_Lido lido;
    try {
        lido.linhas = Entregas_Do_Mes(mes, ano, historico, pasta, parar);
    } catch (const Erro_Execucao &e) {
        lido.falha = Erro_Nao_Tratado(e.numero, e.descricao);
    }
    return lido;
}

void frmEntregas::Carregar()
{
    Cancelar_Leitura();
    Ponteiro_Ampulheta();
    Mes_Lido lido = Ler_Mes(Mes_Escolhido(), Ano_Escolhido(), historico_, pasta_, nullptr);
    Ponteiro_Padrao();
    Mostrar_Mes(std::move(lido));
}

void frmEntregas::Cancelar_Leitura()
{
    if (parar_leitura_)
        *parar_leitura_ = true;
    if (leitura_.joinable())
        leitura_.join(); // within a declaration file
}

void frmEntregas::Carregar_Em_Segundo_Plano()
{
    Cancelar_Leitura();
    auto parar = std::make_shared<std::atomic<bool>>(false);
    parar_leitura_ = parar;
    // The lines of the month before are gone: nothing of them can be picked meanwhile.
    linhas_.clear();
    mostradas_.clear();
    grdEntregas->setRowCount(0);
    lblSituacao->setText(QStringLiteral("Lendo..."));
    leitura_ = std::thread([this, parar, mes = Mes_Escolhido(), ano = Ano_Escolhido(), historico = historico_,
                            pasta = pasta_] {
        auto lido = std::make_shared<Mes_Lido>(Ler_Mes(mes, ano, historico, pasta, parar.get()));
        // Delivered through the window's event queue; a newer reading, or the window's end, drops it.
        QMetaObject::invokeMethod(
            this,
            [this, parar, lido] {
                if (*parar)
                    return;
                leitura_.join();
                Mostrar_Mes(std::move(*lido));
                emit Leitura_Concluida();
            },
            Qt::QueuedConnection);
    });
}

void frmEntregas::Mostrar_Mes(Mes_Lido lido)
{
    linhas_ = std::move(lido.linhas);
    if (!lido.falha.isEmpty()) {
        linhas_.clear();
        Caixa_Mensagem(lido.falha, Icone::Exclamacao, Botoes::Ok);
    }
    Aplicar_Filtros();
    if (verificacao_a_concluir_) {
        verificacao_a_concluir_ = false;
        emit Verificacao_Concluida();
    }
}

void frmEntregas::Aplicar_Filtros()
{
    const int filtro = cmbSituacao->currentIndex();
    const QString procurado = Sem_Acentos(txtProcurar->text().trimmed());
    QString digitos = procurado;
    digitos.remove(QRegularExpression(QStringLiteral("\\D")));
    mostradas_.clear();
    int contagem[5] = {};
    for (size_t i = 0; i < linhas_.size(); ++i) {
        const Linha_Mes &l = linhas_[i];
        ++contagem[static_cast<int>(l.estado)];
        if (filtro > 0 && Nome_Estado(l.estado) != cmbSituacao->currentText())
            continue;
        const QString id = Identificador(l);
        if (!procurado.isEmpty() && !Sem_Acentos(De_1252(l.razao_social)).contains(procurado)
            && !id.contains(procurado)
            && (digitos.isEmpty() || !QString::fromStdString(l.identificador).contains(digitos)))
            continue;
        mostradas_.push_back(i);
    }
    grdEntregas->setRowCount(static_cast<int>(mostradas_.size()));
    for (int r = 0; r < grdEntregas->rowCount(); ++r) {
        const Linha_Mes &l = linhas_[mostradas_[static_cast<size_t>(r)]];
        const QString celulas[] = {Identificador(l), De_1252(l.razao_social), Texto_Estado(l)};
        for (int c = 0; c < 3; ++c)
            grdEntregas->setItem(r, c, new QTableWidgetItem(celulas[c]));
    }
    grdEntregas->resizeColumnToContents(0);
    lblSituacao->setText(QStringLiteral("%1 empregador(es): %2 entregue(s), %3 incerta(s), %4 recusada(s), "
                                        "%5 pendente(s), %6 em falta")
                             .arg(linhas_.size())
                             .arg(contagem[static_cast<int>(Estado_Mes::Entregue)])
                             .arg(contagem[static_cast<int>(Estado_Mes::Incerta)])
                             .arg(contagem[static_cast<int>(Estado_Mes::Recusada)])
                             .arg(contagem[static_cast<int>(Estado_Mes::Pendente)])
                             .arg(contagem[static_cast<int>(Estado_Mes::Em_Falta)]));
    cmdVerificar->setEnabled(!Verificando());
}

void frmEntregas::Linha_Escolhida(int linha)
{
    if (linha < 0 || static_cast<size_t>(linha) >= mostradas_.size() || Verificando())
        return;
    const Linha_Mes &l = linhas_[mostradas_[static_cast<size_t>(linha)]];
    if (l.estado == Estado_Mes::Incerta)
        Verificar(l.arquivo);
    else if (l.estado == Estado_Mes::Entregue)
        frmReimpressao::Mostrar(this, l.codigo);
}

void frmEntregas::Verificar(const std::string &so_o_arquivo)
{
    if (Verificando())
        return;
    std::vector<Tentativa_Razao> incertas;
    try {
        for (Tentativa_Razao &t : Entregas_Incertas(historico_))
            if (so_o_arquivo.empty() || t.caminho == so_o_arquivo)
                incertas.push_back(std::move(t));
    } catch (const Erro_Execucao &e) {
        Caixa_Mensagem(Erro_Nao_Tratado(e.numero, e.descricao), Icone::Exclamacao, Botoes::Ok);
        return;
    }
    if (incertas.empty()) {
        Caixa_Mensagem(QStringLiteral("Nenhuma entrega incerta."), Icone::Informacao, Botoes::Ok);
        return;
    }
    if (!Pedir_Senha_Se_Preciso(this, Ajustes_.proxy))
        return;
    for (QPushButton *b : {cmdVerificar, cmdFechar})
        b->setEnabled(false);
    lblSituacao->setText(QStringLiteral("Verificando %1 entrega(s) incerta(s)...").arg(incertas.size()));
    parar_ = false;
    trabalho_ = std::thread([this, incertas = std::move(incertas)] {
        std::vector<Incerta_Verificada> v;
        QString falha;
        try {
            v = Verificar_Incertas(incertas, Ajustes_, {}, parar_);
        } catch (const Erro_Execucao &e) {
            falha = Erro_Nao_Tratado(e.numero, e.descricao);
        }
        QMetaObject::invokeMethod(
            this, [this, v = std::move(v), falha]() mutable { Concluir_Verificacao(std::move(v), falha); },
            Qt::QueuedConnection);
    });
}

void frmEntregas::Concluir_Verificacao(std::vector<Incerta_Verificada> v, QString falha)
{
    trabalho_.join();
    for (QPushButton *b : {cmdVerificar, cmdFechar})
        b->setEnabled(true);
    QString texto = falha;
    for (const Incerta_Verificada &i : v) {
        Esquecer_Senha_Recusada(i.resultado.falha, Ajustes_.proxy);
        texto += (texto.isEmpty() ? QString() : QString(QChar(13))) + De_1252(i.tentativa.arquivo)
                 + QStringLiteral(": ") + Texto_Resultado(i.resultado);
    }
    Carregar_Em_Segundo_Plano();
    Caixa_Mensagem(texto, Icone::Informacao, Botoes::Ok);
    // Told once the month is read again, which may have happened while the box was open.
    if (Lendo())
        verificacao_a_concluir_ = true;
    else
        emit Verificacao_Concluida();
}

void frmEntregas::done(int resultado)
{
    if (!Verificando())
        QDialog::done(resultado);
}

std::vector<Linha_Mes> frmEntregas::Linhas_Mostradas() const
{
    std::vector<Linha_Mes> mostradas;
    for (size_t i : mostradas_)
        mostradas.push_back(linhas_[i]);
    return mostradas;
}

bool frmEntregas::Exportar_Csv(const QString &arquivo)
{
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(Csv_Mes(Linhas_Mostradas(), Competencia()));
    return f.commit();
}

void frmEntregas::cmdCsv_Click()
{
    const QString sugestao =
        QStringLiteral("entregas-%1-%2.csv").arg(cmbMes->currentText()).arg(spnAno->value());
    const QString arquivo = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a tabela em CSV"),
                                                         sugestao, QStringLiteral("Planilha CSV (*.csv)"));
    if (!arquivo.isEmpty() && !Exportar_Csv(arquivo))
        Caixa_Mensagem(QStringLiteral("Não foi possível gravar o arquivo ") + arquivo, Icone::Exclamacao,
                       Botoes::Ok);
}

void frmEntregas::cmdImprimir_Click()
{
    QPrinter impressora(QPrinter::HighResolution);
    QPrintDialog dialogo(&impressora, this);
    if (dialogo.exec() != QDialog::Accepted)
        return;
    Desenhar_Tabela_Mes(impressora, Linhas_Mostradas(), Competencia());
}

void frmEntregas::cmdPdf_Click()
{
    const QString sugestao =
        QStringLiteral("entregas-%1-%2.pdf").arg(cmbMes->currentText()).arg(spnAno->value());
    const QString arquivo = QFileDialog::getSaveFileName(this, QStringLiteral("Gravar a tabela em PDF"),
                                                         sugestao, QStringLiteral("Arquivo PDF (*.pdf)"));
    if (arquivo.isEmpty())
        return;
    if (!Gravar_Tabela_Mes_Pdf(arquivo, Linhas_Mostradas(), Competencia()))
        Caixa_Mensagem(QStringLiteral("Não foi possível gravar o arquivo ") + arquivo, Icone::Exclamacao,
                       Botoes::Ok);
}
