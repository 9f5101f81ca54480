#pragma once
// Helpers of the package tests: the package made by the fixture, and bounded outside commands.
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The one zeltanet_*.deb made for this build tree, or empty when there is none.
QString Pacote_Deb();

struct Resultado_Comando {
    bool terminou = false; // started and ended within the time allowed
    int codigo = -1;
    QString saida;         // standard output and error together
};

// Runs a program and waits at most `segundos`; a program still running then is killed.
Resultado_Comando Executar(const QString &programa, const QStringList &args, int segundos = 120,
                           const QProcessEnvironment &ambiente = QProcessEnvironment::systemEnvironment());

// True when `programa` is found on PATH.
bool Existe_Programa(const QString &programa);

// The keys of the [Desktop Entry] group of a desktop entry file.
QMap<QString, QString> Ler_Entrada_Desktop(const QString &arquivo);

// The arguments of a desktop entry's Exec value, unquoted by the desktop entry rules
// (double quotes; inside them a backslash keeps the next character).
QStringList Argumentos_Exec(const QString &exec);
