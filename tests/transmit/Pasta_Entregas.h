#pragma once
// For tests of deliveries that outlive a server: a work folder made current for each test, and in
// it a data folder that a second server finds as the first left it (one server at a time).
#include "tests/tools/Cliente_Teste.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class Pasta_Entregas {
public:
    // From a test's init(): an empty folder, current until Sair().
    void Entrar()
    {
        QVERIFY(pasta_.isValid());
        QDir(pasta_.path()).removeRecursively();
        QDir().mkpath(Dados());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());
    }
    void Sair() { QDir::setCurrent(anterior_); }
    QString Dados() const { return QDir(pasta_.path()).filePath("servidor"); }

    // Options of a server on this data folder, on a loopback ephemeral port.
    servidor::Opcoes Servidor(servidor::Opcoes o = {}) const
    {
        o.porta = 0;
        o.dados = Dados().toStdString();
        o.silencio_ultimo_ms = 100; // archives that are not zips end quickly
        return o;
    }

private:
    QTemporaryDir pasta_;
    QString anterior_;
};
