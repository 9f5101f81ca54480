// Windows-1252 both ways by the program's own table, whatever Qt was built with (the Windows
// build's Qt has no ICU and no code page by name).
#include "engine/platform/Texto1252.h"

#include <QTest>

class TstTexto1252 : public QObject {
    Q_OBJECT

private slots:
    void acentos_e_simbolos_do_1252()
    {
        QCOMPARE(De_1252("Emiss\xe3o \x80 1,00 \x96 a\xe7\xe3o \x93x\x94"), QString("Emissão € 1,00 – ação “x”"));
        QCOMPARE(Para_1252(QString("Emissão € 1,00 – ação “x”")), std::string("Emiss\xe3o \x80 1,00 \x96 a\xe7\xe3o \x93x\x94"));
        QCOMPARE(Para_1252(QString("Ωmega")), std::string("?mega"));
    }

    void todos_os_bytes_voltam_iguais()
    {
        std::string todos;
        for (int b = 0; b < 256; ++b)
            todos.push_back(static_cast<char>(b));
        const QString texto = De_1252(todos);
        QCOMPARE(texto.size(), qsizetype(256));
        QCOMPARE(texto.at(0x81), QChar(0x81)); // an unassigned byte stands for its C1 control
        QCOMPARE(Para_1252(texto), todos);
    }
};

QTEST_GUILESS_MAIN(TstTexto1252)
#include "tst_texto1252.moc"
