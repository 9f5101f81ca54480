#pragma once
// The delivery log: what each delivery exchanged with the server, for support. Lines of text
// (UTF-8) appended to a file in the user's data folder; past the size limit the file becomes
// the previous one (".1") and a new one starts. Writing it never stops a delivery: a log that
// cannot be written is skipped. No password ever reaches it: the proxy is described without one.
#include <QString>
#include <cstdint>
#include <mutex>
#include <string_view>

class Registro_Comunicacao {
public:
    explicit Registro_Comunicacao(QString caminho, int64_t limite_bytes = 1024 * 1024);
    // "<user data folder>/zeltanet/comunicacao.log".
    static QString Caminho_Padrao();
    const QString &Caminho() const { return caminho_; }

    // One line, after the date and time; several threads may write at once.
    void Anotar(const QString &texto);
    // The previous file and the current one, oldest line first.
    QString Ler() const;

private:
    QString caminho_;
    int64_t limite_;
    mutable std::mutex mutex_;
};

// Windows-1252 bytes as readable text: control bytes (and DEL) as <0D>.
QString Escapar_Controle(std::string_view bytes);
