#include "engine/transmit/Registro_Comunicacao.h"

#include "engine/platform/Texto1252.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

Registro_Comunicacao::Registro_Comunicacao(QString caminho, int64_t limite_bytes)
    : caminho_(std::move(caminho)), limite_(limite_bytes)
{
}

QString Registro_Comunicacao::Caminho_Padrao()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("zeltanet/comunicacao.log"));
}

void Registro_Comunicacao::Anotar(const QString &texto)
{
    QString linha = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + texto;
    linha.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray bytes = (linha + QLatin1Char('\n')).toUtf8();
    const std::lock_guard<std::mutex> trava(mutex_);
    QDir().mkpath(QFileInfo(caminho_).absolutePath());
    if (QFileInfo(caminho_).size() + bytes.size() > limite_) {
        const QString anterior = caminho_ + QStringLiteral(".1");
        QFile::remove(anterior);
        QFile::rename(caminho_, anterior);
    }
    QFile f(caminho_);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(bytes);
}

QString Registro_Comunicacao::Ler() const
{
    const std::lock_guard<std::mutex> trava(mutex_);
    QByteArray tudo;
    for (const QString &c : {caminho_ + QStringLiteral(".1"), caminho_}) {
        QFile f(c);
        if (f.open(QIODevice::ReadOnly))
            tudo += f.readAll();
    }
    return QString::fromUtf8(tudo);
}

QString Escapar_Controle(std::string_view bytes)
{
    QString s;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            s += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        else
            s += De_1252(std::string_view(&c, 1));
    }
    return s;
}
