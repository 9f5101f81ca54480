#include "gui/app/Ajuda.h"

#include <QAccessibleWidget>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// A help file larger than this is not a manual; refusing it keeps a wrong path from eating memory.
constexpr qint64 Tamanho_Maximo = 4 * 1024 * 1024;

// The help window: the manual, and a button that closes it, as Escape does.
class Janela_Ajuda : public QWidget {
public:
    explicit Janela_Ajuda(QWidget *dono) : QWidget(dono, Qt::Window)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("ZELTA Net - Ajuda"));
        texto = new QTextBrowser(this);
        texto->setOpenExternalLinks(true);
        auto *fechar = new QPushButton(QStringLiteral("&Fechar"), this);
        connect(fechar, &QPushButton::clicked, this, &QWidget::close);
        auto *botoes = new QHBoxLayout;
        botoes->addStretch();
        botoes->addWidget(fechar);
        auto *coluna = new QVBoxLayout(this);
        coluna->addWidget(texto);
        coluna->addLayout(botoes);
        resize(640, 560);
    }
    QTextBrowser *texto;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(e);
    }
};

// A window without a class of its own is exposed to screen readers as a "filler"; the manual is a
// window of its own.
QAccessibleInterface *Acessivel_Ajuda(const QString &, QObject *objeto)
{
    auto *janela = dynamic_cast<Janela_Ajuda *>(objeto);
    return janela ? new QAccessibleWidget(janela, QAccessible::Window) : nullptr;
}

QPointer<Janela_Ajuda> &Janela()
{
    static QPointer<Janela_Ajuda> j;
    return j;
}

bool Mostrar(QWidget *dono, const QString &arquivo)
{
    QFile f(arquivo);
    if (f.size() > Tamanho_Maximo || !f.open(QIODevice::ReadOnly))
        return false;
    const QString texto = QString::fromUtf8(f.readAll());
    if (f.error() != QFileDevice::NoError)
        return false;

    static const bool papel = (QAccessible::installFactory(Acessivel_Ajuda), true);
    Q_UNUSED(papel);
    if (!Janela())
        Janela() = new Janela_Ajuda(dono);
    Janela()->texto->setSearchPaths({QFileInfo(arquivo).absolutePath()});
    Janela()->texto->setHtml(texto);
    Janela()->show();
    Janela()->raise();
    Janela()->activateWindow();
    Janela()->texto->setFocus();
    return true;
}
} // namespace

bool WinHelpA(QWidget *janela, const QString &arquivo, unsigned comando, const char *)
{
    try {
        switch (comando) {
        case HELP_QUIT:
            if (Janela())
                Janela()->close();
            return true;
        case HELP_CONTENTS:
        case HELP_FINDER:
            return Mostrar(janela, arquivo);
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

QString Arquivo_Ajuda(const QString &pasta_programa)
{
    const QDir pasta(pasta_programa);
    const QString ao_lado = pasta.filePath(QStringLiteral("Ajuda.hlp"));
    if (QFileInfo::exists(ao_lado))
        return ao_lado;
    return QDir::cleanPath(pasta.filePath(QStringLiteral("../share/zeltanet/Ajuda.hlp")));
}
