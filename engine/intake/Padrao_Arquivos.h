#pragma once
// What the transmit window's folder and file lists show: wildcard patterns as the classic file
// list understands them, and the listing of one folder. Plain functions so they are tested directly.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The names of declaration files: the batch window's filter, the files the month table reads.
inline constexpr const char *Padrao_Declaracoes = "*.m*;*.ace";

// True when `nome` matches one of the patterns in `padroes`, separated by ";". "*" stands for any
// run of characters, "?" for one; letters match without regard to case. A pattern ending in ".*"
// also takes a name without any extension ("*.*" takes every name). No pattern at all takes every name.
bool Casa_Padrao(const QString &nome, const QString &padroes);

// A file as the list shows it and as the file system spells it. A name whose bytes are not valid
// in the file system's encoding is shown decoded as Windows-1252.
struct Arquivo_Listado {
    QString nome;
    QByteArray bytes;
};

// A file name as the list shows it: its decoding in the file system's encoding, or as
// Windows-1252 when its bytes are not valid there.
QString Nome_Mostrado(const QByteArray &bytes);

// The visible regular files in `pasta` (links followed: a link to a pipe or a device is left out)
// that match `padroes`, sorted by name without regard to case.
QList<Arquivo_Listado> Arquivos_Da_Pasta(const QString &pasta, const QString &padroes);

// Full paths of the visible subfolders of `pasta`, sorted without regard to case.
QStringList Subpastas(const QString &pasta);

// Whether `pasta` is a folder whose entries can be listed.
bool Pasta_Legivel(const QString &pasta);

// `pasta` (absolute, cleaned) and each folder above it, the root first.
QStringList Ancestrais(const QString &pasta);
